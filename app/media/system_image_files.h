#pragma once
// The system's own image readers and its BMP and Targa writers, for the host program's still inputs
// and image-sequence outputs.
#include <string>

#include "app/media/host_frame.h"

class ImageBuffer;

enum class SystemImageFormat { bmp, targa };

bool systemImageWritersAvailable();
// Writes the frame's pixels at 24 bits (32-bit frames keep their fourth byte only in Targa files).
bool writeSystemImage(const std::string& path, const HostFrame& frame, SystemImageFormat format, std::string& error);
// Reads a Photoshop, TIFF, BMP, Targa or JPEG file by its signature into image, converted to 32 bits.
bool readSystemImage(const std::string& path, ImageBuffer& image, std::string& error);
