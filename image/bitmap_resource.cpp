// The program's bitmap resources are 1-bit BMP files embedded at build time (resources/).
#include "image/image_buffer.h"
#include "image/read_number.h"
#include "platform/resource_store.h"

bool ImageBuffer::loadBitmapResource(int number) {
  if (!hasHeader()) return false;
  const ResourceBytes resource = findResource(ResourceKind::bitmap, number);
  if (!resource || resource.size < 54) return false;
  const uint8_t* b = resource.bytes;
  if (b[0] != 'B' || b[1] != 'M') return false;
  const uint32_t dataOffset = readNumber(b + 10, 4, false);
  const uint32_t infoSize = readNumber(b + 14, 4, false);
  const int32_t w = int32_t(readNumber(b + 18, 4, false));
  const int32_t h = int32_t(readNumber(b + 22, 4, false));
  const uint32_t bits = readNumber(b + 28, 2, false);
  const uint32_t compression = readNumber(b + 30, 4, false);
  if (infoSize < 40 || bits != 1 || compression != 0) return false;
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) return false;
  const size_t step = size_t((w + 31) / 32) * 4;
  if (dataOffset > resource.size || step * size_t(h) > resource.size - dataOffset) return false;
  return expandOneBit(w, h, b + dataOffset, int(step));
}
