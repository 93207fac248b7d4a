#include "app/contact_sheet.h"

#include <algorithm>
#include <cstring>

#include "app/media/image_sequence_writer.h"

namespace {
constexpr int kGap = 6;
constexpr uint8_t kSheetGrey = 40;
}  // namespace

RgbImage reduce(const RgbImage& in, int width, int height) {
  RgbImage out;
  out.width = width;
  out.height = height;
  out.rgb.assign(size_t(width) * height * 3, 0);
  for (int y = 0; y < height; ++y) {
    const int y0 = int(long(y) * in.height / height);
    const int y1 = std::max(y0 + 1, int(long(y + 1) * in.height / height));
    for (int x = 0; x < width; ++x) {
      const int x0 = int(long(x) * in.width / width);
      const int x1 = std::max(x0 + 1, int(long(x + 1) * in.width / width));
      unsigned sum[3] = {0, 0, 0};
      for (int sy = y0; sy < y1; ++sy)
        for (int sx = x0; sx < x1; ++sx)
          for (int c = 0; c < 3; ++c) sum[c] += in.rgb[(size_t(sy) * in.width + sx) * 3 + c];
      const unsigned n = unsigned((y1 - y0) * (x1 - x0));
      for (int c = 0; c < 3; ++c) out.rgb[(size_t(y) * width + x) * 3 + c] = uint8_t((sum[c] + n / 2) / n);
    }
  }
  return out;
}

ContactSheet::ContactSheet(int tileWidth, int tileHeight, int columns)
    : tileWidth_(tileWidth), tileHeight_(tileHeight), columns_(std::max(1, columns)) {}

void ContactSheet::add(const HostFrame& frame) { tiles_.push_back(reduce(toRgb(frame), tileWidth_, tileHeight_)); }

RgbImage ContactSheet::compose() const {
  const int n = std::max(1, count());
  const int columns = std::min(columns_, n);
  const int rows = (n + columns - 1) / columns;
  RgbImage sheet;
  sheet.width = kGap + columns * (tileWidth_ + kGap);
  sheet.height = kGap + rows * (tileHeight_ + kGap);
  sheet.rgb.assign(size_t(sheet.width) * sheet.height * 3, kSheetGrey);
  for (int i = 0; i < count(); ++i) {
    const int left = kGap + (i % columns) * (tileWidth_ + kGap);
    const int top = kGap + (i / columns) * (tileHeight_ + kGap);
    for (int y = 0; y < tileHeight_; ++y)
      std::memcpy(&sheet.rgb[(size_t(top + y) * sheet.width + left) * 3], &tiles_[i].rgb[size_t(y) * tileWidth_ * 3],
                  size_t(tileWidth_) * 3);
  }
  return sheet;
}
