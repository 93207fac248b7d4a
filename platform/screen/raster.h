#pragma once
// Shape rasterisation. Every primitive first marks the pixels it covers in a coverage mask and then
// applies its colour once per marked pixel, so that an inverting pen flips each pixel exactly once even
// where the parts of a shape overlap (joins of a polyline, a thick line's caps); drawing the same
// inverted shape twice therefore always restores the surface.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/screen/surface.h"

namespace ws {

class Mask {
 public:
  // Coverage limited to clip (device coordinates).
  explicit Mask(const Rect& clip);

  const Rect& clip() const { return clip_; }
  void set(int x, int y) {
    if (!clip_.contains(x, y)) return;
    bits_[size_t(y - clip_.top) * size_t(clip_.width()) + size_t(x - clip_.left)] = 1;
    mark(y, x, x);
  }
  bool get(int x, int y) const {
    return clip_.contains(x, y) && bits_[size_t(y - clip_.top) * size_t(clip_.width()) + size_t(x - clip_.left)];
  }
  void span(int y, int x0, int x1);  // x0..x1 inclusive
  void box(int left, int top, int right, int bottom);  // inclusive corners
  void clear(int x, int y) {
    if (clip_.contains(x, y)) bits_[size_t(y - clip_.top) * size_t(clip_.width()) + size_t(x - clip_.left)] = 0;
  }
  bool anySet() const;
  // Every pixel ever set lies inside this box (clearing does not shrink it): a small shape on a large
  // surface is applied without walking the whole clip.
  const Rect& marked() const { return marked_; }

 private:
  void mark(int y, int x0, int x1) {
    if (marked_.empty()) {
      marked_ = {x0, y, x1 + 1, y + 1};
      return;
    }
    marked_.left = std::min(marked_.left, x0), marked_.right = std::max(marked_.right, x1 + 1);
    marked_.top = std::min(marked_.top, y), marked_.bottom = std::max(marked_.bottom, y + 1);
  }

  Rect clip_;
  Rect marked_;
  std::vector<uint8_t> bits_;
};

// How a pen or brush combines with what is there (the binary raster operations of R2_*).
uint32_t mixPixel(int rop2, uint32_t pen, uint32_t destination);
void applyMask(Surface& surface, const Mask& mask, uint32_t colour, int rop2);

// Pen dash patterns: on and off lengths in pixels along a width-1 line; null for solid.
const std::vector<int>* dashPattern(int penStyle);

// Width-1 line from (x1, y1) towards (x2, y2) with the end point left out (so that joined segments meet
// without overlap); dashes advance `phase`.
void maskThinLine(Mask& m, int x1, int y1, int x2, int y2, const std::vector<int>* dashes, int& phase);
// A wide line: every pixel whose centre lies within width / 2 of the segment (round ends).
void maskWideLine(Mask& m, int x1, int y1, int x2, int y2, int width);
void maskLine(Mask& m, int x1, int y1, int x2, int y2, int width, int penStyle, int& phase, bool lastPoint);

// Rounded rectangle with corner ellipse cw x ch over the pixel box [l, r] x [t, b] (inclusive); with
// cw = r - l + 1 and ch = b - t + 1 it is an ellipse, with 0 a plain rectangle.
void maskRoundRectFill(Mask& m, double l, double t, double r, double b, double cw, double ch);
// Outline band of the given width centred on the same shape's edge.
void maskRoundRectFrame(Mask& m, int l, int t, int r, int b, int cw, int ch, int width);

// Polygon interior, alternate (even-odd) rule, sampled at pixel positions.
void maskPolygon(Mask& m, const Point* points, int count);

}  // namespace ws
