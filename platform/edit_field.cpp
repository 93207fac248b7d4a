#include "platform/edit_field.h"

#include "platform/screen/builtin_classes.h"
#include "platform/screen/screen.h"
#include "platform/window.h"

bool EditField::createEdit(ws::WindowHandle parent, int x, int y, int width, int height, int controlId, const FontHandle& font) {
  ws::Screen& s = ws::screen();
  uint32_t style = ws::WS_CHILD | ws::WS_BORDER;
  if (controlId == kMultiLineEditId) style |= ws::ES_MULTILINE | ws::WS_VSCROLL;
  handle_ = s.createWindow(ws::kEditClass, "", style, x, y, width, height, parent, 0, controlId);
  if (!handle_) return false;
  controlId_ = controlId;
  addOwnWindow(handle_);
  s.showWindow(handle_, ws::SW_SHOW);
  s.setFocus(handle_);
  if (font) {
    font_ = font;
    s.sendMessage(handle_, ws::WM_SETFONT, reinterpret_cast<ws::WParam>(&font_), 0);
  }
  return true;
}

void EditField::setText(const char* text, bool selectAll) {
  if (!handle_) return;
  ws::Screen& s = ws::screen();
  s.sendMessage(handle_, ws::WM_SETTEXT, 0, ws::LParam(reinterpret_cast<intptr_t>(text ? text : "")));
  if (selectAll) {
    s.setFocus(handle_);
    s.sendMessage(handle_, ws::EM_SETSEL, 0, -1);
  }
}

void EditField::select(int from, int to) {
  if (!handle_) return;
  ws::screen().setFocus(handle_);
  ws::screen().sendMessage(handle_, ws::EM_SETSEL, ws::WParam(int64_t(from)), to);
}

int EditField::getText(char* buffer, int max) const {
  if (!buffer || max <= 0) return 0;
  buffer[0] = 0;
  if (!handle_) return 0;
  return int(ws::screen().sendMessage(handle_, ws::WM_GETTEXT, ws::WParam(max), ws::LParam(reinterpret_cast<intptr_t>(buffer))));
}

void EditField::focus() {
  if (handle_) ws::screen().setFocus(handle_);
}

void EditField::show() {
  if (handle_) ws::screen().showWindow(handle_, ws::SW_SHOW);
}

void EditField::destroy() {
  if (!handle_) return;
  removeOwnWindow(handle_);
  ws::screen().destroyWindow(handle_);
  handle_ = 0;
}
