#include "platform/screen/png_file.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace ws {

bool writePng(const std::string& path, const Surface& s) {
  if (s.width() <= 0 || s.height() <= 0) return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<uint8_t> row(size_t(s.width()) * 3);
  bool ok = false;
  if (png && info && !setjmp(png_jmpbuf(png))) {
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(s.width()), png_uint_32(s.height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < s.height(); ++y) {
      const uint32_t* src = s.row(y);
      for (int x = 0; x < s.width(); ++x) {
        row[size_t(x) * 3] = uint8_t(src[x] >> 16);
        row[size_t(x) * 3 + 1] = uint8_t(src[x] >> 8);
        row[size_t(x) * 3 + 2] = uint8_t(src[x]);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  return std::fclose(f) == 0 && ok;
}

bool readPng(const std::string& path, Surface& s) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  if (png && info && !setjmp(png_jmpbuf(png))) {
    png_init_io(png, f);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    const int w = int(png_get_image_width(png, info)), h = int(png_get_image_height(png, info));
    std::vector<uint8_t> row(size_t(w) * 4);
    s.resize(0, 0);
    s.resize(w, h, 0);
    for (int y = 0; y < h; ++y) {
      png_read_row(png, row.data(), nullptr);
      for (int x = 0; x < w; ++x)
        s.row(y)[x] = uint32_t(row[size_t(x) * 4]) << 16 | uint32_t(row[size_t(x) * 4 + 1]) << 8 | row[size_t(x) * 4 + 2];
    }
    ok = true;
  }
  png_destroy_read_struct(png ? &png : nullptr, info ? &info : nullptr, nullptr);
  std::fclose(f);
  return ok;
}

}  // namespace ws
