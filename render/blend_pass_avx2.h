#pragma once
// The ordinary blend with AVX2 (blend_pass_avx2.cpp, built for AVX2). Call it only where the
// processor has AVX2; blendPass does the choosing.
#include <cstddef>
#include <cstdint>

struct PicturePass;

void blendPassAvx2(const PicturePass& pass, const uint8_t* picBase, std::ptrdiff_t picStride, uint8_t* outBase,
                   std::ptrdiff_t outStride, int inverseAmount, int bandBegin, int bandEnd);
