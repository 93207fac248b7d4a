#pragma once
// The menu bar of a window, built from item texts that carry their accelerator letter after a "/"
// ("Save Show/S" shows as Save Show with "Ctrl+S" on the right).
#include <string>

#include "platform/screen/win_defs.h"

class Window;

class MenuBar {
 public:
  // Creates an empty menu bar and sets it on the window.
  void attachMenuBar(const Window& window);
  // Appends a drop-down menu that items go into from now on; flag 4 appends its title disabled.
  void addMenu(const char* title, int flags);
  // Appends an item (command id -1: a separator); flag bit 0 checked, bit 1 greyed.
  void addItem(int commandId, const char* text, int flags);
  // Re-applies the item's own text with new state: bit 0 checked, bit 1 greyed, bit 2 disabled.
  void setItemState(int commandId, int flags);
  void checkItem(int commandId, bool checked);

  ws::MenuHandle menuBar() const { return bar_; }
  ws::WindowHandle window() const { return window_; }
  ws::MenuHandle currentMenu() const { return current_; }

 private:
  ws::MenuHandle bar_ = 0;
  ws::WindowHandle window_ = 0;
  ws::MenuHandle current_ = 0;
};

// The text an item shows for a given item text: label, tab and "Ctrl+" with the letter after "/".
std::string menuItemText(const char* text);
