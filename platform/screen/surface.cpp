#include "platform/screen/surface.h"

#include <algorithm>

namespace ws {

Surface::Surface(int width, int height, uint32_t fill) { resize(width, height, fill); }

uint32_t Surface::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[size_t(y) * size_t(width_) + size_t(x)];
}

void Surface::setPixel(int x, int y, uint32_t p) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[size_t(y) * size_t(width_) + size_t(x)] = p;
}

void Surface::resize(int width, int height, uint32_t fill) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  std::vector<uint32_t> next(size_t(width) * size_t(height), fill);
  const int w = std::min(width, width_), h = std::min(height, height_);
  for (int y = 0; y < h; ++y) std::copy_n(row(y), w, next.data() + size_t(y) * size_t(width));
  pixels_.swap(next);
  width_ = width;
  height_ = height;
}

void Surface::fill(const Rect& r, uint32_t p) {
  const Rect c = r.intersect(bounds());
  for (int y = c.top; y < c.bottom; ++y) std::fill(row(y) + c.left, row(y) + c.right, p);
}

void Surface::blit(const Surface& source, const Rect& from, int x, int y, const Rect& clip) {
  const Rect src = from.intersect(source.bounds());
  const int dx = x - from.left, dy = y - from.top;
  const Rect dst = src.offset(dx, dy).intersect(bounds()).intersect(clip);
  for (int yy = dst.top; yy < dst.bottom; ++yy)
    std::copy_n(source.row(yy - dy) + (dst.left - dx), dst.width(), row(yy) + dst.left);
}

}  // namespace ws
