#include "image/bmp_runs.h"

const char* bmpRunProblem(const uint8_t* data, size_t size, int64_t width, int64_t height, int bitsPerPixel) {
  if (width <= 0 || height <= 0) return "a picture without pixels";
  int64_t x = 0, y = 0;
  size_t at = 0;
  while (at + 2 <= size) {
    const unsigned count = data[at], code = data[at + 1];
    at += 2;
    if (count > 0) {
      x += count;  // a run of one value (or of two alternating nibbles)
      if (x > width) return "a run past the end of a line";
      continue;
    }
    if (code == 0) {  // end of line
      x = 0;
      if (++y > height) return "runs beyond the last line";
    } else if (code == 1) {
      return nullptr;
    } else if (code == 2) {
      if (at + 2 > size) return "data ending inside a move";
      x += data[at], y += data[at + 1];
      at += 2;
      if (x > width || y > height) return "a move out of the picture";
    } else {
      // Literal pixels, padded to whole 16-bit words.
      const size_t bytes = bitsPerPixel == 4 ? (code + 1) / 2 : code;
      if (at + bytes > size) return "literal pixels past the end of the data";
      at += (bytes + 1) & ~size_t(1);
      x += code;
      if (x > width) return "literal pixels past the end of a line";
    }
    if (y >= height && x > 0) return "runs beyond the last line";
  }
  return y >= height - 1 && (y >= height || x >= width) ? nullptr : "data ending before the picture does";
}
