// Built with -mavx2 (render/CMakeLists.txt). Everything here besides the entry points has internal
// linkage and nothing outside intrinsics is called, so no AVX2 code can stand in for a function the
// rest of the program shares.
#include "render/mask_run_avx2.h"

#include "render/run_taps_avx2.h"

#if defined(__AVX2__)

// The alpha taps of four columns are gathered into the four lanes, and each lane then takes the
// operations of BilinearTap::at(3): the same double-precision steps in the same order.
void maskRunAvx2(const MaskRunSetup& setup, double& sx, double& sy, int count, int32_t* masks) {
  static_assert(kMaskRun == kRun, "one mask run is one run of taps");
  TapRun run;
  TapGeometry::positions(run, count, sx, sy, setup.colStepX, setup.colStepY);
  const TapGeometry geometry{setup.picStride,    setup.picW,  setup.picH, setup.neighbourColumns,
                             setup.neighbourRows, setup.maxSx, setup.maxSy};
  geometry.taps(run, count);
  const int* base = reinterpret_cast<const int*>(setup.picBase);
  const __m128i none = _mm_set1_epi32(-1), bits = _mm_setr_epi32(1, 2, 4, 8);
  for (int g = 0; 4 * g < count; ++g) {
    const __m128i lanes = _mm_cmpeq_epi32(_mm_and_si128(_mm_set1_epi32(run.valid[g]), bits), bits);
    __m128i result = none;
    if (run.valid[g] != 0) {
      // Whole pixels are gathered (an alpha byte read as four bytes could run past the picture's
      // end); lanes that cannot be sampled read nothing.
      const __m128i upper = _mm_load_si128(reinterpret_cast<const __m128i*>(run.upper + 4 * g));
      const __m128i lower = _mm_load_si128(reinterpret_cast<const __m128i*>(run.lower + 4 * g));
      const __m128i next = _mm_load_si128(reinterpret_cast<const __m128i*>(run.next + 4 * g));
      const __m128i zero = _mm_setzero_si128();
      const auto alpha = [&](__m128i offsets) {
        return _mm_srli_epi32(_mm_mask_i32gather_epi32(zero, base, offsets, lanes, 1), 24);
      };
      const __m128i u0 = alpha(upper), u1 = alpha(_mm_add_epi32(upper, next));
      const __m128i l0 = alpha(lower), l1 = alpha(_mm_add_epi32(lower, next));
      const __m256d fx = _mm256_load_pd(run.fx + 4 * g), fy = _mm256_load_pd(run.fy + 4 * g);
      const __m256d top = _mm256_add_pd(_mm256_cvtepi32_pd(u0), _mm256_mul_pd(_mm256_cvtepi32_pd(_mm_sub_epi32(u1, u0)), fx));
      const __m256d low = _mm256_add_pd(_mm256_cvtepi32_pd(l0), _mm256_mul_pd(_mm256_cvtepi32_pd(_mm_sub_epi32(l1, l0)), fx));
      const __m128i mask = _mm256_cvttpd_epi32(_mm256_add_pd(top, _mm256_mul_pd(_mm256_sub_pd(low, top), fy)));
      result = _mm_blendv_epi8(none, mask, lanes);
    }
    alignas(16) int32_t four[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(four), result);
    for (int i = 0; i < 4 && 4 * g + i < count; ++i) masks[4 * g + i] = four[i];
  }
}

#else

// Without AVX2 in this build the runs are never chosen; the entry point exists so the program links.
void maskRunAvx2(const MaskRunSetup&, double&, double&, int, int32_t*) {}

#endif
