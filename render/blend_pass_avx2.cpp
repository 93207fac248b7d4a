// Built with -mavx2 (render/CMakeLists.txt). Everything here besides the entry point has internal
// linkage and nothing outside intrinsics and the anonymous kernels is called, so no AVX2 code can stand
// in for a function the rest of the program shares.
#include "render/blend_pass_avx2.h"

#include "render/blend_kernels.h"

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

}  // namespace

void blendPassAvx2(const PicturePass& pass, const uint8_t* picBase, std::ptrdiff_t picStride, uint8_t* outBase,
                   std::ptrdiff_t outStride, int inverseAmount, int bandBegin, int bandEnd) {
  BlendKernelAvx2 kernel{inverseAmount};
  walkPassRows(pass, picBase, picStride, outBase, outStride, kernel, bandBegin, bandEnd);
}

#else

// Without AVX2 in this build the entry point is never chosen; it exists so the program links.
void blendPassAvx2(const PicturePass&, const uint8_t*, std::ptrdiff_t, uint8_t*, std::ptrdiff_t, int, int, int) {}

#endif
