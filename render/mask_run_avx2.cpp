// Built with -mavx2 (render/CMakeLists.txt). Everything here besides the entry points has internal
// linkage and nothing outside intrinsics is called, so no AVX2 code can stand in for a function the
// rest of the program shares.
#include "render/mask_run_avx2.h"

#include "render/run_taps_avx2.h"

#if defined(__AVX2__)

namespace {

// The masks of one run whose positions are in `run`; the same loop steps the next run's positions
// (`nextCount` of them) into their place, so that the chain of additions overlaps the sampling.
void maskRun(const MaskRunSetup& setup, const TapGeometry& geometry, TapRun& run, int count, int nextCount,
             double& sx, double& sy, int32_t* masks) {
  geometry.taps(run, count);
  const double stepX = setup.colStepX, stepY = setup.colStepY;
  double x = sx, y = sy;
  const __m128i none = _mm_set1_epi32(-1), bits = _mm_setr_epi32(1, 2, 4, 8);
  for (int g = 0; 4 * g < count; ++g) {
    for (int i = 4 * g; i < 4 * g + 4 && i < nextCount; ++i, x += stepX, y += stepY) {
      run.xs[i] = x;
      run.ys[i] = y;
    }
    const __m128i lanes = _mm_cmpeq_epi32(_mm_and_si128(_mm_set1_epi32(run.valid[g]), bits), bits);
    __m128i result = none;
    if (run.valid[g] != 0) {
      // Lanes that cannot be sampled read nothing.
      int taps[4][4] = {};
      for (int lane = 0; lane < 4; ++lane) {
        if (!run.sampled(4 * g + lane)) continue;
        const uint8_t* upper = setup.picBase + run.upper[4 * g + lane] + 3;
        const uint8_t* lower = setup.picBase + run.lower[4 * g + lane] + 3;
        const int next = run.next[4 * g + lane];
        taps[0][lane] = upper[0];
        taps[1][lane] = upper[next];
        taps[2][lane] = lower[0];
        taps[3][lane] = lower[next];
      }
      const __m128i u0 = _mm_setr_epi32(taps[0][0], taps[0][1], taps[0][2], taps[0][3]);
      const __m128i u1 = _mm_setr_epi32(taps[1][0], taps[1][1], taps[1][2], taps[1][3]);
      const __m128i l0 = _mm_setr_epi32(taps[2][0], taps[2][1], taps[2][2], taps[2][3]);
      const __m128i l1 = _mm_setr_epi32(taps[3][0], taps[3][1], taps[3][2], taps[3][3]);
      const __m256d fx = _mm256_load_pd(run.fx + 4 * g), fy = _mm256_load_pd(run.fy + 4 * g);
      const __m256d top =
          _mm256_add_pd(_mm256_cvtepi32_pd(u0), _mm256_mul_pd(_mm256_cvtepi32_pd(_mm_sub_epi32(u1, u0)), fx));
      const __m256d low =
          _mm256_add_pd(_mm256_cvtepi32_pd(l0), _mm256_mul_pd(_mm256_cvtepi32_pd(_mm_sub_epi32(l1, l0)), fx));
      const __m128i mask = _mm256_cvttpd_epi32(_mm256_add_pd(top, _mm256_mul_pd(_mm256_sub_pd(low, top), fy)));
      result = _mm_blendv_epi8(none, mask, lanes);
    }
    if (4 * g + 4 <= count) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(masks + 4 * g), result);
    } else {
      alignas(16) int32_t four[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(four), result);
      for (int i = 4 * g; i < count; ++i) masks[i] = four[i - 4 * g];
    }
  }
  sx = x;
  sy = y;
}

}  // namespace

// The alpha taps of four columns are loaded into the four lanes, and each lane then takes the
// operations of BilinearTap::at(3): the same double-precision steps in the same order.
void maskLineAvx2(const MaskRunSetup& setup, double sx, double sy, int count, int32_t* masks) {
  TapRun run;
  const TapGeometry geometry{setup.picStride,    setup.picW,  setup.picH, setup.neighbourColumns,
                             setup.neighbourRows, setup.maxSx, setup.maxSy};
  TapGeometry::positions(run, count < kRun ? count : kRun, sx, sy, setup.colStepX, setup.colStepY);
  for (int done = 0; done < count; done += kRun) {
    const int here = count - done < kRun ? count - done : kRun;
    const int left = count - done - here;
    maskRun(setup, geometry, run, here, left < kRun ? left : kRun, sx, sy, masks + done);
  }
}

#else

// Without AVX2 in this build the runs are never chosen; the entry point exists so the program links.
void maskLineAvx2(const MaskRunSetup&, double, double, int, int32_t*) {}

#endif
