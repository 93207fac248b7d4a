#pragma once
// Drawing through a context clipped to part of a window's client area.
#include <optional>

#include "platform/drawing.h"
#include "platform/screen/drawing_context.h"
#include "platform/screen/screen.h"

// Makes a drawing context over part of a window's client area the current one for a scope. Each
// primitive marks its pixels in a coverage mask as large as the context's clip, so a clip around what
// is drawn keeps the cost of an outline to its own size rather than the window's.
class ClippedDrawing {
 public:
  ClippedDrawing(ws::WindowHandle window, const ws::Rect& clip) : previous_(drawingContext()) {
    ws::ScreenWindow* w = ws::screen().window(window);
    if (!w || !w->surface) return;
    const ws::Rect bounds = clip.intersect({0, 0, w->surface->width(), w->surface->height()});
    if (bounds.empty()) return;
    dc_.emplace(w->surface, bounds);
    setDrawingContext(&*dc_);
  }
  ~ClippedDrawing() {
    if (dc_) setDrawingContext(previous_);
  }
  ClippedDrawing(const ClippedDrawing&) = delete;
  ClippedDrawing& operator=(const ClippedDrawing&) = delete;
  bool active() const { return dc_.has_value(); }

 private:
  std::optional<ws::DrawingContext> dc_;
  ws::DrawingContext* previous_;
};
