// Built with -mavx2 (render/CMakeLists.txt). Everything here besides the entry point has internal
// linkage and nothing outside intrinsics and the anonymous kernels is called, so no AVX2 code can stand
// in for a function the rest of the program shares.
#include "render/blend_pass_avx2.h"

#include "render/blend_kernels.h"
#include "render/run_taps_avx2.h"

#if defined(__AVX2__)
#include <immintrin.h>

namespace {

inline __m128i widenPixelAvx2(const uint8_t* p) { return _mm_cvtepu8_epi32(_mm_cvtsi32_si128(int(loadPixel(p)))); }

struct BlendKernelAvx2 {
  int inverseAmount;

  void beginLine(int, int) {}
  void pixel(int, int, int, uint8_t* out, const BilinearTap& tap) const {
    if (transparentTaps(tap)) {
      blendTransparent(out);
      return;
    }
    const __m128i u0 = widenPixelAvx2(tap.upper + tap.j), l0 = widenPixelAvx2(tap.lower + tap.j);
    const __m128i du = _mm_sub_epi32(widenPixelAvx2(tap.upper + tap.jq), u0);
    const __m128i dl = _mm_sub_epi32(widenPixelAvx2(tap.lower + tap.jq), l0);
    const __m256d fx = _mm256_set1_pd(tap.fx), fy = _mm256_set1_pd(tap.fy);
    const __m256d top = _mm256_add_pd(_mm256_cvtepi32_pd(u0), _mm256_mul_pd(_mm256_cvtepi32_pd(du), fx));
    const __m256d low = _mm256_add_pd(_mm256_cvtepi32_pd(l0), _mm256_mul_pd(_mm256_cvtepi32_pd(dl), fx));
    blendSamples(_mm256_cvttpd_epi32(_mm256_add_pd(top, _mm256_mul_pd(_mm256_sub_pd(low, top), fy))), inverseAmount,
                 out);
  }
};

// The blend of a line in runs of columns, in three steps that each have no dependency from one pixel
// to the next, so the processor can work on many pixels at once:
//   1. the source positions by repeated addition, as the walk steps them, then the taps and
//      fractions of four columns at a time;
//   2. the bilinear sample of each column (the four channels together, as BlendKernelAvx2);
//   3. the integer blend of four output pixels at a time.
// Every value is the one the per-pixel kernel computes, with the same operations in the same order.
struct LineRuns {
  const uint8_t* picBase;
  TapGeometry geometry;
  double colStepX, colStepY;
  int firstColumn, columnEnd, inverseAmount;

  struct Run : TapRun {
    alignas(16) int32_t samples[kRun][4];  // blue, green, red, alpha of each column's sample
  };

  void operator()(int, int, uint8_t* outRow, double sx, double sy) const {
    Run run;
    const int first = columnEnd - firstColumn < kRun ? columnEnd - firstColumn : kRun;
    TapGeometry::positions(run, first, sx, sy, colStepX, colStepY);
    for (int column = firstColumn; column < columnEnd; column += kRun) {
      const int count = columnEnd - column < kRun ? columnEnd - column : kRun;
      const int left = columnEnd - column - count;
      geometry.taps(run, count);
      samples(run, count, left < kRun ? left : kRun, sx, sy);
      blendRun(run, count, outRow + 4 * column);
    }
  }

  // Step 2: the samples; a transparent sample is 0, which blends as opacity 0. The taps have
  // taken this run's positions, so the same loop steps the next run's (`nextCount` of them) into their
  // place: the chain of additions then overlaps the sampling.
  void samples(Run& run, int count, int nextCount, double& sx, double& sy) const {
    const uint8_t* const base = picBase;
    const double stepX = colStepX, stepY = colStepY;
    double x = sx, y = sy;
    for (int i = 0; i < count; ++i) {
      if (i < nextCount) {
        run.xs[i] = x;
        run.ys[i] = y;
        x += stepX;
        y += stepY;
      }
      if (!run.sampled(i)) {
        _mm_store_si128(reinterpret_cast<__m128i*>(run.samples[i]), _mm_setzero_si128());
        continue;
      }
      const uint8_t* upper = base + run.upper[i];
      const uint8_t* lower = base + run.lower[i];
      const int next = run.next[i];
      // The alpha test in integer registers leaves the vector units to the samples.
      if ((upper[3] | upper[next + 3] | lower[3] | lower[next + 3]) == 0) {
        _mm_store_si128(reinterpret_cast<__m128i*>(run.samples[i]), _mm_setzero_si128());
        continue;
      }
      const __m128i u0 = widen(upper), u1 = widen(upper + next), l0 = widen(lower), l1 = widen(lower + next);
      const __m128i du = _mm_sub_epi32(u1, u0), dl = _mm_sub_epi32(l1, l0);
      const __m256d fx = _mm256_set1_pd(run.fx[i]), fy = _mm256_set1_pd(run.fy[i]);
      const __m256d top = _mm256_add_pd(_mm256_cvtepi32_pd(u0), _mm256_mul_pd(_mm256_cvtepi32_pd(du), fx));
      const __m256d low = _mm256_add_pd(_mm256_cvtepi32_pd(l0), _mm256_mul_pd(_mm256_cvtepi32_pd(dl), fx));
      _mm_store_si128(reinterpret_cast<__m128i*>(run.samples[i]),
                      _mm256_cvttpd_epi32(_mm256_add_pd(top, _mm256_mul_pd(_mm256_sub_pd(low, top), fy))));
    }
    sx = x;
    sy = y;
  }

  // Step 3: (sample x k + output x (255 - k)) >> 8 with k = (sample alpha x (255 - g)) >> 8, alpha 255,
  // for the columns that were sampled; the others keep their bytes.
  void blendRun(const Run& run, int count, uint8_t* out) const {
    const __m256i inverse = _mm256_set1_epi16(short(inverseAmount)), full = _mm256_set1_epi16(255);
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    for (int g = 0; 4 * g < count; ++g) {
      const int bits = run.valid[g];
      if (bits == 0) continue;
      const int pixels = count - 4 * g < 4 ? count - 4 * g : 4;
      uint8_t* at = out + 16 * g;
      alignas(16) uint8_t tail[16];
      uint8_t* target = at;
      if (pixels < 4) {  // the last pixels of the line: no reading or writing past them
        __builtin_memset(tail, 0, sizeof tail);
        __builtin_memcpy(tail, at, size_t(4) * pixels);
        target = tail;
      }
      const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(target));
      // Every channel of a sample lies between its taps, so packing to 16 bits loses nothing.
      const auto sample = [&](int i) {
        return _mm_load_si128(reinterpret_cast<const __m128i*>(run.samples[4 * g + i]));
      };
      const __m256i s16 = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_packus_epi32(sample(0), sample(1))),
                                                  _mm_packus_epi32(sample(2), sample(3)), 1);
      const __m256i o16 = _mm256_cvtepu8_epi16(old);
      const __m256i alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s16, 0xFF), 0xFF);
      const __m256i k = _mm256_srli_epi16(_mm256_mullo_epi16(alpha, inverse), 8);
      const __m256i sum =
          _mm256_add_epi16(_mm256_mullo_epi16(s16, k), _mm256_mullo_epi16(o16, _mm256_sub_epi16(full, k)));
      const __m256i r16 = _mm256_srli_epi16(sum, 8);
      const __m128i blended = _mm_or_si128(
          _mm_packus_epi16(_mm256_castsi256_si128(r16), _mm256_extracti128_si256(r16, 1)), opaque);
      const __m128i lanes = _mm_cmpeq_epi32(_mm_and_si128(_mm_set1_epi32(bits), _mm_setr_epi32(1, 2, 4, 8)),
                                            _mm_setr_epi32(1, 2, 4, 8));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(target), _mm_blendv_epi8(old, blended, lanes));
      if (pixels < 4) __builtin_memcpy(at, tail, size_t(4) * pixels);
    }
  }

  static __m128i widen(const uint8_t* pixel) { return _mm_cvtepu8_epi32(_mm_loadu_si32(pixel)); }
};

}  // namespace

void blendPassAvx2(const PicturePass& pass, const uint8_t* picBase, std::ptrdiff_t picStride, uint8_t* outBase,
                   std::ptrdiff_t outStride, int inverseAmount, int bandBegin, int bandEnd) {
  // The runs keep byte offsets into the picture in 32 bits; a picture too large for that (none that an
  // image buffer can hold) takes the per-pixel kernel.
  if (!runOffsetsFit(picStride, pass.picH)) {
    BlendKernelAvx2 kernel{inverseAmount};
    walkPassRows(pass, picBase, picStride, outBase, outStride, kernel, bandBegin, bandEnd);
    return;
  }
  const LineRuns runs{picBase,
                      {int(picStride), pass.picW, pass.picH, pass.neighbourColumns, pass.neighbourRows, pass.maxSx,
                       pass.maxSy},
                      pass.colStepX,
                      pass.colStepY,
                      pass.firstColumn,
                      pass.columnEnd,
                      inverseAmount};
  walkPassLines(pass, outBase, outStride, runs, bandBegin, bandEnd);
}

#else

// Without AVX2 in this build the entry point is never chosen; it exists so the program links.
void blendPassAvx2(const PicturePass&, const uint8_t*, std::ptrdiff_t, uint8_t*, std::ptrdiff_t, int, int, int) {}

#endif
