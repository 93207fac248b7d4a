#include "app/media/png_file.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

bool writePng(const std::string& path, const RgbImage& image, std::string& error) {
  if (image.width <= 0 || image.height <= 0 || image.rgb.size() < size_t(image.width) * image.height * 3) {
    error = "no picture to write";
    return false;
  }
  png_image out;
  std::memset(&out, 0, sizeof out);
  out.version = PNG_IMAGE_VERSION;
  out.width = uint32_t(image.width);
  out.height = uint32_t(image.height);
  out.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&out, path.c_str(), 0, image.rgb.data(), image.width * 3, nullptr)) {
    error = out.message[0] ? out.message : std::strerror(errno);
    png_image_free(&out);
    return false;
  }
  return true;
}

bool readPng(const std::string& path, RgbImage& image, std::string& error) {
  png_image in;
  std::memset(&in, 0, sizeof in);
  in.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&in, path.c_str())) {
    error = in.message;
    return false;
  }
  in.format = PNG_FORMAT_RGB;
  image.width = int(in.width);
  image.height = int(in.height);
  image.rgb.assign(PNG_IMAGE_SIZE(in), 0);
  if (!png_image_finish_read(&in, nullptr, image.rgb.data(), 0, nullptr)) {
    error = in.message;
    png_image_free(&in);
    return false;
  }
  return true;
}
