#include "app/media/png_file.h"

#include "platform/png_file.h"

bool writePng(const std::string& path, const RgbImage& image, std::string& error) {
  if (image.width <= 0 || image.height <= 0 || image.rgb.size() < size_t(image.width) * image.height * 3) {
    error = "no picture to write";
    return false;
  }
  std::vector<const uint8_t*> lines(size_t(image.height));
  for (int y = 0; y < image.height; ++y) lines[size_t(y)] = &image.rgb[size_t(y) * size_t(image.width) * 3];
  return writePngFile(path, image.width, image.height, 3, lines.data(), true, error);
}

bool readPng(const std::string& path, RgbImage& image, std::string& error) {
  return readPngFile(path, image.width, image.height, image.rgb, error);
}
