#include "image/pixel_packing.h"

#include <bit>
#include <cstring>

namespace {

constexpr bool kLittleEndian = std::endian::native == std::endian::little;
constexpr uint32_t kColourMask = 0x00FFFFFF;

inline uint64_t load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline uint32_t load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
inline void store64(uint8_t* p, uint64_t v) { std::memcpy(p, &v, 8); }
// The pixel's colour bytes over the fourth byte already at `out`.
inline void putColour(uint8_t* out, uint32_t colour) {
  store32(out, (load32(out) & ~kColourMask) | (colour & kColourMask));
}

}  // namespace

void unpack24To32(const uint8_t* in, uint8_t* out, size_t count) {
  size_t i = 0;
  if constexpr (kLittleEndian) {
    // Twelve input bytes are four pixels: read as 8 + 4 bytes and cut apart by shifts.
    for (; i + 4 <= count; i += 4, in += 12, out += 16) {
      const uint64_t a = load64(in);
      const uint32_t b = load32(in + 8);
      putColour(out, uint32_t(a));
      putColour(out + 4, uint32_t(a >> 24));
      putColour(out + 8, uint32_t(a >> 48) | b << 16);
      putColour(out + 12, b >> 8);
    }
  }
  for (; i < count; ++i, in += 3, out += 4) std::memcpy(out, in, 3);
}

void copyColours32(const uint8_t* in, uint8_t* out, size_t count) {
  size_t i = 0;
  if constexpr (kLittleEndian) {
    for (; i < count; ++i, in += 4, out += 4) putColour(out, load32(in));
  }
  for (; i < count; ++i, in += 4, out += 4) std::memcpy(out, in, 3);
}

void pack32To24(const uint8_t* in, uint8_t* out, size_t count) {
  size_t i = 0;
  if constexpr (kLittleEndian) {
    for (; i + 4 <= count; i += 4, in += 16, out += 12) {
      const uint64_t p0 = load32(in) & kColourMask, p1 = load32(in + 4) & kColourMask;
      const uint64_t p2 = load32(in + 8) & kColourMask, p3 = load32(in + 12) & kColourMask;
      store64(out, p0 | p1 << 24 | p2 << 48);
      store32(out + 8, uint32_t(p2 >> 16 | p3 << 8));
    }
  }
  for (; i < count; ++i, in += 4, out += 3) std::memcpy(out, in, 3);
}
