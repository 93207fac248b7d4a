#pragma once
// The brushes' masks with AVX2 (mask_run_avx2.cpp, built for AVX2): the sampled alpha of a line's
// columns, four columns at a time. Call it only where the processor has AVX2 and runOffsetsFit holds
// for the picture; runPass does the choosing.
#include <cstddef>
#include <cstdint>

struct MaskRunSetup {
  const uint8_t* picBase;
  int picStride;
  int picW, picH, neighbourColumns, neighbourRows;
  double colStepX, colStepY, maxSx, maxSy;
};

namespace {
// Whether a picture's byte offsets fit the runs' 32 bits (true of every picture an image buffer holds).
// Internal to each file, so the copy in a file built for AVX2 is never shared.
inline bool runOffsetsFit(std::ptrdiff_t picStride, int picH) {
  return picStride > 0 && picStride * std::ptrdiff_t(picH) <= 0x7FFFFFFF;
}
}  // namespace

// The masks of `count` columns starting at source position (sx, sy), stepping by colStepX and
// colStepY per column: the sample of the alpha byte where the column can be sampled, -1 where it
// cannot.
void maskLineAvx2(const MaskRunSetup& setup, double sx, double sy, int count, int32_t* masks);
