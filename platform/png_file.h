#pragma once
// PNG files through libpng, in one place: the writer of the program's PNG output (screenshots,
// "image convert", image sequences, contact sheets) and a reader of such files back into 8-bit RGB.
// Pictures a user loads go through the picture readers instead (image/read_png.cpp), which bound what
// a hostile file can make libpng allocate and keep the file's values as they are.
#include <cstdint>
#include <string>
#include <vector>

// Writes width x height pixels of `channels` bytes each (3 RGB, 4 RGBA); lines[y] is the y-th line
// from the top. With srgb the file says its colours are sRGB (an sRGB chunk), as movie frames and
// contact sheets do. On failure returns false with the reason in error.
bool writePngFile(const std::string& path, int width, int height, int channels, const uint8_t* const* lines,
                  bool srgb, std::string& error);

// Reads any PNG into 8-bit RGB lines, top line first, through libpng's simplified interface (alpha
// dropped, palettes and grey expanded). On failure returns false with the reason in error.
bool readPngFile(const std::string& path, int& width, int& height, std::vector<uint8_t>& rgb, std::string& error);
