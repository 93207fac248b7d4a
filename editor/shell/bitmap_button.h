#pragma once
// A push button drawn from up to four bitmap resources: normal, pressed, active and disabled. The
// stage's transport bar and the editor window's tool buttons are made of them. Drawing goes into the
// current drawing context (platform/drawing.h).
#include "platform/screen/win_defs.h"

struct BitmapButton {
  enum State : int { kNormal = 0, kPressed = 1, kActive = 2, kDisabled = 3 };

  int normalId = 0;
  int pressedId = 0;
  int disabledId = 0;
  int activeId = 0;
  ws::Rect rect;
  int state = kNormal;

  // Stores the images and the state; the rectangle becomes all zero. Nothing is drawn.
  void initialise(int normal, int pressed, int disabled, int active, int initialState);
  // Stores s and, for 0 to 3, draws that state's image (when it has one) at the rectangle's corner.
  void setState(int s);
  // Stores the rectangle and draws the current state.
  void place(const ws::Rect& r);
  // False when disabled or when (x, y) lies outside the rectangle (its edges count as inside);
  // otherwise setState(s) and true.
  bool pressTest(int x, int y, int s);
};
