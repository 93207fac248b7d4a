#pragma once
// Per-pixel kernels of a picture pass (see walkPass): the ordinary blend and the brushes that change
// what lies below them. All blends are integer products shifted right by 8 (a division by 256, so a
// full-strength blend still leaves one step of the old value). A brush changes only pixels where its
// sampled mask is above 0 and never touches the alpha byte. The brushes also take the mask already
// sampled (`masked`), as the AVX2 mask runs hand it over.
#include <cstdint>

#include "render/picture_pass.h"

// Luminance with single-precision weights and arithmetic, truncated to a byte.
inline int luminance(int blue, int green, int red) {
  return int(0.11f * float(blue) + 0.59f * float(green) + 0.30f * float(red));
}

struct BlendKernel {
  int inverseAmount;  // 255 - g

  void beginLine(int, int) {}
  void pixel(int, int, int, uint8_t* out, const BilinearTap& tap) const {
    const int k = (tap.at(3) * inverseAmount) >> 8;
    const int keep = 255 - k;
    for (int b = 0; b < 3; ++b) out[b] = uint8_t((tap.at(b) * k + out[b] * keep) >> 8);
    out[3] = 255;
  }
};

struct PixelateKernel {
  int block;  // s; 0 leaves every pixel alone (and is never walked)
  uint8_t* outBase;
  std::ptrdiff_t outStride;
  int outH, lineFactor;

  void beginLine(int, int) {}
  void pixel(int column, int line, int outLine, uint8_t* out, const BilinearTap& tap) const {
    masked(column, line, outLine, out, tap.at(3));
  }
  void masked(int column, int line, int, uint8_t* out, int m) const {
    if (m <= 0) return;
    const int sampleLine = (line - line % block) / lineFactor;
    const uint8_t* sample = outBase + outStride * (outH - 1 - sampleLine) + 4 * (column - column % block);
    for (int b = 0; b < 3; ++b) out[b] = uint8_t((out[b] * (255 - m) + sample[b] * m) >> 8);
  }
};

struct DarkenKernel {
  int g;

  void beginLine(int, int) {}
  void pixel(int, int, int, uint8_t* out, const BilinearTap& tap) const { masked(0, 0, 0, out, tap.at(3)); }
  void masked(int, int, int, uint8_t* out, int m) const {
    if (m <= 0) return;
    const int f = 255 - ((m * g) >> 8);
    for (int b = 0; b < 3; ++b) out[b] = uint8_t((out[b] * f) >> 8);
  }
};

struct LightenKernel {
  int g;

  void beginLine(int, int) {}
  void pixel(int, int, int, uint8_t* out, const BilinearTap& tap) const { masked(0, 0, 0, out, tap.at(3)); }
  void masked(int, int, int, uint8_t* out, int m) const {
    if (m <= 0) return;
    for (int b = 0; b < 3; ++b) {
      const int v = out[b];
      const int u = v + g < 232 ? v + g : 232;  // lightening stops at 232
      out[b] = uint8_t((v * (255 - m) + u * m) >> 8);
    }
  }
};

struct TintKernel {
  int g;
  int colour[3];  // blue, green, red of the tint

  void beginLine(int, int) {}
  void pixel(int, int, int, uint8_t* out, const BilinearTap& tap) const { masked(0, 0, 0, out, tap.at(3)); }
  void masked(int, int, int, uint8_t* out, int m) const {
    if (m <= 0) return;
    const int k = (m * g) >> 8;
    const int lum = luminance(out[0], out[1], out[2]);
    for (int b = 0; b < 3; ++b) out[b] = uint8_t((((lum * colour[b]) >> 8) * k + out[b] * (255 - k)) >> 8);
  }
};

struct NoColourKernel {
  int g;

  void beginLine(int, int) {}
  void pixel(int, int, int, uint8_t* out, const BilinearTap& tap) const { masked(0, 0, 0, out, tap.at(3)); }
  void masked(int, int, int, uint8_t* out, int m) const {
    if (m <= 0) return;
    const int k = (m * g) >> 8;
    const int lum = luminance(out[0], out[1], out[2]);
    for (int b = 0; b < 3; ++b) out[b] = uint8_t((lum * k + out[b] * (255 - k)) >> 8);
  }
};
