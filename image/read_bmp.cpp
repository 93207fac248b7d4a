#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "image/image_readers.h"
#include "image/read_number.h"

namespace {

enum BmpCompression : uint32_t { kRgb = 0, kBitFields = 3, kAlphaBitFields = 6 };

// The colour masks of a bit-field file, red, green, blue and alpha, and the layouts they may have.
struct Masks {
  uint32_t red = 0, green = 0, blue = 0, alpha = 0;
  bool is(uint32_t r, uint32_t g, uint32_t b) const { return red == r && green == g && blue == b; }
};
enum class Layout { plain, rgb565, unknown };

// Headers of 40 bytes and more that carry bit fields (the 64-byte OS/2 header means Huffman by 3).
bool hasBitFields(uint32_t infoSize) { return infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize >= 108; }

// Which layout the masks describe: the rows of the plain depth (5-5-5 words or blue, green, red,
// alpha bytes), 5-6-5 words, or something no layout of the buffer has.
Layout layoutOf(const Masks& m, uint32_t bits) {
  if (bits == 16) {
    if (m.alpha == 0 && m.is(0x7c00, 0x03e0, 0x001f)) return Layout::plain;
    if (m.alpha == 0 && m.is(0xf800, 0x07e0, 0x001f)) return Layout::rgb565;
  } else if (bits == 32) {
    if (m.is(0x00ff0000, 0x0000ff00, 0x000000ff) && (m.alpha == 0 || m.alpha == 0xff000000)) return Layout::plain;
  }
  return Layout::unknown;
}

// 5-6-5 words into blue, green, red bytes, the same widening the buffer gives 5-5-5 words.
void widen565(const uint8_t* in, uint8_t* out, int width) {
  for (int x = 0; x < width; ++x, in += 2, out += 3) {
    const unsigned w = unsigned(in[0]) | unsigned(in[1]) << 8;
    out[0] = uint8_t((w & 0x1f) << 3);
    out[1] = uint8_t(((w >> 5) & 0x3f) << 2);
    out[2] = uint8_t(((w >> 11) & 0x1f) << 3);
  }
}

}  // namespace

int readBmp(ImageBuffer& buffer, OpenFile& file) {
  clearUnsupportedReason();
  if (!buffer.hasHeader()) return kReadNoBuffer;
  uint8_t head[70] = {};
  if (!file.seek(0)) return kReadFormatError;
  const long headBytes = file.read(head, sizeof head);
  if (headBytes < 18) return kReadFormatError;
  const uint32_t infoSize = readNumber(head + 14, 4, false);
  // The oldest header (12 bytes, 16-bit sides, 3-byte palette entries) lays the file out otherwise.
  if (infoSize >= 12 && infoSize < 40 && headBytes >= 14 + long(infoSize)) return refuseUnsupported("OS/2 BMP images");
  if (infoSize < 40 || headBytes < 54) return kReadFormatError;
  const long dataOffset = long(readNumber(head + 10, 4, false));
  const int64_t width = int32_t(readNumber(head + 18, 4, false));
  const int64_t fileHeight = int32_t(readNumber(head + 22, 4, false));
  const uint32_t bits = readNumber(head + 28, 2, false);
  const uint32_t compression = readNumber(head + 30, 4, false);
  const uint32_t coloursUsed = readNumber(head + 46, 4, false);

  Layout layout = Layout::plain;
  bool alphaMasked = true;  // whether the fourth byte of 32-bit rows may be transparency
  if (compression == kBitFields || compression == kAlphaBitFields) {
    if (!hasBitFields(infoSize) || (bits != 16 && bits != 32)) return kReadUnsupported;
    // The masks follow a 40-byte header and lie inside the longer ones, at the same place.
    Masks m;
    m.red = readNumber(head + 54, 4, false);
    m.green = readNumber(head + 58, 4, false);
    m.blue = readNumber(head + 62, 4, false);
    const bool alphaStored = infoSize >= 56 || compression == kAlphaBitFields;
    if (alphaStored) m.alpha = readNumber(head + 66, 4, false);
    if (headBytes < (alphaStored ? 70 : 66)) return kReadFormatError;
    layout = layoutOf(m, bits);
    if (layout == Layout::unknown) return refuseUnsupported("BMP images with colour masks other than 5-5-5, 5-6-5 and 8-8-8-8");
    alphaMasked = !alphaStored || m.alpha != 0;
  } else if (compression != kRgb) {
    return kReadUnsupported;
  }

  // A negative height marks rows stored top first.
  const int64_t height = std::llabs(fileHeight);
  if (width > ImageBuffer::kMaxSide || height > ImageBuffer::kMaxSide) return kReadTooLarge;
  if (bits < 8) return kReadTooFewColours;
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return kReadFormatError;
  if (width <= 0 || height == 0) return kReadFormatError;
  const int64_t fileRowStep = ImageBuffer::rowStepFor(int(width), int(bits));
  const long fileSize = file.size();
  if (fileSize >= 0 && !holdsEnoughPixelData(fileSize - dataOffset, fileRowStep * height)) return kReadFormatError;
  const int depth = layout == Layout::rgb565 ? 24 : int(bits);
  if (!buffer.create(int(width), int(height), depth)) return kReadNoMemory;

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

  if (layout == Layout::rgb565) {
    // Word rows are widened one by one; lines the file does not hold stay zero.
    std::memset(buffer.pixels(), 0, buffer.pixelBytes());
    uint8_t words[2 * ImageBuffer::kMaxSide + 4];
    bool more = file.seek(dataOffset);
    for (int64_t i = 0; i < height && more; ++i) {
      const long got = file.read(words, long(fileRowStep));
      more = got == long(fileRowStep);
      if (got > 0) widen565(words, buffer.row(int(i)), int(std::min<int64_t>(width, got / 2)));
    }
  } else if (file.seek(dataOffset)) {
    // The file header's size field is often wrong or 0, so the rows are read up to what the buffer
    // holds and the file has.
    file.read(buffer.pixels(), long(buffer.pixelBytes()));
  }
  if (fileHeight < 0) buffer.flipVertical();
  if (bits == 32) {
    // Most tools leave the fourth byte of 32-bit rows at 0; such a file has no transparency, and read
    // as alpha it would make the whole picture invisible.
    bool anyAlpha = false;
    for (int i = 0; i < buffer.height() && !anyAlpha && alphaMasked; ++i) {
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
