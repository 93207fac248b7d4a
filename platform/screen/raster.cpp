#include "platform/screen/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ws {

Mask::Mask(const Rect& clip) : clip_(clip.empty() ? Rect{} : clip), bits_(size_t(clip_.width()) * size_t(clip_.height()), 0) {}

void Mask::span(int y, int x0, int x1) {
  if (y < clip_.top || y >= clip_.bottom) return;
  x0 = std::max(x0, clip_.left);
  x1 = std::min(x1, clip_.right - 1);
  if (x1 < x0) return;
  uint8_t* row = bits_.data() + size_t(y - clip_.top) * size_t(clip_.width());
  std::fill(row + (x0 - clip_.left), row + (x1 - clip_.left) + 1, uint8_t(1));
  mark(y, x0, x1);
}

void Mask::box(int left, int top, int right, int bottom) {
  for (int y = std::max(top, clip_.top); y <= bottom && y < clip_.bottom; ++y) span(y, left, right);
}

bool Mask::anySet() const {
  for (int y = marked_.top; y < marked_.bottom; ++y)
    for (int x = marked_.left; x < marked_.right; ++x)
      if (get(x, y)) return true;
  return false;
}

uint32_t mixPixel(int rop2, uint32_t pen, uint32_t dst) {
  // R2 codes are 1-based truth tables over pen and destination; the common ones spelt out.
  switch (rop2) {
    case R2_BLACK: return 0;
    case R2_NOT: return ~dst & 0xFFFFFF;
    case R2_XORPEN: return (pen ^ dst) & 0xFFFFFF;
    case R2_WHITE: return 0xFFFFFF;
    case R2_COPYPEN: return pen;
    default: {
      const uint32_t code = uint32_t(rop2 - 1);
      uint32_t out = 0;
      // bit (pen, dst) of the table: 0 = neither, 1 = dst only, 2 = pen only, 3 = both
      if (code & 1) out |= ~pen & ~dst;
      if (code & 2) out |= ~pen & dst;
      if (code & 4) out |= pen & ~dst;
      if (code & 8) out |= pen & dst;
      return out & 0xFFFFFF;
    }
  }
}

void applyMask(Surface& s, const Mask& m, uint32_t colour, int rop2) {
  const Rect c = m.marked().intersect(s.bounds());
  for (int y = c.top; y < c.bottom; ++y) {
    uint32_t* row = s.row(y);
    for (int x = c.left; x < c.right; ++x)
      if (m.get(x, y)) row[x] = mixPixel(rop2, colour, row[x]);
  }
}

const std::vector<int>* dashPattern(int penStyle) {
  static const std::vector<int> dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3};
  switch (penStyle) {
    case PS_DASH: return &dash;
    case PS_DOT: return &dot;
    case PS_DASHDOT: return &dashDot;
    case PS_DASHDOTDOT: return &dashDotDot;
    default: return nullptr;
  }
}

static bool dashOn(const std::vector<int>* dashes, int phase) {
  if (!dashes) return true;
  int total = 0;
  for (int d : *dashes) total += d;
  int p = phase % total;
  for (size_t i = 0; i < dashes->size(); ++i) {
    if (p < (*dashes)[i]) return i % 2 == 0;
    p -= (*dashes)[i];
  }
  return true;
}

void maskThinLine(Mask& m, int x1, int y1, int x2, int y2, const std::vector<int>* dashes, int& phase) {
  const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
  const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  int err = dx + dy;
  int x = x1, y = y1;
  while (x != x2 || y != y2) {
    if (dashOn(dashes, phase)) m.set(x, y);
    ++phase;
    const int e2 = 2 * err;
    if (e2 >= dy) { err += dy; x += sx; }
    if (e2 <= dx) { err += dx; y += sy; }
  }
}

void maskWideLine(Mask& m, int x1, int y1, int x2, int y2, int width) {
  const double r = width / 2.0;
  const int l = int(std::floor(std::min(x1, x2) - r)), rr = int(std::ceil(std::max(x1, x2) + r));
  const int t = int(std::floor(std::min(y1, y2) - r)), b = int(std::ceil(std::max(y1, y2) + r));
  const double vx = x2 - x1, vy = y2 - y1, len2 = vx * vx + vy * vy;
  // A small tolerance keeps the band symmetric where pixel centres fall exactly on its edge.
  const double limit = r * r - 0.25 + 1e-9;
  const double len = std::sqrt(len2);
  for (int y = std::max(t, m.clip().top); y <= b && y < m.clip().bottom; ++y) {
    // A pixel of the band lies within r of the infinite line too, which bounds its x on this row:
    // |x - xOnLine(y)| <= r * len / |vy|. Only pixels that cannot be in the band are passed over.
    int from = std::max(l, m.clip().left), to = std::min(rr, m.clip().right - 1);
    if (std::abs(vy) * 64 >= len) {
      const double onLine = x1 + (y - y1) * vx / vy, reach = r * len / std::abs(vy);
      // Limited as doubles: far outside the clip the bounds do not fit an int.
      const double low = std::floor(onLine - reach) - 1, high = std::ceil(onLine + reach) + 1;
      if (low > from) from = low > to ? to + 1 : int(low);
      if (high < to) to = high < from ? from - 1 : int(high);
    }
    for (int x = from; x <= to; ++x) {
      double u = len2 > 0 ? ((x - x1) * vx + (y - y1) * vy) / len2 : 0;
      u = std::clamp(u, 0.0, 1.0);
      const double px = x1 + u * vx - x, py = y1 + u * vy - y;
      if (px * px + py * py <= limit) m.set(x, y);
    }
  }
}

void maskLine(Mask& m, int x1, int y1, int x2, int y2, int width, int penStyle, int& phase, bool lastPoint) {
  if (width <= 1) {
    maskThinLine(m, x1, y1, x2, y2, dashPattern(penStyle), phase);
    if (lastPoint) m.set(x2, y2);
  } else {
    maskWideLine(m, x1, y1, x2, y2, width);
  }
}

// Whether pixel centre (x, y) lies inside the rounded box with corner radii (rx, ry).
static bool insideRound(double x, double y, double l, double t, double r, double b, double rx, double ry) {
  if (x < l || x > r || y < t || y > b) return false;
  if (rx <= 0 || ry <= 0) return true;
  const double cx = x < l + rx ? l + rx : (x > r - rx ? r - rx : x);
  const double cy = y < t + ry ? t + ry : (y > b - ry ? b - ry : y);
  const double nx = (x - cx) / rx, ny = (y - cy) / ry;
  return nx * nx + ny * ny <= 1.0 + 1e-9;
}

void maskRoundRectFill(Mask& m, double l, double t, double r, double b, double cw, double ch) {
  if (r < l || b < t) return;
  // The shape covers the pixel squares from l - 0.5 to r + 0.5; a pixel belongs to it when its centre
  // does, with the corner ellipse measured on that outer edge.
  const double L = l - 0.5, T = t - 0.5, R = r + 0.5, B = b + 0.5;
  const double rx = std::min(cw / 2.0, (R - L) / 2.0), ry = std::min(ch / 2.0, (B - T) / 2.0);
  for (int y = std::max(int(std::floor(t)), m.clip().top); y <= int(std::ceil(b)) && y < m.clip().bottom; ++y)
    for (int x = std::max(int(std::floor(l)), m.clip().left); x <= int(std::ceil(r)) && x < m.clip().right; ++x)
      if (insideRound(x, y, L, T, R, B, rx, ry)) m.set(x, y);
}

void maskRoundRectFrame(Mask& m, int l, int t, int r, int b, int cw, int ch, int width) {
  if (r < l || b < t) return;
  width = std::max(width, 1);
  const int out = (width - 1) / 2, in = width / 2;
  Mask outer(m.clip()), inner(m.clip());
  const double ocw = cw > 0 ? cw + 2.0 * out : 0, och = ch > 0 ? ch + 2.0 * out : 0;
  const double icw = cw > 0 ? std::max(cw - 2.0 * (in + 1), 0.0) : 0, ich = ch > 0 ? std::max(ch - 2.0 * (in + 1), 0.0) : 0;
  maskRoundRectFill(outer, l - out, t - out, r + out, b + out, ocw, och);
  maskRoundRectFill(inner, l + in + 1, t + in + 1, r - in - 1, b - in - 1, icw, ich);
  const Rect c = outer.marked();
  for (int y = c.top; y < c.bottom; ++y)
    for (int x = c.left; x < c.right; ++x)
      if (outer.get(x, y) && !inner.get(x, y)) m.set(x, y);
}

void maskPolygon(Mask& m, const Point* p, int n) {
  if (n < 3) return;
  int top = p[0].y, bottom = p[0].y;
  for (int i = 1; i < n; ++i) top = std::min(top, p[i].y), bottom = std::max(bottom, p[i].y);
  std::vector<double> xs;
  for (int y = std::max(top, m.clip().top); y <= bottom && y < m.clip().bottom; ++y) {
    xs.clear();
    const double sy = y + 0.5;
    for (int i = 0; i < n; ++i) {
      const Point a = p[i], b = p[(i + 1) % n];
      if ((a.y <= sy) == (b.y <= sy)) continue;
      xs.push_back(a.x + (sy - a.y) * double(b.x - a.x) / double(b.y - a.y));
    }
    std::sort(xs.begin(), xs.end());
    for (size_t i = 0; i + 1 < xs.size(); i += 2) {
      const int x0 = int(std::ceil(xs[i] - 0.5)), x1 = int(std::ceil(xs[i + 1] - 0.5)) - 1;
      m.span(y, x0, x1);
    }
  }
}

}  // namespace ws
