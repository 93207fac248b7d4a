#include <algorithm>
#include <cstdlib>

#include "image/image_readers.h"
#include "image/read_number.h"

int readBmp(ImageBuffer& buffer, OpenFile& file) {
  if (!buffer.hasHeader()) return kReadNoBuffer;
  uint8_t head[54];
  if (!file.seek(0) || file.read(head, sizeof head) != long(sizeof head)) return kReadFormatError;
  const long dataOffset = long(readNumber(head + 10, 4, false));
  const uint32_t infoSize = readNumber(head + 14, 4, false);
  const int64_t width = int32_t(readNumber(head + 18, 4, false));
  const int64_t fileHeight = int32_t(readNumber(head + 22, 4, false));
  const uint32_t bits = readNumber(head + 28, 2, false);
  const uint32_t compression = readNumber(head + 30, 4, false);
  const uint32_t coloursUsed = readNumber(head + 46, 4, false);
  // Older headers (12 bytes) lay out width and height differently; they cannot be read as these.
  if (infoSize < 40) return kReadFormatError;
  if (compression != 0) return kReadUnsupported;
  // A negative height marks rows stored top first.
  const int64_t height = std::llabs(fileHeight);
  if (width > ImageBuffer::kMaxSide || height > ImageBuffer::kMaxSide) return kReadTooLarge;
  if (bits < 8) return kReadTooFewColours;
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return kReadFormatError;
  if (width <= 0 || height == 0) return kReadFormatError;
  if (!buffer.create(int(width), int(height), int(bits))) return kReadNoMemory;

  if (bits == 8) {
    // The palette follows the information header, whatever that header's size; it holds the
    // colours used (all 256 when the field is 0) and ends where the rows begin.
    const long paletteStart = 14 + long(infoSize);
    long entries = coloursUsed == 0 || coloursUsed > 256 ? 256 : long(coloursUsed);
    if (dataOffset >= paletteStart) entries = std::min(entries, (dataOffset - paletteStart) / 4);
    uint8_t* palette = buffer.palette();
    long got = 0;
    if (file.seek(paletteStart)) got = std::max(0L, file.read(palette, 4 * entries)) / 4;
    for (long i = got; i < 256; ++i) {
      palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = uint8_t(i);
      palette[4 * i + 3] = 0;
    }
  }

  // The file header's size field is often wrong or 0, so the rows are read up to what the buffer
  // holds and the file has.
  if (file.seek(dataOffset)) file.read(buffer.pixels(), long(buffer.pixelBytes()));
  if (fileHeight < 0) buffer.flipVertical();
  if (bits == 32) {
    // Most tools leave the fourth byte of 32-bit rows at 0; such a file has no transparency, and read
    // as alpha it would make the whole picture invisible.
    bool anyAlpha = false;
    for (int i = 0; i < buffer.height() && !anyAlpha; ++i) {
      const uint8_t* p = buffer.row(i);
      for (int j = 0; j < buffer.width(); ++j)
        if (p[4 * j + 3]) {
          anyAlpha = true;
          break;
        }
    }
    if (!anyAlpha) buffer.setAlpha(255);
  }
  return kReadOk;
}
