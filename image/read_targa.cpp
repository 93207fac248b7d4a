#include <cstring>

#include "image/image_readers.h"
#include "image/read_number.h"

int readTarga(ImageBuffer& buffer, OpenFile& file) {
  clearUnsupportedReason();
  if (!buffer.hasHeader()) return kReadNoBuffer;
  uint8_t head[18];
  if (!file.seek(0) || file.read(head, sizeof head) != long(sizeof head)) return kReadFormatError;
  const uint32_t identifierLength = head[0];
  const uint32_t imageType = head[2];
  const uint32_t mapLength = readNumber(head + 5, 2, false);
  const uint32_t mapEntryBits = head[7];
  const uint32_t width = readNumber(head + 12, 2, false);
  const uint32_t height = readNumber(head + 14, 2, false);
  const uint32_t bits = head[16];
  const uint32_t descriptor = head[17];
  if (bits < 8 || bits > 32) return kReadFormatError;
  // Only whole-byte depths have a buffer layout.
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return kReadFormatError;
  if (width == 0 || height == 0) return kReadFormatError;
  if (imageType > 3) return kReadUnsupported;
  if (width > uint32_t(ImageBuffer::kMaxSide) || height > uint32_t(ImageBuffer::kMaxSide)) return kReadTooLarge;
  // Colour-map entries take whole bytes each (a 15-bit entry takes two).
  const long mapBytes = long(mapLength) * long((mapEntryBits + 7) / 8);
  const long dataStart = 18 + long(identifierLength) + mapBytes;
  const long lineBytes = long(width) * long(bits / 8);
  const long fileSize = file.size();
  if (fileSize >= 0 && !holdsEnoughPixelData(fileSize - dataStart, int64_t(lineBytes) * height)) return kReadFormatError;
  if (!buffer.create(int(width), int(height), int(bits))) return kReadNoMemory;
  if (bits == 8) {
    // The colour map is not used: 8-bit files are grey, also in a buffer that had another palette.
    uint8_t* palette = buffer.palette();
    for (int i = 0; i < 256; ++i) {
      palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = uint8_t(i);
      palette[4 * i + 3] = 0;
    }
  }

  bool more = file.seek(dataStart);
  for (uint32_t i = 0; i < height; ++i) {
    uint8_t* line = buffer.row(int(i));
    std::memset(line, 0, size_t(lineBytes));
    if (more) more = file.read(line, lineBytes) == lineBytes;
  }
  if (descriptor & 0x20) buffer.flipVertical();
  return kReadOk;
}
