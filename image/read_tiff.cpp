#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "image/image_readers.h"
#include "image/read_number.h"

namespace {

constexpr long kBlock = 4096;

enum TiffTag : uint32_t {
  kTagWidth = 256,
  kTagHeight = 257,
  kTagBitsPerSample = 258,
  kTagCompression = 259,
  kTagStripOffsets = 273,
  kTagSamplesPerPixel = 277,
  kTagRowsPerStrip = 278,
  kTagPlanarConfiguration = 284,
  kTagTileWidth = 322,
  kTagTileLength = 323,
  kTagTileOffsets = 324,
  kTagTileByteCounts = 325,
};
enum TiffType : uint32_t { kTypeShort = 3, kTypeLong = 4 };

// Bytes of one value of a field type; types the reader has no use for count as one byte.
uint32_t typeSize(uint32_t type) {
  switch (type) {
    case kTypeShort: return 2;
    case kTypeLong: return 4;
    case 5: return 8;   // rational
    case 8: return 2;   // signed short
    case 9: return 4;   // signed long
    case 10: return 8;  // signed rational
    case 11: return 4;  // float
    case 12: return 8;  // double
    default: return 1;
  }
}

}  // namespace

int readTiff(ImageBuffer& buffer, OpenFile& file) {
  clearUnsupportedReason();
  if (!buffer.hasHeader()) return kReadNoBuffer;
  uint8_t block[kBlock];
  if (!file.seek(0)) return kReadFormatError;
  long got = file.read(block, kBlock);
  if (got < 8) return kReadFormatError;
  bool bigEndian;
  if (block[0] == 'I' && block[1] == 'I' && block[2] == 42) {
    bigEndian = false;
  } else if (block[0] == 'M' && block[1] == 'M' && block[3] == 42) {
    bigEndian = true;
  } else {
    return kReadFormatError;
  }

  long directory = long(readNumber(block + 4, 4, bigEndian));
  if (directory > kBlock - 1) {
    // A directory far into the file: read the block that starts with it.
    if (!file.seek(directory)) return kReadFormatError;
    got = file.read(block, kBlock);
    directory = 0;
  }
  if (got < 0 || directory + 2 > got) return kReadFormatError;

  uint32_t width = 32, height = 32, samples = 3, rowsPerStrip = 8192;
  uint32_t stripCount = 1, stripValue = 0;
  bool stripShorts = false;
  bool stripsInline = false;  // two 16-bit offsets fit in the entry itself
  uint8_t stripBytes[4] = {};
  uint32_t compression = 1, sampleBits = 8, planar = 1;
  bool tiled = false;
  const uint32_t entries = readNumber(block + directory, 2, bigEndian);
  for (uint32_t i = 0; i < entries; ++i) {
    const long at = directory + 2 + 12 * long(i);
    if (at + 12 > got) break;  // entries beyond the block are not seen
    const uint8_t* e = block + at;
    const uint32_t tag = readNumber(e, 2, bigEndian);
    const uint32_t type = readNumber(e + 2, 2, bigEndian);
    const uint32_t count = readNumber(e + 4, 4, bigEndian);
    // Values that do not fit in the entry's four bytes are somewhere else; the field holds a 32-bit
    // offset to them in the file's byte order.
    const bool fits = uint64_t(count) * typeSize(type) <= 4;
    const uint32_t value = (type == kTypeLong || !fits) ? readNumber(e + 8, 4, bigEndian) : readNumber(e + 8, 2, bigEndian);
    switch (tag) {
      case kTagWidth: width = value; break;
      case kTagHeight: height = value; break;
      case kTagCompression: compression = value; break;
      case kTagStripOffsets:
        stripCount = count;
        stripValue = value;
        stripShorts = type == kTypeShort;
        stripsInline = fits;
        std::memcpy(stripBytes, e + 8, 4);
        break;
      case kTagBitsPerSample:
        // All samples of a pixel have one size in practice, so the first one tells.
        sampleBits = value;
        if (!fits) {
          uint8_t at[2];
          sampleBits = file.seek(long(value)) && file.read(at, 2) == 2 ? readNumber(at, 2, bigEndian) : 0;
        }
        break;
      case kTagPlanarConfiguration: planar = value; break;
      case kTagTileWidth:
      case kTagTileLength:
      case kTagTileOffsets:
      case kTagTileByteCounts: tiled = true; break;
      case kTagSamplesPerPixel: samples = value; break;
      case kTagRowsPerStrip: rowsPerStrip = value; break;
      default: break;
    }
  }
  // Tiles are rectangles of their own, not lines: read as strips they would be noise, and the fallback
  // decoders make a blank picture of them, so no other decoder is asked.
  if (tiled) return refuseUnsupported("tiled TIFF images", false);
  if (compression != 1) return kReadUnsupported;
  if (sampleBits != 8) {
    // Lines of other sample sizes, read as 8-bit samples, come out as stripes; such files are left to
    // decoders that take them.
    const std::string why = "TIFF images with " + std::to_string(sampleBits) + "-bit samples";
    return refuseUnsupported(why.c_str());
  }
  // Each sample in a plane of its own cannot be read as interleaved lines.
  if (planar != 1) return refuseUnsupported("planar TIFF images");
  if (width > uint32_t(ImageBuffer::kMaxSide) || height > uint32_t(ImageBuffer::kMaxSide)) return kReadTooLarge;
  if (width == 0 || height == 0) return kReadFormatError;
  // One to four samples of 8 bits: 8, 16, 24 or 32 bits per pixel, each a depth the buffer has.
  if (samples < 1 || samples > 4) return kReadFormatError;
  if (rowsPerStrip == 0) rowsPerStrip = height;
  const int bits = int(samples) * 8;

  const long lineBytes = long(width) * bits / 8;
  const long entrySize = stripShorts ? 2 : 4;
  // The offset of strip `strip` from the offsets array; false where the array ends.
  auto stripOffset = [&](uint32_t strip, long& offset) {
    uint8_t entry[4];
    if (stripsInline) {
      if ((strip + 1) * entrySize > 4) return false;
      std::memcpy(entry, stripBytes + strip * entrySize, size_t(entrySize));
    } else if (!file.seek(long(stripValue) + long(strip) * entrySize) || file.read(entry, entrySize) != entrySize) {
      return false;
    }
    offset = long(readNumber(entry, int(entrySize), bigEndian));
    return true;
  };

  // How much of its lines the file holds, counted over the strips the lines need.
  const long fileSize = file.size();
  if (fileSize >= 0) {
    int64_t present = 0;
    if (stripCount <= 1) {
      present = std::min<int64_t>(int64_t(lineBytes) * height, fileSize - long(stripValue));
    } else {
      long offset = 0;
      for (uint32_t strip = 0, rows = 0; strip < stripCount && rows < height && stripOffset(strip, offset); ++strip) {
        const uint32_t n = std::min(rowsPerStrip, height - rows);
        if (offset < fileSize) present += std::min<int64_t>(int64_t(n) * lineBytes, fileSize - offset);
        rows += n;
      }
    }
    if (!holdsEnoughPixelData(present, int64_t(lineBytes) * height)) return kReadFormatError;
  }
  if (!buffer.create(int(width), int(height), bits)) return kReadNoMemory;
  if (bits == 8) {
    // A buffer re-created at the same geometry keeps its old palette; one sample is grey.
    uint8_t* palette = buffer.palette();
    for (int i = 0; i < 256; ++i) palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = uint8_t(i);
  }

  uint32_t row = 0;
  if (stripCount <= 1) {
    if (file.seek(long(stripValue)))
      while (row < height && file.read(buffer.row(int(row)), lineBytes) > 0) ++row;
  } else {
    for (uint32_t strip = 0; strip < stripCount && row < height; ++strip) {
      long offset = 0;
      if (!stripOffset(strip, offset)) break;
      if (!file.seek(offset)) continue;
      for (uint32_t n = 0; n < rowsPerStrip && row < height; ++n, ++row)
        if (file.read(buffer.row(int(row)), lineBytes) <= 0) break;
    }
  }
  buffer.swapRedBlue();
  buffer.flipVertical();
  return kReadOk;
}
