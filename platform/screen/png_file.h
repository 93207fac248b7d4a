#pragma once
// Screenshots: a surface written as an 8-bit RGB PNG file.
#include <string>

#include "platform/screen/surface.h"

namespace ws {

bool writePng(const std::string& path, const Surface& surface);
// Reads an RGB or RGBA PNG into a surface (tests compare against written files).
bool readPng(const std::string& path, Surface& surface);

}  // namespace ws
