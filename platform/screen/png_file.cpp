#include "platform/screen/png_file.h"

#include <vector>

#include "platform/png_file.h"

namespace ws {

bool writePng(const std::string& path, const Surface& s) {
  if (s.width() <= 0 || s.height() <= 0) return false;
  std::vector<uint8_t> pixels(size_t(s.width()) * size_t(s.height()) * 3);
  std::vector<const uint8_t*> lines(size_t(s.height()));
  for (int y = 0; y < s.height(); ++y) {
    const uint32_t* src = s.row(y);
    uint8_t* line = &pixels[size_t(y) * size_t(s.width()) * 3];
    for (int x = 0; x < s.width(); ++x) {
      line[size_t(x) * 3] = uint8_t(src[x] >> 16);
      line[size_t(x) * 3 + 1] = uint8_t(src[x] >> 8);
      line[size_t(x) * 3 + 2] = uint8_t(src[x]);
    }
    lines[size_t(y)] = line;
  }
  std::string error;
  return writePngFile(path, s.width(), s.height(), 3, lines.data(), false, error);
}

bool readPng(const std::string& path, Surface& s) {
  int w = 0, h = 0;
  std::vector<uint8_t> rgb;
  std::string error;
  if (!readPngFile(path, w, h, rgb, error)) return false;
  s.resize(0, 0);
  s.resize(w, h, 0);
  for (int y = 0; y < h; ++y) {
    const uint8_t* line = &rgb[size_t(y) * size_t(w) * 3];
    for (int x = 0; x < w; ++x)
      s.row(y)[x] =
          uint32_t(line[size_t(x) * 3]) << 16 | uint32_t(line[size_t(x) * 3 + 1]) << 8 | line[size_t(x) * 3 + 2];
  }
  return true;
}

}  // namespace ws
