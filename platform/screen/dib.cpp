#include "platform/screen/dib.h"

#include <cstring>

namespace ws {

namespace {

uint32_t read32(const uint8_t* p) { uint32_t v; std::memcpy(&v, p, 4); return v; }
int32_t readS32(const uint8_t* p) { int32_t v; std::memcpy(&v, p, 4); return v; }
uint16_t read16(const uint8_t* p) { uint16_t v; std::memcpy(&v, p, 2); return v; }

// Scales a masked channel to 8 bits.
uint32_t channel(uint32_t value, uint32_t mask) {
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const uint32_t m = mask >> shift;
  return ((value & mask) >> shift) * 255 / m;
}

}  // namespace

bool DibView::open(const uint8_t* header, const uint8_t* bits, size_t headerSize, size_t bitsSize) {
  if (!header || !bits) return false;
  const uint32_t size = read32(header);
  if (size < 40 || (headerSize && headerSize < size)) return false;
  width_ = readS32(header + 4);
  const int32_t h = readS32(header + 8);
  bitCount_ = read16(header + 14);
  const uint32_t compression = read32(header + 16);
  uint32_t used = read32(header + 32);
  if (width_ <= 0 || h == 0 || h == INT32_MIN || width_ > 65535 || h > 65535 || h < -65535) return false;
  if (bitCount_ != 1 && bitCount_ != 4 && bitCount_ != 8 && bitCount_ != 16 && bitCount_ != 24 && bitCount_ != 32) return false;
  if (compression != 0 && !(compression == 3 && (bitCount_ == 16 || bitCount_ == 32))) return false;
  topDown_ = h < 0;
  height_ = topDown_ ? -h : h;
  rowStep_ = ((width_ * bitCount_ + 31) / 32) * 4;
  const uint8_t* after = header + size;
  if (bitCount_ == 32) masks_[0] = 0xFF0000, masks_[1] = 0xFF00, masks_[2] = 0xFF;
  if (bitCount_ == 16) masks_[0] = 0x7C00, masks_[1] = 0x03E0, masks_[2] = 0x001F;
  if (compression == 3) {
    // The masks follow a 40-byte header; the larger headers carry them inside.
    const uint8_t* m = size == 40 ? after : header + 40;
    if (headerSize && size == 40 && headerSize < 52) return false;
    masks_[0] = read32(m), masks_[1] = read32(m + 4), masks_[2] = read32(m + 8);
    if (size == 40) after += 12;
  }
  paletteEntries_ = 0;
  palette_ = nullptr;
  if (bitCount_ <= 8) {
    if (used == 0 || used > (1u << bitCount_)) used = 1u << bitCount_;
    paletteEntries_ = int(used);
    palette_ = after;
    if (headerSize && size_t(after - header) + used * 4 > headerSize) return false;
  }
  if (bitsSize && size_t(rowStep_) * size_t(height_) > bitsSize) return false;
  bits_ = bits;
  return true;
}

bool DibView::openResource(const uint8_t* bytes, size_t size) {
  if (!bytes || size < 44) return false;
  if (bytes[0] == 'B' && bytes[1] == 'M') {
    const uint32_t offset = read32(bytes + 10);
    if (offset >= size || offset < 14 + 40) return false;
    return open(bytes + 14, bytes + offset, offset - 14, size - offset);
  }
  // A bare DIB: rows directly after the header, masks and palette.
  const uint32_t hsize = read32(bytes);
  if (hsize < 40 || hsize > size) return false;
  const uint16_t bc = read16(bytes + 14);
  const uint32_t compression = read32(bytes + 16);
  uint32_t used = read32(bytes + 32);
  size_t extra = compression == 3 && hsize == 40 ? 12 : 0;
  if (bc <= 8) extra += size_t(used == 0 || used > (1u << bc) ? (1u << bc) : used) * 4;
  if (hsize + extra >= size) return false;
  return open(bytes, bytes + hsize + extra, hsize + extra, size - hsize - extra);
}

uint32_t DibView::pixel(int x, int y) const {
  const uint8_t* row = bits_ + size_t(topDown_ ? y : height_ - 1 - y) * size_t(rowStep_);
  int index = 0;
  switch (bitCount_) {
    case 1: index = (row[x >> 3] >> (7 - (x & 7))) & 1; break;
    case 4: index = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15; break;
    case 8: index = row[x]; break;
    case 16: {
      const uint32_t v = read16(row + x * 2);
      return channel(v, masks_[0]) << 16 | channel(v, masks_[1]) << 8 | channel(v, masks_[2]);
    }
    case 24: return uint32_t(row[x * 3 + 2]) << 16 | uint32_t(row[x * 3 + 1]) << 8 | row[x * 3];
    case 32: {
      const uint32_t v = read32(row + x * 4);
      if (masks_[0] == 0xFF0000 && masks_[1] == 0xFF00 && masks_[2] == 0xFF) return v & 0xFFFFFF;
      return channel(v, masks_[0]) << 16 | channel(v, masks_[1]) << 8 | channel(v, masks_[2]);
    }
  }
  if (index >= paletteEntries_) return 0;
  const uint8_t* e = palette_ + index * 4;
  return uint32_t(e[2]) << 16 | uint32_t(e[1]) << 8 | e[0];
}

uint32_t rop3(uint32_t rop, uint32_t p, uint32_t s, uint32_t d) {
  const uint32_t code = (rop >> 16) & 0xFF;
  switch (code) {
    case 0xCC: return s;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x66: return s ^ d;
    case 0x33: return ~s & 0xFFFFFF;
  }
  uint32_t out = 0;
  for (int i = 0; i < 8; ++i) {
    if (!((code >> i) & 1)) continue;
    const uint32_t pp = (i & 4) ? p : ~p, ss = (i & 2) ? s : ~s, dd = (i & 1) ? d : ~d;
    out |= pp & ss & dd;
  }
  return out & 0xFFFFFF;
}

}  // namespace ws
