// The BMP and Targa writers.
#include <algorithm>
#include <cstring>

#include "image/image_buffer.h"
#include "image/open_file.h"

namespace {

void put16(uint8_t* at, uint32_t v) {
  at[0] = uint8_t(v);
  at[1] = uint8_t(v >> 8);
}

void put32(uint8_t* at, uint32_t v) {
  put16(at, v);
  put16(at + 2, v >> 16);
}

}  // namespace

bool ImageBuffer::write(OpenFile& file, int format) const {
  if (!hasHeader() || !pixels()) return false;
  const int w = width(), h = height(), bits = bitsPerPixel();
  // 0 is BMP and 1 Targa; any other number would write nothing (or a file nobody asked for) while
  // the caller believed it saved.
  if (format != 0 && format != 1) return false;
  if (format == 1) {
    uint8_t head[18] = {};
    head[2] = 2;
    put16(head + 12, uint32_t(w));
    put16(head + 14, uint32_t(h));
    head[16] = uint8_t(bits);
    // The descriptor counts the alpha bits: 8 for 32-bit pixels, none for the others.
    head[17] = uint8_t(bits % 8 + (bits > 23 ? bits - 24 : 0));
    if (file.write(head, sizeof head) != long(sizeof head)) return false;
    const long lineBytes = std::min<long>(long(w) * bits / 8, rowStep());
    for (int i = 0; i < h; ++i)
      if (file.write(row(i), lineBytes) != lineBytes) return false;
    return true;
  }
  const uint32_t dataOffset = 54 + 4 * uint32_t(paletteEntries());
  uint8_t fileHeader[14] = {'B', 'M'};
  put32(fileHeader + 2, uint32_t(h) * uint32_t(rowStep()) + dataOffset);
  put32(fileHeader + 10, dataOffset);
  if (file.write(fileHeader, sizeof fileHeader) != long(sizeof fileHeader)) return false;
  if (file.write(header(), long(headerSize())) != long(headerSize())) return false;
  return file.write(pixels(), long(pixelBytes())) == long(pixelBytes());
}
