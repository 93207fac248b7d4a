// The player on the editor itself: positions by window and by the stage's frame land where layout says
// those are, and the editor's own close commands end the loop with their quit codes.
#include <nlohmann/json.hpp>

#include <cstdio>
#include <sstream>

#include "editor/stage/stage_view.h"
#include "platform/drawing.h"
#include "tests/editor/script/script_editor_support.h"


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

TEST_F(ScriptEditorTest, AGreyItemLeavesNoMenuOpenAndStateTellsWhichLoopHoldsTheInput) {
  std::string printed;
  // Undo is grey in a fresh show; About opens a message box.
  EXPECT_EQ(play("menu Edit/Undo\nstate\nmenu Help/About\nstate\nkey Enter\nstate\n", &printed), ws::Screen::kNoMoreInput);
  EXPECT_TRUE(player->finished()) << player->error();
  std::vector<nlohmann::json> states;
  for (size_t at = 0, end; (end = printed.find('\n', at)) != std::string::npos; at = end + 1)
    states.push_back(nlohmann::json::parse(printed.substr(at, end - at)));
  ASSERT_EQ(states.size(), 3u);
  EXPECT_TRUE(states[0]["modal"].is_null());
  EXPECT_EQ(states[1]["modal"], "message");
  EXPECT_TRUE(states[2]["modal"].is_null());
  EXPECT_FALSE(ws::screen().menuOpen());
}

TEST_F(ScriptEditorTest, PaintCheckFindsPixelsNoFullPaintWouldDraw) {
  if (!editorContext().stage || !editorContext().stage->handle()) GTEST_SKIP() << "no stage window in this build";
  std::string printed;
  play("paint-check\n", &printed);
  EXPECT_EQ(nlohmann::json::parse(printed), nlohmann::json::parse(R"({"stale": 0, "box": null})"));
  // A drawing of no state at all, left on the stage's client area.
  {
    DrawingScope scope(editorContext().stage->handle());
    fillRect(ws::rgb(1, 2, 3), {10, 20, 16, 23});  // right and bottom edges left out
  }
  play("paint-check\npaint-check\n", &printed);
  std::istringstream lines(printed);
  std::string line;
  ASSERT_TRUE(std::getline(lines, line));
  const auto first = nlohmann::json::parse(line);
  const ws::Point origin = ws::screen().clientToScreen(editorContext().stage->handle(), {0, 0});
  EXPECT_EQ(first["stale"], 10);
  EXPECT_EQ(first["box"], nlohmann::json({{"left", origin.x + 10}, {"top", origin.y + 20}, {"right", origin.x + 15}, {"bottom", origin.y + 22}}));
  // The check painted the windows whole: nothing is stale any more.
  ASSERT_TRUE(std::getline(lines, line));
  EXPECT_EQ(nlohmann::json::parse(line)["stale"], 0);
}
