#include "app/image_png.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "image/image_buffer.h"

namespace {

void pngError(png_structp png, png_const_charp message) {
  auto* error = static_cast<std::string*>(png_get_error_ptr(png));
  *error = message;
  png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// libpng reports errors by a long jump; nothing with a destructor lives inside this function.
bool writeRows(std::FILE* file, int width, int height, bool alpha, png_bytepp rows, std::string& error) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, pngError, pngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

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
  std::vector<png_bytep> rows(static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) {
    png_bytep line = full.row(h - 1 - y);
    for (int x = 0; x < w; ++x) std::swap(line[pix * x], line[pix * x + 2]);
    rows[size_t(y)] = line;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = std::strerror(errno);
    return false;
  }
  const bool written = writeRows(file, w, h, alpha, rows.data(), error);
  const bool closed = std::fclose(file) == 0;
  if (written && !closed) error = "the file could not be written completely";
  return written && closed;
}
