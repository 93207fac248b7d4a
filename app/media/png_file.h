#pragma once
// PNG files through libpng: 8-bit RGB, lines top-down.
#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // width x height x 3, top line first
};

// Writes the image; on failure returns false with the reason in error.
bool writePng(const std::string& path, const RgbImage& image, std::string& error);
// Reads any PNG into 8-bit RGB (alpha dropped, palettes and grey expanded).
bool readPng(const std::string& path, RgbImage& image, std::string& error);
