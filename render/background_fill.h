#pragma once
// The background drawn into a 32-bit output: the nearest-neighbour conversion of the background
// image's convertInto (no border), worked row by row so that a band of output lines can be filled on
// its own, with the source column of every output column looked up once per size, the depth chosen
// once per row rather than per pixel, and output rows that repeat a source row copied.
//
// A BackgroundFill also keeps the scaled background between frames: while the source image's size,
// depth, palette and pixels and the output's size stay the same, the output is filled from the copy.
#include <cstdint>
#include <vector>

#include "image/image_buffer.h"

class BackgroundFill {
 public:
  // Readies a fill of `target` (a created 32-bit image) from `source`. Returns false when the source
  // has no header or no pixels, as convertInto then draws nothing; fill must not be called then.
  // With keep, the scaled background is made (or kept from the frame before) so that fills copy it.
  bool prepare(const ImageBuffer& source, const ImageBuffer& target, bool keep);
  // Fills the output lines [bandBegin, bandEnd) (top-down) of the target given to prepare.
  void fill(const ImageBuffer& source, ImageBuffer& target, int bandBegin, int bandEnd) const;

  // Whether the last prepare found the scaled background of the frame before still valid.
  bool reusedScaled() const { return reused_; }

 private:
  void convertRows(const ImageBuffer& source, ImageBuffer& target, int rowBegin, int rowEnd) const;
  bool keptMatches(const ImageBuffer& source) const;

  int sourceWidth_ = -1, targetWidth_ = -1;
  std::vector<int> columns_;  // source column of each output column
  bool plainCopy_ = false;    // same size and depth: the rows are copied

  // The background of the frame before, scaled, and what it was made from.
  bool kept_ = false, useKept_ = false, reused_ = false;
  ImageBuffer scaled_;
  int keptWidth_ = 0, keptHeight_ = 0, keptBits_ = 0;
  std::vector<uint8_t> keptHeader_, keptPixels_;
};
