#pragma once
// An edit control on a window: one line, or several lines for control identifier 5927001.
#include <cstddef>

#include "platform/platform_state.h"
#include "platform/screen/win_defs.h"

constexpr int kMultiLineEditId = 5927001;

class EditField {
 public:
  // Creates the field on parent, enters it in the window list, shows it and gives it the focus.
  bool createEdit(ws::WindowHandle parent, int x, int y, int width, int height, int controlId, const FontHandle& font);
  void setText(const char* text, bool selectAll);
  void select(int from, int to);
  // Copies at most max - 1 characters and a terminating NUL; returns the length copied.
  int getText(char* buffer, int max) const;
  void focus();
  void show();
  void destroy();

  ws::WindowHandle handle() const { return handle_; }
  int controlId() const { return controlId_; }

 private:
  ws::WindowHandle handle_ = 0;
  int controlId_ = 0;
  FontHandle font_;
};
