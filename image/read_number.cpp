#include "image/read_number.h"

uint32_t readNumber(const uint8_t* bytes, int length, bool bigEndian) {
  if (!bytes || length < 1 || length > 4) return 0;
  uint32_t value = 0;
  for (int i = 0; i < length; ++i) {
    const uint32_t b = bytes[bigEndian ? i : length - 1 - i];
    value = (value << 8) | b;
  }
  return value;
}
