#pragma once
// What the forms and the colour picker share: each is a panel drawn onto a window while its own
// message loop takes every message off the queue. This holds the panel's drawing set-up and the rules
// for reading the pointer and dropping what the loop does not handle.
#include <memory>
#include <optional>

#include "platform/drawing.h"
#include "platform/messages.h"

// The window's drawing context made current, with a font and the transparent background selected;
// the previous font and background mode come back when it is given back or goes out of scope.
class PanelDrawing {
 public:
  PanelDrawing(ws::WindowHandle window, int fontHeight);
  ~PanelDrawing() { giveBack(); }
  PanelDrawing(const PanelDrawing&) = delete;
  PanelDrawing& operator=(const PanelDrawing&) = delete;

  // While another dialog runs on top, the panel holds no drawing context.
  void giveBack();
  void take();

 private:
  ws::WindowHandle window_;
  int fontHeight_;
  std::optional<DrawingScope> scope_;
  FontHandle previousFont_;
  int previousBackMode_ = 0;
};

// The pointer of a message in the window's client coordinates (the message's screen point, so that
// messages of other windows and of the frame are measured from the same origin).
ws::Point pointerIn(ws::WindowHandle window, const WindowMessage& m);
// Presses of the left button, in the client area or on a frame; the second press of a double click
// counts as a press.
bool isLeftPress(uint32_t message);
bool isLeftRelease(uint32_t message);
// A key-down or character message with this code.
bool isKey(const WindowMessage& m, int code);
// Whether the pointer of the message is over the window (or one of its children) and not over another.
bool releasedOver(ws::WindowHandle window, const WindowMessage& m);
// A message the loop does not handle is taken off and dropped; a paint request is marked done, since
// the window would otherwise ask again for ever and starve the input behind it.
void dropMessage(const WindowMessage& m);

// The slider primitive writes its number to the right of what it fills, on a transparent background,
// so a number drawn before would show through the new one: this clears where the number goes.
void clearSliderNumber(ws::ColourRef background, const ws::Rect& bar);
