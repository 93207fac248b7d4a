#pragma once
// The first step of the AVX2 runs of columns, shared by the blend and the brushes' masks: for a run of
// source positions, which columns can be sampled, the byte offsets of their taps and their fractions,
// four columns at a time, with exactly the operations of walkPassRows.
//
// Only for files built for AVX2; everything here has internal linkage.
#include <cstdint>

#include "render/mask_run_avx2.h"

#if defined(__AVX2__)
#include <immintrin.h>

namespace {

constexpr int kRun = 128;  // columns per run; a multiple of 4

struct TapRun {
  alignas(32) double xs[kRun], ys[kRun];  // the source positions, filled by the caller
  alignas(32) double fx[kRun], fy[kRun];
  alignas(16) int32_t upper[kRun], lower[kRun], next[kRun];  // byte offsets of the taps
  uint8_t valid[kRun / 4];  // per four columns, a bit for each that can be sampled

  bool sampled(int i) const { return ((valid[i / 4] >> (i % 4)) & 1) != 0; }
};

// The picture's side of a pass. Offsets are kept in 32 bits (see runOffsetsFit).
struct TapGeometry {
  int picStride, picW, picH, neighbourColumns, neighbourRows;
  double maxSx, maxSy;

  // Steps positions into the run from (sx, sy), leaving them just past it.
  static void positions(TapRun& run, int count, double& sx, double& sy, double stepX, double stepY) {
    double x = sx, y = sy;
    for (int i = 0; i < count; ++i, x += stepX, y += stepY) {
      run.xs[i] = x;
      run.ys[i] = y;
    }
    sx = x;
    sy = y;
  }

  // Which of the first `count` columns can be sampled, their rows, columns and fractions.
  void taps(TapRun& run, int count) const {
    const int groups = (count + 3) / 4;
    for (int i = count; i < 4 * groups; ++i) run.xs[i] = run.ys[i] = __builtin_nan("");  // never sampled
    const __m256d zero = _mm256_setzero_pd(), maxX = _mm256_set1_pd(maxSx), maxY = _mm256_set1_pd(maxSy);
    const __m256d height = _mm256_set1_pd(double(picH));
    const __m128i lastRow = _mm_set1_epi32(picH - 1), lastColumn = _mm_set1_epi32(picW - 1);
    const __m128i rowsDown = _mm_set1_epi32(neighbourRows), columnsOn = _mm_set1_epi32(neighbourColumns);
    const __m128i stride = _mm_set1_epi32(picStride);
    for (int g = 0; g < groups; ++g) {
      const __m256d x = _mm256_load_pd(run.xs + 4 * g), y = _mm256_load_pd(run.ys + 4 * g);
      const __m256d inside = _mm256_and_pd(
          _mm256_and_pd(_mm256_cmp_pd(x, zero, _CMP_GE_OQ), _mm256_cmp_pd(x, maxX, _CMP_LE_OQ)),
          _mm256_and_pd(_mm256_cmp_pd(y, zero, _CMP_GE_OQ), _mm256_cmp_pd(y, maxY, _CMP_LE_OQ)));
      run.valid[g] = uint8_t(_mm256_movemask_pd(inside));
      // Lanes outside convert to anything; they are never read.
      const __m128i n = _mm_min_epi32(_mm256_cvttpd_epi32(_mm256_sub_pd(height, y)), lastRow);
      const __m128i lower = _mm_max_epi32(_mm_sub_epi32(n, rowsDown), _mm_setzero_si128());
      const __m128i j = _mm256_cvttpd_epi32(x);
      const __m128i jq = _mm_min_epi32(_mm_add_epi32(j, columnsOn), lastColumn);
      const __m128i jBytes = _mm_slli_epi32(j, 2);
      _mm_store_si128(reinterpret_cast<__m128i*>(run.upper + 4 * g),
                      _mm_add_epi32(_mm_mullo_epi32(n, stride), jBytes));
      _mm_store_si128(reinterpret_cast<__m128i*>(run.lower + 4 * g),
                      _mm_add_epi32(_mm_mullo_epi32(lower, stride), jBytes));
      _mm_store_si128(reinterpret_cast<__m128i*>(run.next + 4 * g), _mm_slli_epi32(_mm_sub_epi32(jq, j), 2));
      _mm256_store_pd(run.fx + 4 * g, _mm256_sub_pd(x, _mm256_cvtepi32_pd(j)));
      _mm256_store_pd(run.fy + 4 * g, _mm256_sub_pd(y, _mm256_cvtepi32_pd(_mm256_cvttpd_epi32(y))));
    }
  }
};

}  // namespace

#endif
