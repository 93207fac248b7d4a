#pragma once
// Small 32-bit images addressed top-down by (column, line), for the renderer's tests.
#include <array>
#include <cstdint>

#include "image/image_buffer.h"
#include "show/key_frame.h"

using Pixel = std::array<int, 4>;  // blue, green, red, alpha

inline ImageBuffer makeImage(int width, int height, Pixel fill = {0, 0, 0, 0}) {
  ImageBuffer image(width, height, 32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int b = 0; b < 4; ++b) image.row(height - 1 - y)[4 * x + b] = uint8_t(fill[b]);
  return image;
}

inline uint8_t* pixelAt(ImageBuffer& image, int x, int y) { return image.row(image.height() - 1 - y) + 4 * x; }

inline Pixel pixelOf(const ImageBuffer& image, int x, int y) {
  const uint8_t* p = image.row(image.height() - 1 - y) + 4 * x;
  return {p[0], p[1], p[2], p[3]};
}

inline void setPixel(ImageBuffer& image, int x, int y, Pixel value) {
  uint8_t* p = pixelAt(image, x, y);
  for (int b = 0; b < 4; ++b) p[b] = uint8_t(value[b]);
}

inline KeyFrame placed(float x, float y, float width, float height, float rotation = 0, float amount = 0) {
  KeyFrame k;
  k.x = x;
  k.y = y;
  k.width = width;
  k.height = height;
  k.rotation = rotation;
  k.amount = amount;
  return k;
}

inline bool sameBytes(const ImageBuffer& a, const ImageBuffer& b) {
  if (a.width() != b.width() || a.height() != b.height() || a.bitsPerPixel() != b.bitsPerPixel()) return false;
  for (int i = 0; i < a.height(); ++i)
    for (int j = 0; j < a.rowStep(); ++j)
      if (a.row(i)[j] != b.row(i)[j]) return false;
  return true;
}
