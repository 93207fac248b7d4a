#include "render/blur_brush.h"

#include <algorithm>

BlurArea::BlurArea(const PicturePass& p, ImageBuffer& output)
    : outBase(output.pixels()),
      outStride(output.rowStep()),
      outH(p.outH),
      radius(p.amount255 / 16),
      columnEnd(p.columnEnd),
      outputLineEnd(p.lineEnd / p.lineFactor) {}

namespace {

// (average * m + channel * (255 - m)) >> 8 for each channel; an empty rectangle averages to the
// pixel itself.
inline void blendAverage(uint8_t* out, const int sums[3], int count, int m) {
  for (int b = 0; b < 3; ++b) {
    const int average = count > 0 ? sums[b] / count : out[b];
    out[b] = uint8_t((average * m + out[b] * (255 - m)) >> 8);
  }
}

}  // namespace

void DirectBlurKernel::pixel(int column, int, int outLine, uint8_t* out, const BilinearTap& tap) const {
  const int m = tap.at(3);
  if (m <= 0) return;
  const int r = area_.radius;
  const int c0 = std::max(column - r, 0), c1 = std::min(column + r, area_.columnEnd);
  const int l0 = std::max(outLine - r, 0), l1 = std::min(outLine + r, area_.outputLineEnd);
  int sums[3] = {0, 0, 0};
  int count = 0;
  for (int l = l0; l < l1; ++l) {
    for (int c = c0; c < c1; ++c) {
      const uint8_t* px = area_.pixelAt(c, l);
      sums[0] += px[0];
      sums[1] += px[1];
      sums[2] += px[2];
      ++count;
    }
  }
  blendAverage(out, sums, count, m);
}

RunningBlurKernel::RunningBlurKernel(const PicturePass& p, ImageBuffer& output) : area_(p, output) {
  firstSummed_ = std::max(p.firstColumn - area_.radius, 0);
  columns_.assign(3 * std::size_t(std::max(area_.columnEnd - firstSummed_, 0)), 0);
}

void RunningBlurKernel::addLine(int outLine, int sign) {
  const uint8_t* px = area_.pixelAt(firstSummed_, outLine);
  int* sum = columns_.data();
  const int count = area_.columnEnd - firstSummed_;
  for (int i = 0; i < count; ++i, px += 4, sum += 3) {
    sum[0] += sign * px[0];
    sum[1] += sign * px[1];
    sum[2] += sign * px[2];
  }
}

void RunningBlurKernel::beginLine(int, int outLine) {
  const int r = area_.radius;
  if (r == 0) return;
  const int start = std::max(outLine - r, 0), end = std::min(outLine + r, area_.outputLineEnd);
  if (!started_ || start >= lineEnd_ || end <= lineStart_) {
    std::fill(columns_.begin(), columns_.end(), 0);
    for (int l = start; l < end; ++l) addLine(l, +1);
    started_ = true;
  } else {
    for (int l = lineStart_; l < start; ++l) addLine(l, -1);
    for (int l = lineEnd_; l < end; ++l) addLine(l, +1);
  }
  lineStart_ = start;
  lineEnd_ = std::max(end, start);
  windowStart_ = windowEnd_ = firstSummed_;
  window_[0] = window_[1] = window_[2] = 0;
}

void RunningBlurKernel::slideColumns(int newStart, int newEnd) {
  if (newStart >= windowEnd_) {
    windowStart_ = windowEnd_ = newStart;
    window_[0] = window_[1] = window_[2] = 0;
  }
  for (int c = windowEnd_; c < newEnd; ++c) {
    const int* sum = &columns_[3 * std::size_t(c - firstSummed_)];
    window_[0] += sum[0];
    window_[1] += sum[1];
    window_[2] += sum[2];
  }
  for (int c = windowStart_; c < newStart; ++c) {
    const int* sum = &columns_[3 * std::size_t(c - firstSummed_)];
    window_[0] -= sum[0];
    window_[1] -= sum[1];
    window_[2] -= sum[2];
  }
  windowStart_ = newStart;
  windowEnd_ = std::max(newEnd, windowEnd_);
}

void RunningBlurKernel::pixel(int column, int line, int outLine, uint8_t* out, const BilinearTap& tap) {
  masked(column, line, outLine, out, tap.at(3));
}

void RunningBlurKernel::masked(int column, int, int outLine, uint8_t* out, int m) {
  if (m <= 0) return;
  const int r = area_.radius;
  if (r == 0) {
    const int none[3] = {0, 0, 0};
    blendAverage(out, none, 0, m);
    return;
  }
  const int c0 = std::max(column - r, 0), c1 = std::min(column + r, area_.columnEnd);
  slideColumns(c0, c1);
  const int count = (c1 - c0) * (lineEnd_ - lineStart_);
  const uint8_t before[3] = {out[0], out[1], out[2]};
  blendAverage(out, window_, count, m);
  // Keep the sums in step with the change, if this line is one they cover.
  if (outLine >= lineStart_ && outLine < lineEnd_) {
    int* sum = &columns_[3 * std::size_t(column - firstSummed_)];
    for (int b = 0; b < 3; ++b) {
      const int delta = int(out[b]) - int(before[b]);
      sum[b] += delta;
      window_[b] += delta;  // the pixel's own column is always inside its window
    }
  }
}
