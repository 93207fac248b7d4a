#include "platform/menu_bar.h"

#include <cstring>

#include "platform/screen/screen.h"
#include "platform/window.h"

std::string menuItemText(const char* text) {
  const std::string t = text ? text : "";
  const size_t slash = t.find('/');
  if (slash == std::string::npos) return t;
  std::string out = t.substr(0, slash) + "\tCtrl+";
  if (slash + 1 < t.size()) out += t[slash + 1];
  return out;
}

void MenuBar::attachMenuBar(const Window& window) {
  ws::Screen& s = ws::screen();
  bar_ = s.createMenu(true);
  window_ = window.handle();
  current_ = 0;
  s.setMenu(window_, bar_);
}

void MenuBar::addMenu(const char* title, int flags) {
  ws::Screen& s = ws::screen();
  if (!s.menu(bar_)) return;
  current_ = s.createMenu(false);
  s.appendMenu(bar_, ws::MF_POPUP | ((flags & 4) ? ws::MF_GRAYED : 0), int(current_), title ? title : "");
  s.drawMenuBar(window_);
}

void MenuBar::addItem(int commandId, const char* text, int flags) {
  ws::Screen& s = ws::screen();
  if (!s.menu(current_)) return;
  if (commandId == -1) {
    s.appendMenu(current_, ws::MF_SEPARATOR, 0, "");
    return;
  }
  uint32_t f = ws::MF_STRING;
  if (flags & 1) f |= ws::MF_CHECKED;
  if (flags & 2) f |= ws::MF_GRAYED;
  s.appendMenu(current_, f, commandId, menuItemText(text));
}

void MenuBar::setItemState(int commandId, int flags) {
  ws::Screen& s = ws::screen();
  char text[64];
  // The item's text is read back (at most 63 characters) and set again with the new state.
  if (!s.findMenuItem(bar_, commandId, ws::MF_BYCOMMAND)) return;
  s.getMenuString(bar_, commandId, text, sizeof text, ws::MF_BYCOMMAND);
  uint32_t f = ws::MF_STRING | ws::MF_BYCOMMAND;
  if (flags & 1) f |= ws::MF_CHECKED;
  if (flags & 2) f |= ws::MF_GRAYED;
  if (flags & 4) f |= ws::MF_DISABLED;
  s.modifyMenu(bar_, commandId, f, commandId, text);
}

void MenuBar::checkItem(int commandId, bool checked) {
  ws::Screen& s = ws::screen();
  ws::MenuItem* item = s.findMenuItem(bar_, commandId, ws::MF_BYCOMMAND);
  if (!item) return;
  char text[64];
  s.getMenuString(bar_, commandId, text, sizeof text, ws::MF_BYCOMMAND);
  const uint32_t keep = item->flags & (ws::MF_GRAYED | ws::MF_DISABLED);
  s.modifyMenu(bar_, commandId, ws::MF_STRING | ws::MF_BYCOMMAND | keep | (checked ? ws::MF_CHECKED : 0), commandId, text);
}
