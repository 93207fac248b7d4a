#pragma once
// A video frame as the host hands it to the plug-in: a BITMAPINFOHEADER-layout header and pixels
// blue, green, red (, fourth byte), rows bottom-up. Source frames are packed (rows follow each other
// without padding); destination frames have rows padded to 4 bytes.
#include <cstdint>
#include <vector>

#include "host/host_records.h"

struct HostFrame {
  FrameHeader header{};
  std::vector<uint8_t> pixels;
  int rowStep = 0;

  // Re-creates the frame at width x height and bitsPerPixel (24 or 32), black.
  void create(int width, int height, int bitsPerPixel, bool padded);
  int width() const { return header.width; }
  int height() const { return header.height; }
  int bytesPerPixel() const { return header.bitCount / 8; }
  bool empty() const { return pixels.empty(); }
  // Row i counted from the bottom.
  uint8_t* row(int i) { return pixels.data() + size_t(i) * rowStep; }
  const uint8_t* row(int i) const { return pixels.data() + size_t(i) * rowStep; }
  // Line i counted from the top, as video counts its lines.
  uint8_t* line(int i) { return row(height() - 1 - i); }
  const uint8_t* line(int i) const { return row(height() - 1 - i); }
};

// Lines of one field of a full frame: field 1 holds the even lines 0, 2, 4, ... counted from the top,
// field 2 the odd lines. The result has the frame's row layout and (height + 1) / 2 or height / 2 lines.
int fieldHeight(int frameHeight, int field);
void extractField(const HostFrame& frame, int field, HostFrame& out);

// Weaves two rendered fields into one frame of `frame`'s size (already created).
void weaveFields(const HostFrame& field1, const HostFrame& field2, HostFrame& frame);
