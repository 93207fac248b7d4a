#include "platform/screen/drawing_context.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/screen/dib.h"
#include "platform/screen/raster.h"

namespace ws {

FontRef defaultFont() {
  static FontRef font = Font::create(FontRequest{"Arial", -13, 700, false, false});
  return font;
}

DrawingContext::DrawingContext(std::shared_ptr<Surface> surface, Rect clip) : surface_(std::move(surface)) {
  if (!surface_) surface_ = std::make_shared<Surface>();
  clip_ = clip.empty() ? surface_->bounds() : clip.intersect(surface_->bounds());
}

Point DrawingContext::setWindowOrg(int x, int y) { return std::exchange(state_.origin, Point{x, y}); }
Pen DrawingContext::selectPen(const Pen& pen) { return std::exchange(state_.pen, pen); }
Brush DrawingContext::selectBrush(const Brush& brush) { return std::exchange(state_.brush, brush); }
int DrawingContext::setRop2(int mode) { return std::exchange(state_.rop2, mode); }
ColourRef DrawingContext::setTextColor(ColourRef c) { return std::exchange(state_.textColour, c); }
ColourRef DrawingContext::setBkColor(ColourRef c) { return std::exchange(state_.backColour, c); }
int DrawingContext::setBkMode(int mode) { return std::exchange(state_.backMode, mode); }
uint32_t DrawingContext::setTextAlign(uint32_t align) { return std::exchange(state_.textAlign, align); }
FontRef DrawingContext::selectFont(FontRef font) { return std::exchange(state_.font, std::move(font)); }
int DrawingContext::setStretchBltMode(int mode) { return std::exchange(state_.stretchMode, mode); }

const Font& DrawingContext::font() const { return state_.font ? *state_.font : *defaultFont(); }

void DrawingContext::fillMask(const Mask& m, ColourRef colour) { applyMask(*surface_, m, pixelOf(colour), state_.rop2); }

void DrawingContext::moveTo(int x, int y) { state_.position = {x, y}; }

void DrawingContext::lineTo(int x, int y) {
  const Point from = state_.position;
  state_.position = {x, y};
  if (state_.pen.isNull()) return;
  const Point o = state_.origin;
  Mask m(clip_);
  int phase = 0;
  maskLine(m, from.x - o.x, from.y - o.y, x - o.x, y - o.y, state_.pen.width, state_.pen.style, phase, false);
  fillMask(m, state_.pen.colour);
}

void DrawingContext::outline(const std::vector<Point>& d, bool closed) {
  if (state_.pen.isNull() || d.size() < 2) return;
  Mask m(clip_);
  int phase = 0;
  const size_t n = d.size();
  for (size_t i = 0; i + 1 < n; ++i) maskLine(m, d[i].x, d[i].y, d[i + 1].x, d[i + 1].y, state_.pen.width, state_.pen.style, phase, false);
  if (closed) maskLine(m, d[n - 1].x, d[n - 1].y, d[0].x, d[0].y, state_.pen.width, state_.pen.style, phase, false);
  fillMask(m, state_.pen.colour);
}

void DrawingContext::rectangle(int l, int t, int r, int b) {
  const Point o = state_.origin;
  l -= o.x, r -= o.x, t -= o.y, b -= o.y;
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  if (!state_.brush.null) {
    Mask m(clip_);
    // With a pen the interior reaches the outline; with the null pen the shape is one pixel smaller.
    if (state_.pen.isNull()) m.box(l, t, r - 2, b - 2);
    else m.box(l + 1, t + 1, r - 2, b - 2);
    fillMask(m, state_.brush.colour);
  }
  if (state_.pen.isNull() || r - l < 1 || b - t < 1) return;
  outline({{l, t}, {r - 1, t}, {r - 1, b - 1}, {l, b - 1}}, true);
}

void DrawingContext::roundRect(int l, int t, int r, int b, int cw, int ch) {
  const Point o = state_.origin;
  l -= o.x, r -= o.x, t -= o.y, b -= o.y;
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  cw = std::abs(cw), ch = std::abs(ch);
  const bool nullPen = state_.pen.isNull();
  const int right = nullPen ? r - 2 : r - 1, bottom = nullPen ? b - 2 : b - 1;
  if (!state_.brush.null) {
    Mask m(clip_);
    maskRoundRectFill(m, l, t, right, bottom, cw, ch);
    fillMask(m, state_.brush.colour);
  }
  if (nullPen) return;
  Mask m(clip_);
  maskRoundRectFrame(m, l, t, r - 1, b - 1, cw, ch, state_.pen.width);
  fillMask(m, state_.pen.colour);
}

void DrawingContext::ellipse(int l, int t, int r, int b) {
  const int w = std::abs(r - l), h = std::abs(b - t);
  roundRect(l, t, r, b, w, h);
}

void DrawingContext::polyline(const Point* points, int count) {
  if (!points || count < 2) return;
  std::vector<Point> d(points, points + count);
  for (auto& p : d) p.x -= state_.origin.x, p.y -= state_.origin.y;
  outline(d, false);
}

void DrawingContext::polygon(const Point* points, int count) {
  if (!points || count < 2) return;
  std::vector<Point> d(points, points + count);
  for (auto& p : d) p.x -= state_.origin.x, p.y -= state_.origin.y;
  if (!state_.brush.null && count >= 3) {
    Mask m(clip_);
    maskPolygon(m, d.data(), count);
    fillMask(m, state_.brush.colour);
  }
  outline(d, true);
}

void DrawingContext::fillRect(const Rect& r, ColourRef colour) {
  const Rect d = r.offset(-state_.origin.x, -state_.origin.y).intersect(clip_);
  surface_->fill(d, pixelOf(colour));
}

void DrawingContext::invertRect(const Rect& r) {
  const Rect d = r.offset(-state_.origin.x, -state_.origin.y).intersect(clip_);
  for (int y = d.top; y < d.bottom; ++y)
    for (int x = d.left; x < d.right; ++x) surface_->row(y)[x] ^= 0xFFFFFF;
}

Point DrawingContext::textExtent(const std::string& text) const {
  const Font& f = font();
  return {f.textWidth(text), f.height()};
}

void DrawingContext::textOut(int x, int y, const std::string& text) {
  const Font& f = font();
  const int w = f.textWidth(text);
  x -= state_.origin.x, y -= state_.origin.y;
  const uint32_t a = state_.textAlign;
  if ((a & TA_CENTER) == TA_CENTER) x -= w / 2;
  else if (a & TA_RIGHT) x -= w;
  if ((a & TA_BASELINE) == TA_BASELINE) y -= f.ascent();
  else if (a & TA_BOTTOM) y -= f.height();
  if (state_.backMode == OPAQUE) surface_->fill(Rect{x, y, x + w, y + f.height()}.intersect(clip_), pixelOf(state_.backColour));
  f.draw(*surface_, clip_, x, y, text, pixelOf(state_.textColour));
}

int DrawingContext::stretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                                  int srcHeight, const void* bits, const void* header, uint32_t, uint32_t rop) {
  DibView dib;
  if (!dib.open(static_cast<const uint8_t*>(header), static_cast<const uint8_t*>(bits))) return 0;
  return drawDib(dib, xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight, rop);
}

int DrawingContext::drawDib(const DibView& dib, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                            int srcWidth, int srcHeight, uint32_t rop) {
  if (destWidth == 0 || destHeight == 0 || srcWidth == 0 || srcHeight == 0) return 0;
  // A negative extent mirrors; the nearest source pixel is picked for each destination pixel.
  const bool flipX = (destWidth < 0) != (srcWidth < 0), flipY = (destHeight < 0) != (srcHeight < 0);
  const int dw = std::abs(destWidth), dh = std::abs(destHeight), sw = std::abs(srcWidth), sh = std::abs(srcHeight);
  const int dx0 = (destWidth < 0 ? xDest + destWidth : xDest) - state_.origin.x;
  const int dy0 = (destHeight < 0 ? yDest + destHeight : yDest) - state_.origin.y;
  const int sx0 = srcWidth < 0 ? xSrc + srcWidth : xSrc, sy0 = srcHeight < 0 ? ySrc + srcHeight : ySrc;
  const Rect target = Rect{dx0, dy0, dx0 + dw, dy0 + dh}.intersect(clip_);
  const uint32_t pattern = pixelOf(state_.brush.colour);
  for (int y = target.top; y < target.bottom; ++y) {
    int j = y - dy0;
    if (flipY) j = dh - 1 - j;
    const int sy = sy0 + int(int64_t(j) * sh / dh);
    if (sy < 0 || sy >= dib.height()) continue;
    uint32_t* row = surface_->row(y);
    for (int x = target.left; x < target.right; ++x) {
      int i = x - dx0;
      if (flipX) i = dw - 1 - i;
      const int sx = sx0 + int(int64_t(i) * sw / dw);
      if (sx < 0 || sx >= dib.width()) continue;
      row[x] = rop3(rop, pattern, dib.pixel(sx, sy), row[x]);
    }
  }
  return target.empty() ? 0 : target.height();
}

void DrawingContext::bitBlt(int x, int y, int width, int height, const Surface& source, int xSrc, int ySrc, uint32_t rop) {
  x -= state_.origin.x, y -= state_.origin.y;
  const Rect target = Rect{x, y, x + width, y + height}.intersect(clip_);
  const uint32_t pattern = pixelOf(state_.brush.colour);
  for (int yy = target.top; yy < target.bottom; ++yy) {
    uint32_t* row = surface_->row(yy);
    for (int xx = target.left; xx < target.right; ++xx) {
      const int sx = xSrc + xx - x, sy = ySrc + yy - y;
      const bool inside = sx >= 0 && sy >= 0 && sx < source.width() && sy < source.height();
      row[xx] = rop3(rop, pattern, inside ? source.pixel(sx, sy) : 0, row[xx]);
    }
  }
}

}  // namespace ws
