// The host program's readers of command-line values: --size, --frames, --rate and an input colour.
// The first byte picks the reader, the rest is the text. Whatever a reader accepts it describes again
// as text that reads back to the same value, and an accepted size that passes the output check makes
// a frame of exactly that many pixels.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/media/frame_rate.h"
#include "app/media/host_frame.h"
#include "app/media/video_source.h"
#include "app/render_job.h"

namespace {

void size(const std::string& text) {
  int width = -1, height = -1;
  if (!parseSize(text, width, height)) return;
  if (width < 1 || height < 1) std::abort();
  int w2 = 0, h2 = 0;
  if (!parseSize(std::to_string(width) + "x" + std::to_string(height), w2, h2) || w2 != width || h2 != height)
    std::abort();
  std::string error;
  if (!checkOutputSize(width, height, error)) {
    if (error.empty()) std::abort();
    return;
  }
  // Frames of up to 64K pixels are made; larger ones would only spend the fuzzer's time clearing memory.
  if (int64_t(width) * height > 65536) return;
  for (int bits : {24, 32})
    for (bool padded : {false, true}) {
      HostFrame frame;
      frame.create(width, height, bits, padded);
      const size_t row = padded ? (size_t(width) * (bits / 8) + 3) / 4 * 4 : size_t(width) * (bits / 8);
      if (frame.width() != width || frame.height() != height || frame.pixels.size() != row * size_t(height))
        std::abort();
      // Every line of the frame lies inside its pixels.
      if (frame.line(0) + row != frame.pixels.data() + frame.pixels.size() || frame.line(height - 1) != frame.pixels.data())
        std::abort();
    }
}

void frames(const std::string& text) {
  int first = -1, last = -1;
  if (!parseFrames(text, first, last)) return;
  if (first < 0 || last < first) std::abort();
  int f2 = -1, l2 = -1;
  const std::string again = first == last && text.find('-') == std::string::npos
                                ? std::to_string(first)
                                : std::to_string(first) + "-" + std::to_string(last);
  if (!parseFrames(again, f2, l2) || f2 != first || l2 != last) std::abort();
}

void rate(const std::string& text) {
  FrameRate r{-5, -5};
  if (!parseFrameRate(text, r)) return;
  if (r.num < 1 || r.den < 1 || !std::isfinite(r.perSecond()) || r.perSecond() <= 0) std::abort();
  FrameRate again;
  if (!parseFrameRate(describeFrameRate(r), again) || !(again == r)) std::abort();
  const int32_t code = rateCodeNearest(r);
  if (code != 0 && code != KM_RATE_CODE_25 && code != KM_RATE_CODE_24) std::abort();
}

void colour(const std::string& text) {
  uint8_t red = 0, green = 0, blue = 0;
  if (!parseColour(text, red, green, blue)) return;
  static const char* digits = "0123456789abcdef";
  std::string again = "#";
  for (uint8_t c : {red, green, blue}) again += {digits[c >> 4], digits[c & 15]};
  uint8_t r2 = 0, g2 = 0, b2 = 0;
  if (!parseColour(again, r2, g2, b2) || r2 != red || g2 != green || b2 != blue) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t length) {
  if (length < 1 || length > 64) return 0;
  const std::string text(reinterpret_cast<const char*>(data + 1), length - 1);
  switch (data[0] % 4) {
    case 0: size(text); break;
    case 1: frames(text); break;
    case 2: rate(text); break;
    default: colour(text); break;
  }
  return 0;
}
