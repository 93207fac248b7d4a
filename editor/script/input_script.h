#pragma once
// Replayable input scripts: one command a line, in the words a user's mouse and keyboard would give
// ("click stage 120 80", "key ctrl+S", "menu File/Save Show"). Parsing checks every line before
// anything runs, so that a script with a typing error does nothing at all.
#include <cstdint>
#include <string>
#include <vector>

// Where a position is measured from: the screen, a window's client area, or the stage's drawn frame.
enum class ScriptOrigin { kScreen, kEditor, kStage, kTimeline, kFrame };

struct ScriptPosition {
  ScriptOrigin origin = ScriptOrigin::kScreen;
  int x = 0, y = 0;
};

enum class ScriptVerb {
  kMove,
  kClick,
  kRightClick,
  kDoubleClick,
  kPress,
  kDrag,
  kRelease,
  kKey,
  kType,
  kMenu,
  kWait,
  kScreenshot,
  kLayout,
  kState,
  kMenus,
  kPaintCheck,
};

struct ScriptCommand {
  ScriptVerb verb = ScriptVerb::kLayout;
  int line = 0;
  ScriptPosition position;
  bool shift = false;           // mouse commands: Shift held for the event
  int key = 0;                  // key: the virtual-key code
  bool keyShift = false, keyCtrl = false;
  std::string text;             // type: the characters; menu: "MENU/ITEM"; screenshot: the file
  int milliseconds = 0;         // wait
};

// Parses a whole script. False with "line N: problem" in error at the first line that is not a
// command.
bool parseInputScript(const std::string& text, std::vector<ScriptCommand>& commands, std::string& error);

// A key name as scripts write it: a letter or digit, a punctuation character, a named key (Enter,
// Escape, Tab, Backspace, Delete, Insert, Home, End, PageUp, PageDown, Left, Right, Up, Down, Space,
// Numpad0 to Numpad9), each with any "ctrl+" and "shift+" in front. A punctuation character that
// needs Shift on the keyboard ("<", "#") brings its Shift along.
bool parseKeyName(const std::string& name, int& vk, bool& shift, bool& ctrl);

// Reads and parses a script file; the error names the file.
bool readInputScript(const std::string& path, std::vector<ScriptCommand>& commands, std::string& error);
