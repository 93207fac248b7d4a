#include "render/background_fill.h"

#include <algorithm>
#include <cstring>

namespace {

// One output row from one source row, for each source depth; the pixel values are convertInto's.
void rowFrom8(const uint8_t* in, uint8_t* out, const int* columns, int width, const uint8_t* palette,
              int paletteEntries) {
  for (int j = 0; j < width; ++j, out += 4) {
    const uint8_t index = in[columns[j]];
    if (palette && index < paletteEntries) {
      out[0] = palette[4 * index];
      out[1] = palette[4 * index + 1];
      out[2] = palette[4 * index + 2];
    } else {
      out[0] = out[1] = out[2] = 0;
    }
    out[3] = 0;
  }
}

void rowFrom16(const uint8_t* in, uint8_t* out, const int* columns, int width) {
  for (int j = 0; j < width; ++j, out += 4) {
    const int sc = columns[j];
    const unsigned w = unsigned(in[2 * sc]) | unsigned(in[2 * sc + 1]) << 8;
    out[0] = uint8_t((w * 8) % 256);
    out[1] = uint8_t((w / 4) % 256);
    out[2] = uint8_t((w / 128) % 256);
    out[3] = 0;
  }
}

void rowFrom24(const uint8_t* in, uint8_t* out, const int* columns, int width) {
  for (int j = 0; j < width; ++j, out += 4) {
    const uint8_t* p = in + 3 * columns[j];
    out[0] = p[0];
    out[1] = p[1];
    out[2] = p[2];
    out[3] = 0;
  }
}

void rowFrom32(const uint8_t* in, uint8_t* out, const int* columns, int width) {
  for (int j = 0; j < width; ++j, out += 4) std::memcpy(out, in + 4 * columns[j], 4);
}

}  // namespace

bool BackgroundFill::prepare(const ImageBuffer& source, const ImageBuffer& target, bool keep) {
  reused_ = false;
  useKept_ = false;
  if (!source.hasHeader() || source.pixels() == nullptr) return false;
  const int sw = source.width(), sh = source.height(), tw = target.width(), th = target.height();
  if (sw != sourceWidth_ || tw != targetWidth_) {
    const double colScale = double(sw) / tw;
    columns_.resize(std::size_t(tw));
    for (int j = 0; j < tw; ++j) {
      const int sc = int(j * colScale);
      columns_[std::size_t(j)] = sc >= sw ? sw - 1 : sc;
    }
    sourceWidth_ = sw;
    targetWidth_ = tw;
  }
  plainCopy_ = source.bitsPerPixel() == 32 && sw == tw && sh == th;
  // A copy gains nothing where the background is copied anyway.
  if (!keep || plainCopy_) return true;

  if (kept_ && scaled_.width() == tw && scaled_.height() == th && keptMatches(source)) {
    reused_ = true;
  } else {
    kept_ = false;
    if (!scaled_.create(tw, th, 32)) return true;  // no memory for the copy: convert every frame
    convertRows(source, scaled_, 0, th);
    keptWidth_ = sw;
    keptHeight_ = sh;
    keptBits_ = source.bitsPerPixel();
    keptHeader_.assign(source.header(), source.header() + source.headerSize());
    keptPixels_.assign(source.pixels(), source.pixels() + source.pixelBytes());
    kept_ = true;
  }
  useKept_ = true;
  return true;
}

bool BackgroundFill::keptMatches(const ImageBuffer& source) const {
  return source.width() == keptWidth_ && source.height() == keptHeight_ && source.bitsPerPixel() == keptBits_ &&
         source.headerSize() == keptHeader_.size() && source.pixelBytes() == keptPixels_.size() &&
         std::memcmp(source.header(), keptHeader_.data(), keptHeader_.size()) == 0 &&
         std::memcmp(source.pixels(), keptPixels_.data(), keptPixels_.size()) == 0;
}

void BackgroundFill::fill(const ImageBuffer& source, ImageBuffer& target, int bandBegin, int bandEnd) const {
  const int th = target.height();
  const int rowBegin = std::max(th - bandEnd, 0), rowEnd = std::min(th - bandBegin, th);
  if (rowBegin >= rowEnd) return;
  if (useKept_) {
    const std::size_t step = std::size_t(target.rowStep());
    std::memcpy(target.row(rowBegin), scaled_.row(rowBegin), step * std::size_t(rowEnd - rowBegin));
    return;
  }
  convertRows(source, target, rowBegin, rowEnd);
}

void BackgroundFill::convertRows(const ImageBuffer& source, ImageBuffer& target, int rowBegin, int rowEnd) const {
  const std::size_t step = std::size_t(target.rowStep());
  if (plainCopy_) {
    std::memcpy(target.row(rowBegin), source.row(rowBegin), step * std::size_t(rowEnd - rowBegin));
    return;
  }
  const int sh = source.height(), th = target.height(), tw = target.width(), bits = source.bitsPerPixel();
  const double rowScale = double(sh) / th;
  const int* columns = columns_.data();
  int previous = -1;
  for (int i = rowBegin; i < rowEnd; ++i) {
    int sr = int(rowScale * i);
    if (sr >= sh) sr = sh - 1;
    uint8_t* out = target.row(i);
    if (sr == previous) {
      std::memcpy(out, target.row(i - 1), step);
      continue;
    }
    previous = sr;
    const uint8_t* in = source.row(sr);
    switch (bits) {
      case 8: rowFrom8(in, out, columns, tw, source.palette(), source.paletteEntries()); break;
      case 16: rowFrom16(in, out, columns, tw); break;
      case 24: rowFrom24(in, out, columns, tw); break;
      case 32: rowFrom32(in, out, columns, tw); break;
      default: std::memset(out, 0, 4 * std::size_t(tw)); break;
    }
  }
}
