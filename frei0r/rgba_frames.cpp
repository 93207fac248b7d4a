#include "frei0r/rgba_frames.h"

#include "image/image_buffer.h"

void copyFrameToImage(const uint32_t* frame, unsigned width, unsigned height, ImageBuffer& image) {
  const uint8_t* in = reinterpret_cast<const uint8_t*>(frame);
  for (unsigned y = 0; y < height; ++y) {
    uint8_t* out = image.row(int(height - 1 - y));
    const uint8_t* line = in + size_t(y) * width * 4;
    for (unsigned x = 0; x < width; ++x) {
      out[4 * x] = line[4 * x + 2];
      out[4 * x + 1] = line[4 * x + 1];
      out[4 * x + 2] = line[4 * x];
      out[4 * x + 3] = line[4 * x + 3];
    }
  }
}

void copyImageToFrame(const ImageBuffer& image, unsigned width, unsigned height, uint32_t* frame) {
  uint8_t* out = reinterpret_cast<uint8_t*>(frame);
  for (unsigned y = 0; y < height; ++y) {
    const uint8_t* in = image.row(int(height - 1 - y));
    uint8_t* line = out + size_t(y) * width * 4;
    for (unsigned x = 0; x < width; ++x) {
      line[4 * x] = in[4 * x + 2];
      line[4 * x + 1] = in[4 * x + 1];
      line[4 * x + 2] = in[4 * x];
      line[4 * x + 3] = in[4 * x + 3];
    }
  }
}
