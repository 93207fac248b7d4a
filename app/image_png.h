#pragma once
// PNG output of "kestrelmove image convert": pictures keep their alpha in PNG files.
#include <string>

class ImageBuffer;

// Writes the buffer top line first, as 8-bit RGBA for 32-bit buffers and 8-bit RGB otherwise. On
// failure returns false with the reason in error.
bool saveImageAsPng(const ImageBuffer& image, const std::string& path, std::string& error);
