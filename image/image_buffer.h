#pragma once
// The one raster type of the system: a device-independent bitmap in memory. A 40-byte information
// header in the BITMAPINFOHEADER layout, an optional palette, and pixel rows stored bottom-up (row 0 is
// the bottom line), each padded to a multiple of 4 bytes. 32-bit pixels are blue, green, red, alpha.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/file_spec.h"

#pragma pack(push, 1)
struct BitmapInfoHeader {
  uint32_t size = 40;
  int32_t width = 0;
  int32_t height = 0;
  uint16_t planes = 1;
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  int32_t xPelsPerMeter = 1600;
  int32_t yPelsPerMeter = 1600;
  uint32_t clrUsed = 0;
  uint32_t clrImportant = 0;
};
#pragma pack(pop)
static_assert(sizeof(BitmapInfoHeader) == 40, "the information header is 40 bytes");

class OpenFile;

class ImageBuffer {
 public:
  static constexpr int kMaxSide = 8192;

  // Constructs and creates at the given geometry (owners start at 16 x 16, 8 bits).
  ImageBuffer(int width = 16, int height = 16, int bitsPerPixel = 8);

  // Re-creates the buffer; keeps the pixels untouched when the geometry is already the requested one.
  // Returns false (buffer unchanged) for sides outside 1..8192 or when memory runs out.
  bool create(int width, int height, int bitsPerPixel);

  bool hasHeader() const { return !header_.empty(); }
  // 0 without a header. With m != 0 the value is rounded up as m * (value / m + 1).
  int width(int m = 0) const;
  int height(int m = 0) const;
  int bitsPerPixel() const { return hasHeader() ? info().bitCount : 0; }
  int rowStep() const;
  static int rowStepFor(int width, int bitsPerPixel) { return (width * (bitsPerPixel / 8) + 3) & ~3; }
  static int paletteEntriesFor(int bitsPerPixel);

  // Row i counted from the bottom; null without a header. No bounds check.
  uint8_t* row(int i) { return hasHeader() && !pixels_.empty() ? pixels_.data() + size_t(i) * rowStep() : nullptr; }
  const uint8_t* row(int i) const { return const_cast<ImageBuffer*>(this)->row(i); }

  // The header block: information header followed by the palette (for drawing and the BMP writer).
  const uint8_t* header() const { return header_.empty() ? nullptr : header_.data(); }
  size_t headerSize() const { return header_.size(); }
  const BitmapInfoHeader& info() const { return *reinterpret_cast<const BitmapInfoHeader*>(header_.data()); }
  // Palette entries (blue, green, red, 0); null when the depth has none.
  uint8_t* palette() { return header_.size() > 40 ? header_.data() + 40 : nullptr; }
  const uint8_t* palette() const { return header_.size() > 40 ? header_.data() + 40 : nullptr; }
  int paletteEntries() const { return int((header_.size() > 40 ? header_.size() - 40 : 0) / 4); }
  uint8_t* pixels() { return pixels_.empty() ? nullptr : pixels_.data(); }
  const uint8_t* pixels() const { return pixels_.empty() ? nullptr : pixels_.data(); }
  // Bytes of pixel rows (row step x height), without the spare bytes at the end of the block.
  size_t pixelBytes() const { return hasHeader() ? size_t(rowStep()) * height() : 0; }

  // Image operations. Each does nothing (false) on a buffer without a header.
  bool writeRow(int i, const uint8_t* source);
  bool readRow(int i, uint8_t* destination, size_t maximum) const;
  // Copies all pixel bytes into other; with recreate it first re-creates other at this geometry,
  // otherwise other must already have it.
  bool copyTo(ImageBuffer& other, bool recreate) const;
  // Nearest-neighbour conversion and scaling into an already created target, with a border of
  // borderWidth pixels in borderColour (a colour reference: red in the low byte) and alpha 0.
  bool convertInto(ImageBuffer& target, uint32_t borderColour, int borderWidth) const;
  bool flipVertical();
  bool swapRedBlue();
  bool setAlpha(uint8_t alpha);
  bool setBorderAlpha(uint8_t alpha);
  bool videoSafeColours();
  bool alphaBlur();

  // Expands 1-bit rows (most significant bit first, set = white) into this buffer, re-created at
  // width x height, 24 bits. Only whole groups of 8 pixels of each row are expanded.
  bool expandOneBit(int width, int height, const uint8_t* bits, int sourceRowStep);
  // Loads bitmap resource `number` (a 1-bit bitmap) through expandOneBit.
  bool loadBitmapResource(int number);

  // Image files (image/image_files.*): result 1 loaded, 0 failed, 2 placeholder used.
  int loadWithMessages(const FileSpec& file, const FileSpec* alternateFolder, bool showErrors);
  int loadBySignature(OpenFile& file);
  bool saveWithMessages(const FileSpec& file, int format);
  bool write(OpenFile& file, int format) const;

 private:
  BitmapInfoHeader& infoMutable() { return *reinterpret_cast<BitmapInfoHeader*>(header_.data()); }

  std::vector<uint8_t> header_;
  std::vector<uint8_t> pixels_;
};
