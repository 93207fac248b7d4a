// The hue-lightness-saturation conversions in integers, channels 0..255 one way and 0..240 the other.
// Every division truncates toward zero, as C's does; the rounding terms are part of the results.
#include "dialogs/colour_picker.h"

#include <algorithm>

HlsColour rgbToHls(int red, int green, int blue) {
  const int mx = std::max({red, green, blue});
  const int mn = std::min({red, green, blue});
  const int sum = mx + mn;
  HlsColour out;
  out.lightness = (sum * 240 + 255) / 510;
  if (mx == mn) return out;
  const int d = mx - mn;
  if (out.lightness <= 120) out.saturation = (d * 240 + sum / 2) / sum;
  else out.saturation = (d * 240 + (510 - sum) / 2) / (510 - sum);
  const int rd = ((mx - red) * 40 + d / 2) / d;
  const int gd = ((mx - green) * 40 + d / 2) / d;
  const int bd = ((mx - blue) * 40 + d / 2) / d;
  int hue;
  if (red == mx) hue = bd - gd;
  else if (green == mx) hue = 80 + rd - bd;
  else hue = 160 + gd - rd;
  if (hue < 0) hue += 240;
  if (hue > 240) hue -= 240;
  out.hue = hue;
  return out;
}

namespace {

// One channel from the two magnitudes and the hue offset for that channel; the hue is brought into
// range once only.
int hueChannel(int p, int q, int h) {
  if (h < 0) h += 240;
  else if (h > 240) h -= 240;
  if (h < 40) return p + ((q - p) * h + 20) / 40;
  if (h < 120) return q;
  if (h < 160) return p + ((q - p) * (160 - h) + 20) / 40;
  return p;
}

// Out-of-range input (a hue far outside 0..240) could give channels beyond a byte; they must not
// spill into the neighbouring channel of the colour reference.
int byteOf(int v) { return std::clamp(v, 0, 255); }

}  // namespace

uint32_t hlsToRgb(int hue, int lightness, int saturation) {
  const int m2 = lightness <= 120 ? (lightness * (240 + saturation) + 120) / 240
                                  : lightness + saturation - (lightness * saturation + 120) / 240;
  const int m1 = 2 * lightness - m2;
  const int red = (hueChannel(m1, m2, hue + 80) * 255 + 120) / 240;
  const int green = (hueChannel(m1, m2, hue) * 255 + 120) / 240;
  const int blue = (hueChannel(m1, m2, hue - 80) * 255 + 120) / 240;
  return ws::rgb(byteOf(red), byteOf(green), byteOf(blue));
}
