#include "image/image_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>

ImageBuffer::ImageBuffer(int width, int height, int bitsPerPixel) { create(width, height, bitsPerPixel); }

int ImageBuffer::paletteEntriesFor(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 2: return 4;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

bool ImageBuffer::create(int width, int height, int bitsPerPixel) {
  if (hasHeader() && info().width == width && info().height == height && info().bitCount == bitsPerPixel)
    return true;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
  if (bitsPerPixel <= 0 || bitsPerPixel > 32) return false;

  header_.clear();
  pixels_.clear();
  const int entries = paletteEntriesFor(bitsPerPixel);
  try {
    header_.assign(40 + 4 * size_t(entries), 0);
  } catch (const std::bad_alloc&) {
    header_.clear();
    return false;
  }
  BitmapInfoHeader h;
  h.width = width;
  h.height = height;
  h.bitCount = uint16_t(bitsPerPixel);
  std::memcpy(header_.data(), &h, sizeof h);
  for (int i = 0; i < entries; ++i) {
    uint8_t* e = header_.data() + 40 + 4 * i;
    e[0] = e[1] = e[2] = uint8_t(i);
    e[3] = 0;
  }
  try {
    pixels_.assign(size_t(rowStepFor(width, bitsPerPixel)) * height + 4, 0);
  } catch (const std::bad_alloc&) {
    pixels_.clear();
    return false;
  }
  return true;
}

int ImageBuffer::width(int m) const {
  if (!hasHeader()) return 0;
  const int v = info().width;
  return m ? m * (v / m + 1) : v;
}

int ImageBuffer::height(int m) const {
  if (!hasHeader()) return 0;
  const int v = info().height < 0 ? -info().height : info().height;
  return m ? m * (v / m + 1) : v;
}

int ImageBuffer::rowStep() const { return hasHeader() ? rowStepFor(info().width, info().bitCount) : 0; }

bool ImageBuffer::writeRow(int i, const uint8_t* source) {
  if (!hasHeader() || pixels_.empty() || i < 0 || i >= height()) return false;
  std::memcpy(row(i), source, rowStep());
  return true;
}

bool ImageBuffer::readRow(int i, uint8_t* destination, size_t maximum) const {
  if (!hasHeader() || pixels_.empty() || i < 0 || i >= height()) return false;
  std::memcpy(destination, row(i), std::min(size_t(rowStep()), maximum));
  return true;
}

bool ImageBuffer::copyTo(ImageBuffer& other, bool recreate) const {
  if (!hasHeader() || pixels_.empty()) return false;
  if (recreate) {
    if (!other.create(width(), height(), bitsPerPixel())) return false;
    // A palette belongs to the picture as much as its pixels do.
    if (paletteEntries() && other.paletteEntries() == paletteEntries())
      std::memcpy(other.palette(), palette(), 4 * size_t(paletteEntries()));
  }
  if (other.pixelBytes() != pixelBytes() || other.pixels_.empty()) return false;
  std::memcpy(other.pixels(), pixels(), pixelBytes());
  return true;
}

bool ImageBuffer::convertInto(ImageBuffer& target, uint32_t borderColour, int borderWidth) const {
  if (!hasHeader() || pixels_.empty() || !target.hasHeader() || target.pixels_.empty()) return false;
  const int sw = width(), sh = height(), sbits = bitsPerPixel();
  const int tw = target.width(), th = target.height(), tbits = target.bitsPerPixel();
  if (sbits == tbits && sw == tw && sh == th && borderWidth == 0) {
    std::memcpy(target.pixels(), pixels(), pixelBytes());
    return true;
  }
  const uint8_t borderB = uint8_t(borderColour >> 16), borderG = uint8_t(borderColour >> 8),
                borderR = uint8_t(borderColour);
  const int innerW = tw - 2 * borderWidth, innerH = th - 2 * borderWidth;
  const double rowScale = innerH > 0 ? double(sh) / innerH : 0.0;
  const double colScale = innerW > 0 ? double(sw) / innerW : 0.0;
  const uint8_t* pal = palette();
  const int tpix = tbits / 8, spix = sbits / 8;

  for (int i = 0; i < th; ++i) {
    uint8_t* out = target.row(i);
    const bool rowInside = i >= borderWidth && i < th - borderWidth;
    const uint8_t* in = nullptr;
    if (rowInside) {
      int sr = int(rowScale * (i - borderWidth));
      if (sr >= sh) sr = sh - 1;
      in = row(sr);
    }
    for (int j = 0; j < tw; ++j) {
      uint8_t b = borderB, g = borderG, r = borderR, a = 0;
      if (rowInside && j >= borderWidth && j < tw - borderWidth) {
        int sc = int((j - borderWidth) * colScale);
        if (sc >= sw) sc = sw - 1;
        switch (sbits) {
          case 8: {
            const uint8_t idx = in[sc];
            if (pal && idx < paletteEntries()) {
              b = pal[4 * idx];
              g = pal[4 * idx + 1];
              r = pal[4 * idx + 2];
            } else {
              b = g = r = 0;
            }
            break;
          }
          case 16: {
            const unsigned w = unsigned(in[2 * sc]) | unsigned(in[2 * sc + 1]) << 8;
            b = uint8_t((w * 8) % 256);
            g = uint8_t((w / 4) % 256);
            r = uint8_t((w / 128) % 256);
            break;
          }
          case 24:
          case 32:
            b = in[spix * sc];
            g = in[spix * sc + 1];
            r = in[spix * sc + 2];
            if (sbits == 32) a = in[spix * sc + 3];
            break;
          default:
            b = g = r = 0;
            break;
        }
      }
      switch (tbits) {
        case 16: {
          const unsigned w = unsigned(b / 8) + unsigned(g / 8) * 32 + unsigned(r / 8) * 1024;
          out[2 * j] = uint8_t(w);
          out[2 * j + 1] = uint8_t(w >> 8);
          break;
        }
        case 24:
        case 32:
          out[tpix * j] = b;
          out[tpix * j + 1] = g;
          out[tpix * j + 2] = r;
          if (tbits == 32) out[tpix * j + 3] = a;
          break;
        default:
          break;
      }
    }
  }
  return true;
}

bool ImageBuffer::flipVertical() {
  if (!hasHeader() || pixels_.empty()) return false;
  const int h = height(), step = rowStep();
  std::vector<uint8_t> tmp(static_cast<size_t>(step));
  for (int i = 0; i < h / 2; ++i) {
    std::memcpy(tmp.data(), row(i), step);
    std::memcpy(row(i), row(h - 1 - i), step);
    std::memcpy(row(h - 1 - i), tmp.data(), step);
  }
  return true;
}

bool ImageBuffer::swapRedBlue() {
  if (!hasHeader() || pixels_.empty()) return false;
  // Only pixels with separate red and blue bytes can be exchanged; 8- and 16-bit buffers stay as they are.
  const int pix = bitsPerPixel() / 8;
  if (pix < 3) return true;
  for (int i = 0; i < height(); ++i) {
    uint8_t* p = row(i);
    for (int j = 0; j < width(); ++j, p += pix) std::swap(p[0], p[2]);
  }
  return true;
}

bool ImageBuffer::setAlpha(uint8_t alpha) {
  if (!hasHeader() || pixels_.empty() || bitsPerPixel() != 32) return false;
  for (int i = 0; i < height(); ++i) {
    uint8_t* p = row(i);
    for (int j = 0; j < width(); ++j) p[4 * j + 3] = alpha;
  }
  return true;
}

bool ImageBuffer::setBorderAlpha(uint8_t alpha) {
  if (!hasHeader() || pixels_.empty() || bitsPerPixel() != 32) return false;
  const int w = width(), h = height();
  for (int i = 0; i < h; ++i) {
    uint8_t* p = row(i);
    if (i == 0 || i == h - 1) {
      for (int j = 0; j < w; ++j) p[4 * j + 3] = alpha;
    } else {
      p[3] = alpha;
      p[4 * (w - 1) + 3] = alpha;
    }
  }
  return true;
}

bool ImageBuffer::videoSafeColours() {
  if (!hasHeader() || pixels_.empty()) return false;
  const int pix = bitsPerPixel() / 8;
  if (pix < 3) return true;
  bool outside = false;
  for (int i = 0; i < height() && !outside; ++i) {
    const uint8_t* p = row(i);
    for (int j = 0; j < width() * pix && !outside; j += pix)
      for (int c = 0; c < 3; ++c)
        if (p[j + c] < 18 || p[j + c] > 234) outside = true;
  }
  if (!outside) return true;
  uint8_t map[256];
  for (int v = 0; v < 256; ++v) map[v] = uint8_t((86 * v + 1548) / 100);
  for (int i = 0; i < height(); ++i) {
    uint8_t* p = row(i);
    for (int j = 0; j < width() * pix; j += pix)
      for (int c = 0; c < 3; ++c) p[j + c] = map[p[j + c]];
  }
  return true;
}

bool ImageBuffer::alphaBlur() {
  if (!hasHeader() || pixels_.empty() || bitsPerPixel() != 32) return false;
  const int w = width(), h = height();
  // In place, rows from the bottom up and columns from the left: a softened pixel feeds its later
  // neighbours, which is what gives edges their soft inner ramp.
  for (int i = 0; i + 2 < h; ++i) {
    const uint8_t* r0 = row(i);
    uint8_t* r1 = row(i + 1);
    const uint8_t* r2 = row(i + 2);
    for (int j = 0; j + 2 < w; ++j) {
      uint8_t& a = r1[4 * (j + 1) + 3];
      if (a == 0) continue;
      const int k = 4 * j + 3;
      const int sum = r0[k] + 2 * r0[k + 4] + r0[k + 8] + 2 * r1[k] + 4 * r1[k + 4] + 2 * r1[k + 8] + r2[k] +
                      2 * r2[k + 4] + r2[k + 8];
      a = uint8_t(sum >> 4);
    }
  }
  return true;
}

bool ImageBuffer::expandOneBit(int width, int height, const uint8_t* bits, int sourceRowStep) {
  if (!hasHeader() || !bits) return false;
  if (!create(width, height, 24)) return false;
  const int groups = width / 8;
  for (int i = 0; i < height; ++i) {
    const uint8_t* in = bits + size_t(i) * sourceRowStep;
    uint8_t* out = row(i);
    for (int g = 0; g < groups; ++g)
      for (int bit = 0; bit < 8; ++bit) {
        const uint8_t v = (in[g] & (0x80 >> bit)) ? 255 : 0;
        uint8_t* p = out + 3 * (8 * g + bit);
        p[0] = p[1] = p[2] = v;
      }
  }
  return true;
}
