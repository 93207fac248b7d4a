#include "dialogs/panel_loop.h"

#include "platform/platform_state.h"
#include "platform/screen/screen.h"

PanelDrawing::PanelDrawing(ws::WindowHandle window, int fontHeight) : window_(window), fontHeight_(fontHeight) { take(); }

void PanelDrawing::take() {
  if (scope_) return;
  scope_.emplace(window_);
  previousFont_ = scope_->context()->state().font;
  previousBackMode_ = scope_->context()->state().backMode;
  selectFont(standardFont(fontHeight_), 0xFFFFFFFFu, ws::TRANSPARENT);
}

void PanelDrawing::giveBack() {
  if (!scope_) return;
  // Put back what was there before the panel, not just the font before the panel's last choice.
  scope_->context()->selectFont(previousFont_);
  scope_->context()->setBkMode(previousBackMode_);
  scope_.reset();
}

ws::Point pointerIn(ws::WindowHandle window, const WindowMessage& m) { return ws::screen().screenToClient(window, m.point); }

bool isLeftPress(uint32_t message) {
  return message == ws::WM_LBUTTONDOWN || message == ws::WM_LBUTTONDBLCLK || message == ws::WM_NCLBUTTONDOWN ||
         message == ws::WM_NCLBUTTONDBLCLK;
}

bool isLeftRelease(uint32_t message) { return message == ws::WM_LBUTTONUP || message == ws::WM_NCLBUTTONUP; }

bool isKey(const WindowMessage& m, int code) {
  return (m.message == ws::WM_KEYDOWN || m.message == ws::WM_CHAR) && int(m.wParam) == code;
}

namespace {
// h is the window or lies inside it.
bool within(ws::WindowHandle window, ws::WindowHandle h) {
  const ws::Screen& s = ws::screen();
  for (const ws::ScreenWindow* w = s.window(h); w; w = w->parent ? s.window(w->parent) : nullptr)
    if (w->handle == window) return true;
  return false;
}
}  // namespace

bool releasedOver(ws::WindowHandle window, const WindowMessage& m) {
  return within(window, m.window) && within(window, ws::screen().windowAt(m.point));
}

void dropMessage(const WindowMessage& m) {
  if (m.message == ws::WM_PAINT) ws::screen().validate(m.window);
}

void clearSliderNumber(ws::ColourRef background, const ws::Rect& bar) {
  ws::DrawingContext* dc = drawingContext();
  if (!dc) return;
  const int left = bar.right + textWidth("100") + 6;
  // Room for the widest number a slider writes, with the null pen's lost pixel at right and bottom.
  fillRect(background, {left, bar.top - 2, left + 6 + textWidth("000") + 3, bar.top - 2 + dc->font().height() + 1});
}
