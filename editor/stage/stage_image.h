#pragma once
// What the stage composes the show into: a 32-bit image as large as the stage in stage units. The
// show's owner keeps that size (its aspect sets it); the image follows it when the stage next draws.
#include "image/image_buffer.h"

class StageImage {
 public:
  // The image at the stage's size, made anew only when that size changed.
  ImageBuffer& sizedFor(int stageWidth, int stageHeight) {
    image_.create(stageWidth, stageHeight, 32);
    return image_;
  }
  const ImageBuffer& image() const { return image_; }

 private:
  ImageBuffer image_{16, 16, 8};
};
