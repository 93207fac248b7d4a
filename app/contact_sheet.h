#pragma once
// A contact sheet: reduced copies of chosen frames laid out in a grid on one PNG, in the order added.
#include <string>
#include <vector>

#include "app/media/host_frame.h"
#include "app/media/png_file.h"

class ContactSheet {
 public:
  // Tiles of tileWidth x tileHeight, `columns` to a row.
  ContactSheet(int tileWidth, int tileHeight, int columns);
  // Adds a reduced copy of the frame (any size; area-averaged).
  void add(const HostFrame& frame);
  int count() const { return int(tiles_.size()); }
  RgbImage compose() const;

 private:
  int tileWidth_, tileHeight_, columns_;
  std::vector<RgbImage> tiles_;
};

// Area-averaged reduction of an RGB picture.
RgbImage reduce(const RgbImage& image, int width, int height);
