#pragma once
// The window classes the window system brings along: the edit field and the drop-down menu.
#include <string>

#include "platform/screen/win_defs.h"

namespace ws {

class Screen;

constexpr const char* kEditClass = "EDIT";
constexpr const char* kMenuPopupClass = "#32768";

void registerBuiltinClasses(Screen& screen);
LResult editProc(WindowHandle h, uint32_t message, WParam w, LParam l);
LResult menuPopupProc(WindowHandle h, uint32_t message, WParam w, LParam l);

// The edit field's text and selection, for callers that reach into it directly.
std::string editText(WindowHandle h);
void editSelection(WindowHandle h, int& from, int& to);

}  // namespace ws
