#pragma once
// What an input script prints about the editor, one line of JSON each: where its windows are, the
// show's state as the user has made it, and the menus with their check marks and grey items.
#include <string>

class Window;

namespace ws {
struct Point;
}

// {"editor": W, "stage": W, "timeline": W, "frame": R, "zoom": Z, "timeScale": S, "displayMode": D};
// a view that does not exist is null, rectangles are in screen coordinates.
std::string layoutReadout();
// The show: time, length, rate, pictures and their working states, undo and redo counts.
std::string stateReadout();
// The menu bar of the editor window (separators left out); {"menus": []} without one.
std::string menusReadout();

// The screen point of the stage's drawn frame's top-left corner; false without a stage.
bool stageFrameOrigin(ws::Point& out);
