#include "editor/shell/bitmap_button.h"

#include "platform/drawing.h"

void BitmapButton::initialise(int normal, int pressed, int disabled, int active, int initialState) {
  normalId = normal;
  pressedId = pressed;
  disabledId = disabled;
  activeId = active;
  rect = {};
  state = initialState;
}

void BitmapButton::setState(int s) {
  state = s;
  int image = 0;
  switch (s) {
    case kNormal: image = normalId; break;
    case kPressed: image = pressedId; break;
    case kActive: image = activeId; break;
    case kDisabled: image = disabledId; break;
    default: return;
  }
  if (image != 0) blitBitmap(rect, image, ws::SRCCOPY);
}

void BitmapButton::place(const ws::Rect& r) {
  rect = r;
  setState(state);
}

bool BitmapButton::pressTest(int x, int y, int s) {
  if (state == kDisabled) return false;
  if (x < rect.left || x > rect.right || y < rect.top || y > rect.bottom) return false;
  setState(s);
  return true;
}
