#include "platform/screen/icon_file.h"

namespace ws {

namespace {
uint32_t u16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t u32(const uint8_t* p) { return u16(p) | u16(p + 2) << 16; }
}  // namespace

std::shared_ptr<Cursor> readIconFile(const uint8_t* bytes, size_t size) {
  if (!bytes || size < 22) return nullptr;
  const uint32_t type = u16(bytes + 2);
  if (u16(bytes) != 0 || (type != 1 && type != 2) || u16(bytes + 4) < 1) return nullptr;
  const uint64_t length = u32(bytes + 14), offset = u32(bytes + 18);
  if (offset > size || length > size - offset || length < 40) return nullptr;
  const uint8_t* h = bytes + offset;
  const uint64_t headerSize = u32(h);
  const int width = int(int32_t(u32(h + 4))), doubleHeight = int(int32_t(u32(h + 8)));
  const int bits = int(u16(h + 14));
  if (headerSize < 40 || headerSize > length) return nullptr;
  if (width <= 0 || width > 256 || doubleHeight < 2 || doubleHeight > 512) return nullptr;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return nullptr;
  const int height = doubleHeight / 2;
  uint64_t colours = 0;
  if (bits <= 8) {
    colours = u32(h + 32);
    if (colours == 0 || colours > (1u << bits)) colours = 1u << bits;
  }
  const uint64_t xorStride = (uint64_t(width) * uint64_t(bits) + 31) / 32 * 4, andStride = (uint64_t(width) + 31) / 32 * 4;
  const uint64_t paletteAt = headerSize, xorAt = paletteAt + colours * 4, andAt = xorAt + xorStride * uint64_t(height);
  if (andAt + andStride * uint64_t(height) > length) return nullptr;

  // 32-bit images that carry alpha show where it is at least half; the others follow the mask alone.
  bool alpha = false;
  if (bits == 32)
    for (int y = 0; y < height && !alpha; ++y)
      for (int x = 0; x < width && !alpha; ++x) alpha = h[xorAt + uint64_t(y) * xorStride + uint64_t(x) * 4 + 3] != 0;

  auto image = std::make_shared<Cursor>();
  image->image = Surface(width, height, 0);
  image->mask.assign(size_t(width) * size_t(height), 0);
  if (type == 2) image->hotSpot = {int(u16(bytes + 10)), int(u16(bytes + 12))};
  for (int y = 0; y < height; ++y) {
    const uint64_t row = uint64_t(height - 1 - y);  // rows are stored bottom-up
    const uint8_t* px = h + xorAt + row * xorStride;
    const uint8_t* andRow = h + andAt + row * andStride;
    for (int x = 0; x < width; ++x) {
      uint32_t pixel = 0;
      bool shown = !((andRow[x >> 3] >> (7 - (x & 7))) & 1);
      if (bits <= 8) {
        const int perByte = 8 / bits, shift = (perByte - 1 - x % perByte) * bits;
        uint64_t index = (px[x / perByte] >> shift) & ((1u << bits) - 1);
        if (index >= colours) index = 0;
        const uint8_t* e = h + paletteAt + index * 4;
        pixel = uint32_t(e[2]) << 16 | uint32_t(e[1]) << 8 | e[0];
      } else {
        const uint8_t* e = px + uint64_t(x) * uint64_t(bits / 8);
        pixel = uint32_t(e[2]) << 16 | uint32_t(e[1]) << 8 | e[0];
        if (alpha) shown = e[3] >= 128;
      }
      image->image.setPixel(x, y, pixel);
      image->mask[size_t(y) * size_t(width) + size_t(x)] = shown ? 1 : 0;
    }
  }
  return image;
}

}  // namespace ws
