#pragma once
// Reading device-independent bitmaps as they come: an information header (40 bytes or one of the
// larger versions), an optional palette or bit masks, and rows padded to 4 bytes, bottom-up unless the
// height is negative. Depths 1, 4, 8, 16, 24 and 32 bits.
#include <cstddef>
#include <cstdint>

namespace ws {

class DibView {
 public:
  DibView() = default;
  // header: the information header followed by its palette; bits: the pixel rows. Checks the header and
  // that the rows fit in bitsSize when given (0: trust the caller, as StretchDIBits does).
  bool open(const uint8_t* header, const uint8_t* bits, size_t headerSize = 0, size_t bitsSize = 0);
  // A whole .bmp file ("BM" and the file header) or a bare resource DIB (header, palette, rows).
  bool openResource(const uint8_t* bytes, size_t size);

  int width() const { return width_; }
  int height() const { return height_; }
  int bitCount() const { return bitCount_; }
  // The pixel at (x, y) with y counted from the top, as 0x00RRGGBB. No bounds check.
  uint32_t pixel(int x, int y) const;

 private:
  const uint8_t* bits_ = nullptr;
  const uint8_t* palette_ = nullptr;
  int paletteEntries_ = 0;
  int width_ = 0, height_ = 0, bitCount_ = 0, rowStep_ = 0;
  bool topDown_ = false;
  uint32_t masks_[3] = {0x7C00, 0x03E0, 0x001F};
};

// The ternary raster operation (the high word's index byte of SRCCOPY and friends) over pattern,
// source and destination, bit by bit.
uint32_t rop3(uint32_t rop, uint32_t pattern, uint32_t source, uint32_t destination);

}  // namespace ws
