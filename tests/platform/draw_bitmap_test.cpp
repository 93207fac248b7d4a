#include <gtest/gtest.h>

#include <memory>

#include "image/image_buffer.h"
#include "platform/drawing.h"

namespace {

bool drawWhole(const ImageBuffer& image, const ws::Rect& dest, ws::DrawingContext& dc) {
  return drawBitmap(dc, dest, image.header(), image.pixels(), {0, 0, image.width(), image.height()});
}

TEST(DrawBitmap, StretchesWithTheBottomRowAtTheBottom) {
  ImageBuffer image(2, 2, 32);
  // Row 0 is the bottom line: blue, green, red, alpha.
  const uint8_t bottom[8] = {255, 0, 0, 255, 255, 0, 0, 255};
  const uint8_t top[8] = {0, 0, 255, 255, 0, 255, 0, 255};
  image.writeRow(0, bottom);
  image.writeRow(1, top);
  auto surface = std::make_shared<ws::Surface>(6, 6, 0xFFFFFF);
  ws::DrawingContext dc(surface);
  ASSERT_TRUE(drawWhole(image, {1, 1, 5, 5}, dc));
  EXPECT_EQ(surface->pixel(1, 1), 0xFF0000u);  // top left: red
  EXPECT_EQ(surface->pixel(4, 2), 0x00FF00u);  // top right: green
  EXPECT_EQ(surface->pixel(2, 4), 0x0000FFu);  // bottom: blue
  EXPECT_EQ(surface->pixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(surface->pixel(5, 5), 0xFFFFFFu);
  ImageBuffer empty;
  EXPECT_TRUE(drawWhole(empty, {0, 0, 2, 2}, dc));  // 8-bit grey: drawn through its palette
  EXPECT_FALSE(drawBitmap(dc, {0, 0, 2, 2}, nullptr, nullptr, {0, 0, 2, 2}));
}

}  // namespace
