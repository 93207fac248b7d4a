#pragma once
// frei0r frames are packed 32-bit pixels, red first in memory, top line first; the renderer's images
// are blue first and bottom-up. These copies turn one into the other without changing a byte's value.
#include <cstdint>

class ImageBuffer;

// Fills `image` (already created at width x height, 32 bits) from an RGBA frame; the alpha comes along.
void copyFrameToImage(const uint32_t* frame, unsigned width, unsigned height, ImageBuffer& image);

// Writes a 32-bit image of width x height into an RGBA frame.
void copyImageToFrame(const ImageBuffer& image, unsigned width, unsigned height, uint32_t* frame);
