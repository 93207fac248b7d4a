#pragma once
// The blur brush. Each covered pixel takes the average of the output rectangle of columns
// [x - r, min(x + r, box end)) and output lines [y - r, min(y + r, box end line / t)) (starts raised to
// 0), read from the output as it stands at that moment: pixels to the left and above have already been
// blurred by this pass, and that order is part of the result.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/picture_pass.h"

struct BlurArea {
  uint8_t* outBase = nullptr;
  std::ptrdiff_t outStride = 0;
  int outH = 0;
  int radius = 0;        // r = g / 16
  int columnEnd = 0;     // end column of the clipped box
  int outputLineEnd = 0; // end frame line of the box / t

  BlurArea(const PicturePass& p, ImageBuffer& output);

  uint8_t* pixelAt(int column, int outLine) const {
    return outBase + outStride * (outH - 1 - outLine) + 4 * column;
  }
};

// The plain definition: sums the whole rectangle for every pixel.
class DirectBlurKernel {
 public:
  DirectBlurKernel(const PicturePass& p, ImageBuffer& output) : area_(p, output) {}
  void beginLine(int, int) {}
  void pixel(int column, int line, int outLine, uint8_t* out, const BilinearTap& tap) const;

 private:
  BlurArea area_;
};

// The same result from running sums: per column the sum over the rectangle's lines, slid down one line
// at a time, and along a line the sum of those column sums, slid one column at a time. Every pixel the
// pass changes updates its column sum at once, so the sums always describe the output as it stands and
// the reads see exactly what the plain definition sees.
class RunningBlurKernel {
 public:
  RunningBlurKernel(const PicturePass& p, ImageBuffer& output);
  void beginLine(int line, int outLine);
  void pixel(int column, int line, int outLine, uint8_t* out, const BilinearTap& tap);
  // The same with the mask already sampled at the pixel.
  void masked(int column, int line, int outLine, uint8_t* out, int m);

 private:
  void addLine(int outLine, int sign);
  void slideColumns(int newStart, int newEnd);

  BlurArea area_;
  int firstSummed_ = 0;       // first column with a column sum
  std::vector<int> columns_;  // blue, green, red sums per column from firstSummed_ to the box end
  int lineStart_ = 0, lineEnd_ = 0;  // output lines the column sums cover
  bool started_ = false;
  int windowStart_ = 0, windowEnd_ = 0;  // columns in `window_`
  int window_[3] = {0, 0, 0};
};
