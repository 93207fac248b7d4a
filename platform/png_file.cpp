#include "platform/png_file.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

void pngError(png_structp png, png_const_charp message) {
  auto* error = static_cast<std::string*>(png_get_error_ptr(png));
  *error = message;
  png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// libpng reports errors by a long jump; nothing with a destructor lives inside this function.
bool writeLines(std::FILE* file, int width, int height, int channels, const uint8_t* const* lines, bool srgb,
                std::string& error) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, pngError, pngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8,
               channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (srgb) png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) png_write_row(png, lines[y]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool writePngFile(const std::string& path, int width, int height, int channels, const uint8_t* const* lines,
                  bool srgb, std::string& error) {
  if (width <= 0 || height <= 0 || (channels != 3 && channels != 4) || !lines) {
    error = "no picture to write";
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = std::strerror(errno);
    return false;
  }
  const bool written = writeLines(file, width, height, channels, lines, srgb, error);
  const bool closed = std::fclose(file) == 0;
  if (written && !closed) error = "the file could not be written completely";
  return written && closed;
}

bool readPngFile(const std::string& path, int& width, int& height, std::vector<uint8_t>& rgb, std::string& error) {
  png_image in;
  std::memset(&in, 0, sizeof in);
  in.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&in, path.c_str())) {
    error = in.message;
    return false;
  }
  in.format = PNG_FORMAT_RGB;
  width = int(in.width);
  height = int(in.height);
  rgb.assign(PNG_IMAGE_SIZE(in), 0);
  if (!png_image_finish_read(&in, nullptr, rgb.data(), 0, nullptr)) {
    error = in.message;
    png_image_free(&in);
    return false;
  }
  return true;
}
