#include "app/image_png.h"

#include <utility>
#include <vector>

#include "image/image_buffer.h"
#include "platform/png_file.h"

bool saveImageAsPng(const ImageBuffer& image, const std::string& path, std::string& error) {
  if (!image.hasHeader() || !image.pixels()) {
    error = "no picture to write";
    return false;
  }
  const bool alpha = image.bitsPerPixel() == 32;
  const int w = image.width(), h = image.height();
  // Every depth through the buffer's own conversion, then blue-green-red turned round.
  ImageBuffer full(w, h, alpha ? 32 : 24);
  if (!full.hasHeader() || !image.convertInto(full, 0, 0)) {
    error = "not enough memory";
    return false;
  }
  const int pix = alpha ? 4 : 3;
  std::vector<const uint8_t*> lines(static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) {
    uint8_t* line = full.row(h - 1 - y);
    for (int x = 0; x < w; ++x) std::swap(line[pix * x], line[pix * x + 2]);
    lines[size_t(y)] = line;
  }
  return writePngFile(path, w, h, pix, lines.data(), false, error);
}
