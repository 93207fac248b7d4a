// The script format: what each line means, and which lines are refused (with their line number)
// before anything runs.
#include <gtest/gtest.h>

#include "editor/script/input_script.h"
#include "platform/screen/win_defs.h"

namespace {

std::vector<ScriptCommand> parsed(const std::string& text) {
  std::vector<ScriptCommand> commands;
  std::string error;
  EXPECT_TRUE(parseInputScript(text, commands, error)) << error;
  return commands;
}

std::string refusal(const std::string& text) {
  std::vector<ScriptCommand> commands;
  std::string error;
  EXPECT_FALSE(parseInputScript(text, commands, error)) << text;
  return error;
}

}  // namespace

TEST(InputScript, PositionsNameTheirWindowAndMayHoldShift) {
  const auto c = parsed(
      "# a comment line\n"
      "\n"
      "click 12 34\n"
      "  press stage 5 -6 shift   # trailing comment\n"
      "drag frame 100 200\r\n"
      "release timeline 1 2\n"
      "rclick editor 3 4\n"
      "dblclick 7 8 SHIFT\n"
      "move 0 0\n");
  ASSERT_EQ(c.size(), 7u);
  EXPECT_EQ(c[0].verb, ScriptVerb::kClick);
  EXPECT_EQ(c[0].line, 3);
  EXPECT_EQ(c[0].position.origin, ScriptOrigin::kScreen);
  EXPECT_EQ(c[0].position.x, 12);
  EXPECT_EQ(c[0].position.y, 34);
  EXPECT_FALSE(c[0].shift);
  EXPECT_EQ(c[1].verb, ScriptVerb::kPress);
  EXPECT_EQ(c[1].line, 4);
  EXPECT_EQ(c[1].position.origin, ScriptOrigin::kStage);
  EXPECT_EQ(c[1].position.y, -6);
  EXPECT_TRUE(c[1].shift);
  EXPECT_EQ(c[2].verb, ScriptVerb::kDrag);
  EXPECT_EQ(c[2].position.origin, ScriptOrigin::kFrame);
  EXPECT_EQ(c[3].position.origin, ScriptOrigin::kTimeline);
  EXPECT_EQ(c[4].verb, ScriptVerb::kRightClick);
  EXPECT_EQ(c[4].position.origin, ScriptOrigin::kEditor);
  EXPECT_EQ(c[5].verb, ScriptVerb::kDoubleClick);
  EXPECT_TRUE(c[5].shift);
  EXPECT_EQ(c[6].verb, ScriptVerb::kMove);
}

TEST(InputScript, KeyNamesGiveTheirKeysAndModifiers) {
  struct Case {
    const char* name;
    int vk;
    bool shift, ctrl;
  } cases[] = {
      {"a", 'A', false, false},        {"Q", 'Q', false, false},          {"7", '7', false, false},
      {"ctrl+S", 'S', false, true},    {"shift+x", 'X', true, false},     {"ctrl+shift+z", 'Z', true, true},
      {"Enter", ws::VK_RETURN, false, false}, {"escape", ws::VK_ESCAPE, false, false}, {"Tab", ws::VK_TAB, false, false},
      {"PageDown", ws::VK_NEXT, false, false}, {"Numpad0", ws::VK_NUMPAD0, false, false},
      {"Numpad9", ws::VK_NUMPAD0 + 9, false, false}, {".", ws::VK_OEM_PERIOD, false, false},
      {">", ws::VK_OEM_PERIOD, true, false}, {"#", '3', true, false}, {"+", ws::VK_OEM_PLUS, true, false},
      {"ctrl++", ws::VK_OEM_PLUS, true, true}, {"Space", ws::VK_SPACE, false, false},
  };
  for (const Case& k : cases) {
    int vk = 0;
    bool shift = false, ctrl = false;
    ASSERT_TRUE(parseKeyName(k.name, vk, shift, ctrl)) << k.name;
    EXPECT_EQ(vk, k.vk) << k.name;
    EXPECT_EQ(shift, k.shift) << k.name;
    EXPECT_EQ(ctrl, k.ctrl) << k.name;
  }
  int vk = 0;
  bool shift = false, ctrl = false;
  for (const char* bad : {"", "Numpad10", "F13", "ctrl+", "Enterr", "é"}) EXPECT_FALSE(parseKeyName(bad, vk, shift, ctrl)) << bad;
}

TEST(InputScript, TextCommandsKeepTheirWords) {
  const auto c = parsed(
      "type /tmp/a b#c.png\n"
      "key #\n"
      "key ctrl+Q   # closes\n"
      "menu File/Save Show  # the quick way is ctrl+S\n"
      "menu File/Quit - DON'T Apply changes\n"
      "wait 250\n"
      "screenshot out dir/shot.png\n"
      "layout\nstate\nmenus\n");
  ASSERT_EQ(c.size(), 10u);
  EXPECT_EQ(c[0].verb, ScriptVerb::kType);
  EXPECT_EQ(c[0].text, "/tmp/a b#c.png");
  EXPECT_EQ(c[1].key, '3');
  EXPECT_TRUE(c[1].keyShift);
  EXPECT_EQ(c[2].key, 'Q');
  EXPECT_TRUE(c[2].keyCtrl);
  EXPECT_EQ(c[3].text, "File/Save Show");
  EXPECT_EQ(c[4].text, "File/Quit - DON'T Apply changes");
  EXPECT_EQ(c[5].milliseconds, 250);
  EXPECT_EQ(c[6].text, "out dir/shot.png");
  EXPECT_EQ(c[7].verb, ScriptVerb::kLayout);
  EXPECT_EQ(c[8].verb, ScriptVerb::kState);
  EXPECT_EQ(c[9].verb, ScriptVerb::kMenus);
}

TEST(InputScript, AMalformedLineIsRefusedWithItsNumber) {
  EXPECT_EQ(refusal("layout\n\nclik 1 2\n"), "line 3: unknown command 'clik'");
  EXPECT_EQ(refusal("click 1\n"), "line 1: a position is X Y or WINDOW X Y");
  EXPECT_EQ(refusal("click 1 2 3\n"), "line 1: unexpected '3' after the position");
  EXPECT_EQ(refusal("click window 1 2\n"), "line 1: 'window' is not a window (editor, stage, timeline or frame)");
  EXPECT_EQ(refusal("move 1.5 2\n"), "line 1: a position is X Y or WINDOW X Y");
  EXPECT_EQ(refusal("drag stage 1 2 ctrl\n"), "line 1: unexpected 'ctrl' after the position");
  EXPECT_EQ(refusal("key\n"), "line 1: key needs a key name");
  EXPECT_EQ(refusal("key Enter Enter\n"), "line 1: unexpected 'Enter' after the key name");
  EXPECT_EQ(refusal("key F5\n"), "line 1: 'F5' is not a key name");
  EXPECT_EQ(refusal("menu File\n"), "line 1: menu needs MENU/ITEM");
  EXPECT_EQ(refusal("menu /Save\n"), "line 1: menu needs MENU/ITEM");
  EXPECT_EQ(refusal("wait\n"), "line 1: wait needs a number of milliseconds");
  EXPECT_EQ(refusal("wait -5\n"), "line 1: wait needs a number of milliseconds");
  EXPECT_EQ(refusal("screenshot\n"), "line 1: screenshot needs a file name");
  EXPECT_EQ(refusal("state now\n"), "line 1: unexpected 'now' after state");
  EXPECT_EQ(refusal("type caf\xc3\xa9\n"), "line 1: no key of the keyboard types the character 195");
}
