#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "image/image_readers.h"
#include "image/packbits.h"
#include "image/read_number.h"

namespace {

enum PhotoshopMode { kBitmapMode = 0, kGreyMode = 1, kIndexedMode = 2, kRgbMode = 3 };

constexpr long kColourModeArea = 1536;

// Reads a big-endian number of `length` bytes at the current position; false when the file ends.
bool readBigEndian(OpenFile& file, int length, uint32_t& value) {
  uint8_t bytes[4];
  if (file.read(bytes, length) != length) return false;
  value = readNumber(bytes, length, true);
  return true;
}

}  // namespace

int readPhotoshop(ImageBuffer& buffer, OpenFile& file) {
  clearUnsupportedReason();
  if (!buffer.hasHeader()) return kReadNoBuffer;
  uint8_t head[30];
  if (!file.seek(0) || file.read(head, sizeof head) != long(sizeof head)) return kReadFormatError;
  const uint32_t channels = readNumber(head + 12, 2, true);
  const uint32_t height = readNumber(head + 14, 4, true);
  const uint32_t width = readNumber(head + 18, 4, true);
  const uint32_t depth = readNumber(head + 22, 2, true);
  const uint32_t mode = readNumber(head + 24, 2, true);
  const uint32_t colourModeLength = readNumber(head + 26, 4, true);
  if (mode > kRgbMode) return kReadFormatError;
  if (width > uint32_t(ImageBuffer::kMaxSide) || height > uint32_t(ImageBuffer::kMaxSide)) return kReadTooLarge;
  if (width == 0 || height == 0 || channels == 0) return kReadFormatError;
  // Only the first byte of a sample is used, so 8 and 16 bits read alike; other depths (1-bit
  // bitmaps aside, whose pixels are never stored) would be taken apart at the wrong places.
  long bytesPerSample = 1;
  if (depth == 16) {
    bytesPerSample = 2;
  } else if (depth == 32 && mode != kBitmapMode) {
    return refuseUnsupported("32-bit Photoshop images");
  } else if (depth != 8 && mode != kBitmapMode) {
    return kReadUnsupported;
  }

  // Colour-mode data: the indexed palette lives in its first 768 bytes (256 red, 256 green, 256 blue).
  // Longer data (duotone curves) is skipped beyond the work area.
  uint8_t colourMode[kColourModeArea] = {};
  file.read(colourMode, std::min<long>(colourModeLength, kColourModeArea));
  long position = 30 + long(colourModeLength);
  uint32_t sectionLength = 0;
  if (!file.seek(position) || !readBigEndian(file, 4, sectionLength)) return kReadFormatError;  // image resources
  position += 4 + long(sectionLength);
  if (!file.seek(position) || !readBigEndian(file, 4, sectionLength)) return kReadFormatError;  // layers and masks
  position += 4 + long(sectionLength);
  uint32_t compression = 0;
  if (!file.seek(position) || !readBigEndian(file, 2, compression)) return kReadFormatError;
  position += 2;
  const bool packed = compression != 0;

  // Raw channels must be there in good part; packed ones need at least their table of row counts and
  // two bytes for every 128 bytes of each line. Bitmap lines hold 8 pixels a byte.
  const uint32_t used = std::min<uint32_t>(channels, 4);
  const long fileSize = file.size();
  if (fileSize >= 0) {
    const int64_t lines = int64_t(used) * height;
    const int64_t lineSize = mode == kBitmapMode ? (int64_t(width) + 7) / 8 : int64_t(width) * bytesPerSample;
    const int64_t promised = packed ? int64_t(channels) * height * 2 + lines * 2 * ((lineSize + 127) / 128) : lines * lineSize;
    if (!holdsEnoughPixelData(fileSize - position, promised)) return kReadFormatError;
  }
  const int bits = channels <= 3 ? 24 : 32;
  if (!buffer.create(int(width), int(height), bits)) return kReadNoMemory;
  if (mode == kBitmapMode) return kReadOk;
  const int pixelBytes = bits / 8;
  // Greyscale and indexed files carry their picture in channel 0; any further channels are masks and
  // must not paint over it. Such a buffer is fully opaque.
  if (pixelBytes == 4 && mode != kRgbMode) buffer.setAlpha(255);

  const long lineBytes = long(width) * bytesPerSample;
  std::vector<uint16_t> rowCounts;
  std::vector<uint8_t> line;
  long dataStart = position;
  try {
    if (packed) {
      // The table holds a count for every row of every channel; only the channels read are kept.
      std::vector<uint8_t> table(size_t(used) * height * 2, 0);
      file.read(table.data(), long(table.size()));
      rowCounts.resize(size_t(used) * height);
      for (size_t i = 0; i < rowCounts.size(); ++i) rowCounts[i] = uint16_t(readNumber(&table[2 * i], 2, true));
      dataStart = position + long(channels) * long(height) * 2;
      line.assign(size_t(lineBytes) + 8, 0);
    }
  } catch (const std::bad_alloc&) {
    return kReadNoMemory;
  }

  // Where a channel's data may be read into: 1.5 x the raw size, never more than the file still holds.
  const long area = long(1.5 * double(width) * double(height) * double(bytesPerSample));
  std::vector<uint8_t> data;
  long channelStart = dataStart;
  for (uint32_t c = 0; c < used; ++c) {
    long channelSize = 0;
    if (packed) {
      for (uint32_t y = 0; y < height; ++y) channelSize += rowCounts[size_t(c) * height + y];
    } else {
      channelSize = long(width) * long(height) * bytesPerSample;
    }
    const long remaining = fileSize > channelStart ? fileSize - channelStart : 0;
    const long wanted = std::min({channelSize, area, remaining});
    long got = 0;
    if (wanted > 0 && file.seek(channelStart)) {
      try {
        data.resize(size_t(wanted));
      } catch (const std::bad_alloc&) {
        return kReadNoMemory;
      }
      got = std::max(0L, file.read(data.data(), wanted));
    }
    const bool writes = mode == kRgbMode ? (c < 3 || pixelBytes == 4) : c == 0;

    long lineStart = 0;
    for (uint32_t y = 0; y < height && writes; ++y) {
      const uint8_t* samples = nullptr;
      long sampleBytes = 0;
      if (packed) {
        const long count = rowCounts[size_t(c) * height + y];
        if (lineStart < got) {
          const long available = std::min(count, got - lineStart);
          sampleBytes = long(unpackBits(data.data() + lineStart, size_t(available), line.data(), line.size()));
          samples = line.data();
        }
        lineStart += count;
      } else {
        lineStart = long(y) * lineBytes;
        if (lineStart < got) {
          samples = data.data() + lineStart;
          sampleBytes = std::min(lineBytes, got - lineStart);
        }
      }
      if (!samples) break;  // the file ends here; the rest stays as it was
      const long count = std::min<long>(width, sampleBytes / bytesPerSample);
      uint8_t* out = buffer.row(int(height - 1 - y));
      for (long x = 0; x < count; ++x, out += pixelBytes) {
        const uint8_t v = samples[x * bytesPerSample];
        switch (mode) {
          case kGreyMode:
            out[0] = out[1] = out[2] = v;
            break;
          case kIndexedMode:
            out[0] = colourMode[512 + v];
            out[1] = colourMode[256 + v];
            out[2] = colourMode[v];
            break;
          default:
            // Red, green, blue, then transparency; the buffer stores blue, green, red, alpha.
            out[c == 3 ? 3 : 2 - c] = v;
            break;
        }
      }
    }
    channelStart += channelSize;
  }
  return kReadOk;
}
