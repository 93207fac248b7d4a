#pragma once
// What an input script prints about the editor, one line of JSON each: where its windows are, the
// show's state as the user has made it, and the menus with their check marks and grey items.
#include <string>

class Window;

#include "platform/screen/win_defs.h"

// {"editor": W, "stage": W, "timeline": W, "frame": R, "zoom": Z, "timeScale": S, "displayMode": D};
// a view that does not exist is null, rectangles are in screen coordinates.
std::string layoutReadout();
// The show: time, length, rate, pictures and their working states, undo and redo counts.
std::string stateReadout();
// The menus of menuBarWindow() (separators left out); {"menus": []} without one.
std::string menusReadout();

// The window whose menu bar the script's menu commands use: the editor's, else the frontmost shown
// window that has one (a dialog of the editor's own, or a plain window in a test); 0 when none has.
ws::WindowHandle menuBarWindow();

// The screen point of the stage's drawn frame's top-left corner; false without a stage.
bool stageFrameOrigin(ws::Point& out);
