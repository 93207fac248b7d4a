// The player on the editor itself: positions by window and by the stage's frame land where layout says
// those are, and the editor's own close commands end the loop with their quit codes.
#include <nlohmann/json.hpp>

#include <cstdio>

#include "editor/script/script_player.h"
#include "editor/shell/editor_window.h"
#include "editor/stage/stage_view.h"
#include "tests/editor/editor_test_support.h"

namespace {

class ScriptEditorTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    editor = std::make_unique<EditorWindow>(0);
    editor->paint();
  }
  void TearDown() override {
    editor.reset();
    EditorTest::TearDown();
  }

  int play(const std::string& text, std::string* printed = nullptr) {
    std::vector<ScriptCommand> commands;
    std::string error;
    EXPECT_TRUE(parseInputScript(text, commands, error)) << error;
    std::FILE* out = std::tmpfile();
    player = std::make_unique<ScriptPlayer>(commands, out);
    player->install(ws::screen());
    WindowMessage m;
    while (getMessage(m)) dispatch(m);
    std::rewind(out);
    char buffer[8192];
    size_t n = std::fread(buffer, 1, sizeof buffer, out);
    if (printed) printed->assign(buffer, n);
    std::fclose(out);
    return int(int64_t(m.wParam));
  }

  std::unique_ptr<EditorWindow> editor;
  std::unique_ptr<ScriptPlayer> player;
};

}  // namespace

TEST_F(ScriptEditorTest, PositionsByWindowAndFrameLandWhereLayoutSays) {
  if (!editorContext().stage || !editorContext().stage->handle()) GTEST_SKIP() << "no stage window in this build";
  std::string printed;
  EXPECT_EQ(play("layout\nmove frame 10 20\n", &printed), ws::Screen::kNoMoreInput);
  const auto layout = nlohmann::json::parse(printed.substr(0, printed.find('\n')));
  const auto& frame = layout["frame"];
  ASSERT_FALSE(frame.is_null());
  EXPECT_EQ(ws::screen().mousePosition().x, int(frame["left"]) + 10);
  EXPECT_EQ(ws::screen().mousePosition().y, int(frame["top"]) + 20);
  // The frame lies inside the stage's client area, which lies inside the editor's.
  const auto& stage = layout["stage"]["client"];
  EXPECT_GE(int(frame["left"]), int(stage["left"]));
  EXPECT_LE(int(frame["bottom"]), int(stage["bottom"]));
  EXPECT_EQ(layout["editor"]["window"]["left"], editor->windowRect().left);
  EXPECT_EQ(layout["zoom"], 1.0);

  EXPECT_EQ(play("move stage 3 4\n"), ws::Screen::kNoMoreInput);
  EXPECT_EQ(ws::screen().mousePosition().x, int(stage["left"]) + 3);
  EXPECT_EQ(ws::screen().mousePosition().y, int(stage["top"]) + 4);
}

TEST_F(ScriptEditorTest, TheEditorsCloseCommandsEndTheLoopWithTheirCodes) {
  EXPECT_EQ(play("menu File/Quit - DON'T Apply changes\nstate\n"), 1);
  EXPECT_EQ(player->remaining(), 1u) << "the state after the editor closed never ran";
  EXPECT_EQ(play("key ctrl+Q\n"), 0);
  EXPECT_TRUE(player->finished());
}
