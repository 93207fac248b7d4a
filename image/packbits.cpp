#include "image/packbits.h"

#include <algorithm>
#include <cstring>

size_t unpackBits(const uint8_t* input, size_t inputSize, uint8_t* output, size_t capacity) {
  size_t in = 0, out = 0;
  while (in < inputSize) {
    const int n = int8_t(input[in++]);
    if (n < 0) {
      // A run: the next byte, (-n) + 1 times. -128 counts as a run of 129 like every other negative.
      if (in >= inputSize) break;
      const uint8_t value = input[in++];
      const size_t count = std::min<size_t>(size_t(-n) + 1, capacity - out);
      std::memset(output + out, value, count);
      out += count;
    } else {
      const size_t wanted = size_t(n) + 1;
      const size_t available = std::min(wanted, inputSize - in);
      const size_t count = std::min(available, capacity - out);
      std::memcpy(output + out, input + in, count);
      out += count;
      in += available;
    }
  }
  return out;
}
