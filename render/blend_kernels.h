#pragma once
// Ordinary-picture kernels that sample the four bytes of a picture pixel together. They give exactly
// the bytes of BlendKernel (the reference): the same double-precision operations in the same order,
// per channel, only several channels per instruction.
//
// This header holds only code instantiated per file: blend_pass_avx2.cpp includes it in a file built
// for AVX2, and any function shared with the rest of the program would carry AVX2 instructions there.
#include <cstdint>

#include "render/picture_pass.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define KM_HAVE_SSE2_BLEND 1
#endif

namespace {

inline uint32_t loadPixel(const uint8_t* p) {
  uint32_t v;
  __builtin_memcpy(&v, p, 4);
  return v;
}

// True when all four alpha taps are 0: the sample's alpha is 0 and so is its opacity, whatever the
// colour taps hold.
inline bool transparentTaps(const BilinearTap& tap) {
  return (tap.upper[tap.j + 3] | tap.upper[tap.jq + 3] | tap.lower[tap.j + 3] | tap.lower[tap.jq + 3]) == 0;
}

// A transparent sample blends with opacity 0: each channel keeps (output x 255) >> 8.
inline void blendTransparent(uint8_t* out) {
  for (int b = 0; b < 3; ++b) out[b] = uint8_t((out[b] * 255) >> 8);
  out[3] = 255;
}

#if defined(KM_HAVE_SSE2_BLEND)
// (sample x k + output x (255 - k)) >> 8 for blue, green and red in 16-bit lanes (every sum stays
// below 65536), alpha 255.
inline void blendSamples(__m128i samples32, int inverseAmount, uint8_t* out) {
  const int k = (_mm_cvtsi128_si32(_mm_srli_si128(samples32, 12)) * inverseAmount) >> 8;
  const __m128i zero = _mm_setzero_si128();
  const __m128i samples16 = _mm_packs_epi32(samples32, zero);
  const __m128i out16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(loadPixel(out))), zero);
  const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(samples16, _mm_set1_epi16(short(k))),
                                    _mm_mullo_epi16(out16, _mm_set1_epi16(short(255 - k))));
  const uint32_t bytes = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(_mm_srli_epi16(sum, 8), zero)));
  const uint32_t result = (bytes & 0x00FFFFFFu) | 0xFF000000u;
  __builtin_memcpy(out, &result, 4);
}

inline __m128i widenPixel(const uint8_t* p) {
  const __m128i zero = _mm_setzero_si128();
  return _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(loadPixel(p))), zero), zero);
}

// Two channels: trunc(top + (lower - top) x fy) with top = u0 + (u1 - u0) x fx, lower likewise.
inline __m128i sampleTwo(__m128i u0, __m128i du, __m128i l0, __m128i dl, __m128d fx, __m128d fy) {
  const __m128d top = _mm_add_pd(_mm_cvtepi32_pd(u0), _mm_mul_pd(_mm_cvtepi32_pd(du), fx));
  const __m128d low = _mm_add_pd(_mm_cvtepi32_pd(l0), _mm_mul_pd(_mm_cvtepi32_pd(dl), fx));
  return _mm_cvttpd_epi32(_mm_add_pd(top, _mm_mul_pd(_mm_sub_pd(low, top), fy)));
}

struct BlendKernelSse2 {
  int inverseAmount;  // 255 - g

  void beginLine(int, int) {}
  void pixel(int, int, int, uint8_t* out, const BilinearTap& tap) const {
    if (transparentTaps(tap)) {
      blendTransparent(out);
      return;
    }
    const __m128i u0 = widenPixel(tap.upper + tap.j), l0 = widenPixel(tap.lower + tap.j);
    const __m128i du = _mm_sub_epi32(widenPixel(tap.upper + tap.jq), u0);
    const __m128i dl = _mm_sub_epi32(widenPixel(tap.lower + tap.jq), l0);
    const __m128d fx = _mm_set1_pd(tap.fx), fy = _mm_set1_pd(tap.fy);
    const __m128i low = sampleTwo(u0, du, l0, dl, fx, fy);
    const __m128i high = sampleTwo(_mm_srli_si128(u0, 8), _mm_srli_si128(du, 8), _mm_srli_si128(l0, 8),
                                   _mm_srli_si128(dl, 8), fx, fy);
    blendSamples(_mm_unpacklo_epi64(low, high), inverseAmount, out);
  }
};
#endif

}  // namespace
