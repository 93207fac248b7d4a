#pragma once
// A 32-bit pixel surface: the screen's framebuffer and every window's client backing store. Pixels are
// 0x00RRGGBB (the byte order SDL calls ARGB8888), so a surface is shown without conversion.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/screen/win_defs.h"

namespace ws {

constexpr uint32_t pixelOf(ColourRef c) { return uint32_t(redOf(c)) << 16 | uint32_t(greenOf(c)) << 8 | uint32_t(blueOf(c)); }
constexpr ColourRef colourOf(uint32_t p) { return rgb(int(p >> 16) & 255, int(p >> 8) & 255, int(p) & 255); }

class Surface {
 public:
  explicit Surface(int width = 0, int height = 0, uint32_t fill = 0xFFFFFF);

  int width() const { return width_; }
  int height() const { return height_; }
  Rect bounds() const { return {0, 0, width_, height_}; }
  uint32_t* row(int y) { return pixels_.data() + size_t(y) * size_t(width_); }
  const uint32_t* row(int y) const { return pixels_.data() + size_t(y) * size_t(width_); }
  // Outside the surface reads as 0 and writes are dropped.
  uint32_t pixel(int x, int y) const;
  void setPixel(int x, int y, uint32_t p);
  const std::vector<uint32_t>& data() const { return pixels_; }

  // Keeps the pixels that still fit; new area gets fill.
  void resize(int width, int height, uint32_t fill = 0xFFFFFF);
  void fill(const Rect& r, uint32_t p);
  // Copies source's rectangle from to (x, y), clipped to this surface and to clip.
  void blit(const Surface& source, const Rect& from, int x, int y, const Rect& clip);

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
};

}  // namespace ws
