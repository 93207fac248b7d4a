#pragma once
// The editor window with its stage and timeline, worked through input scripts as the user works it.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "editor/script/script_player.h"
#include "editor/shell/editor_window.h"
#include "tests/editor/editor_test_support.h"

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

  // Plays a script through the editor's loop; the quit code that ended it. checkPaint: every command
  // that comes to rest must leave the screen as a full repaint draws it.
  int play(const std::string& text, std::string* printed = nullptr, bool checkPaint = true) {
    std::vector<ScriptCommand> commands;
    std::string error;
    EXPECT_TRUE(parseInputScript(text, commands, error)) << error;
    std::FILE* out = std::tmpfile();
    player = std::make_unique<ScriptPlayer>(commands, out);
    player->checkPaintAfterEachCommand(checkPaint);
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

