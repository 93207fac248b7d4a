#include "image/image_buffer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

void setPixel32(ImageBuffer& b, int x, int rowIndex, uint8_t bl, uint8_t g, uint8_t r, uint8_t a) {
  uint8_t* p = b.row(rowIndex) + 4 * x;
  p[0] = bl;
  p[1] = g;
  p[2] = r;
  p[3] = a;
}

TEST(ImageBufferCreate, HeaderPaletteAndRowStep) {
  ImageBuffer b(13, 5, 24);
  ASSERT_TRUE(b.hasHeader());
  EXPECT_EQ(b.width(), 13);
  EXPECT_EQ(b.height(), 5);
  EXPECT_EQ(b.rowStep(), 40);  // 13 x 3 = 39, padded to 40
  EXPECT_EQ(b.info().size, 40u);
  EXPECT_EQ(b.info().planes, 1);
  EXPECT_EQ(b.info().xPelsPerMeter, 1600);
  EXPECT_EQ(b.paletteEntries(), 0);

  ImageBuffer g(3, 3, 8);
  ASSERT_EQ(g.paletteEntries(), 256);
  EXPECT_EQ(g.palette()[4 * 200], 200);
  EXPECT_EQ(g.palette()[4 * 200 + 2], 200);
  EXPECT_EQ(g.palette()[4 * 200 + 3], 0);
  EXPECT_EQ(ImageBuffer(1, 1, 4).paletteEntries(), 16);
  EXPECT_EQ(ImageBuffer(1, 1, 2).paletteEntries(), 4);
}

TEST(ImageBufferCreate, LimitsAndSameGeometryKeepsPixels) {
  ImageBuffer b(10, 10, 32);
  b.row(3)[7] = 99;
  EXPECT_TRUE(b.create(10, 10, 32));
  EXPECT_EQ(b.row(3)[7], 99) << "same geometry must keep the pixels";
  EXPECT_FALSE(b.create(0, 10, 32));
  EXPECT_FALSE(b.create(8193, 10, 32));
  EXPECT_FALSE(b.create(10, -1, 32));
  EXPECT_EQ(b.width(), 10) << "a refused create leaves the buffer as it was";
  EXPECT_TRUE(b.create(8192, 1, 32));
  EXPECT_TRUE(b.create(10, 11, 32));
  EXPECT_EQ(b.row(3)[7], 0) << "a new geometry starts zeroed";
}

TEST(ImageBufferAccess, RoundedSizes) {
  ImageBuffer b(100, 50, 8);
  EXPECT_EQ(b.width(16), 16 * (100 / 16 + 1));
  EXPECT_EQ(b.height(7), 7 * (50 / 7 + 1));
}

TEST(ImageBufferOps, FlipAndSwap) {
  ImageBuffer b(2, 3, 24);
  b.row(0)[0] = 1;
  b.row(2)[0] = 3;
  b.row(1)[2] = 7;
  ASSERT_TRUE(b.flipVertical());
  EXPECT_EQ(b.row(0)[0], 3);
  EXPECT_EQ(b.row(2)[0], 1);
  EXPECT_EQ(b.row(1)[2], 7) << "the middle row of an odd height stays";
  ASSERT_TRUE(b.swapRedBlue());
  EXPECT_EQ(b.row(1)[0], 7);
  EXPECT_EQ(b.row(1)[2], 0);

  ImageBuffer grey(4, 1, 8);
  grey.row(0)[0] = 5;
  grey.row(0)[2] = 9;
  grey.swapRedBlue();
  EXPECT_EQ(grey.row(0)[0], 5) << "8-bit buffers are left alone";
}

TEST(ImageBufferOps, AlphaAndBorderAlphaOnly32Bit) {
  ImageBuffer b(4, 3, 32);
  ASSERT_TRUE(b.setAlpha(255));
  ASSERT_TRUE(b.setBorderAlpha(0));
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j) {
      const bool border = i == 0 || i == 2 || j == 0 || j == 3;
      EXPECT_EQ(b.row(i)[4 * j + 3], border ? 0 : 255) << i << "," << j;
    }
  ImageBuffer c(4, 3, 24);
  EXPECT_FALSE(c.setAlpha(1));
  EXPECT_FALSE(c.setBorderAlpha(1));
}

TEST(ImageBufferOps, VideoSafeColours) {
  ImageBuffer inRange(2, 1, 24);
  std::memset(inRange.row(0), 100, 6);
  inRange.row(0)[5] = 234;
  inRange.videoSafeColours();
  EXPECT_EQ(inRange.row(0)[0], 100) << "in-range images are unchanged";
  EXPECT_EQ(inRange.row(0)[5], 234);

  ImageBuffer b(2, 1, 32);
  setPixel32(b, 0, 0, 0, 100, 255, 77);
  setPixel32(b, 1, 0, 18, 234, 50, 5);
  b.videoSafeColours();
  const uint8_t* p = b.row(0);
  EXPECT_EQ(p[0], 15);
  EXPECT_EQ(p[1], 101);
  EXPECT_EQ(p[2], 234);
  EXPECT_EQ(p[3], 77) << "alpha untouched";
  EXPECT_EQ(p[4], (86 * 18 + 1548) / 100);
  EXPECT_EQ(p[5], (86 * 234 + 1548) / 100);
}

TEST(ImageBufferOps, AlphaBlurSoftensInnerEdgeOnly) {
  ImageBuffer b(6, 6, 32);
  b.setAlpha(255);
  b.setBorderAlpha(0);
  b.alphaBlur();
  for (int j = 0; j < 6; ++j) {
    EXPECT_EQ(b.row(0)[4 * j + 3], 0);
    EXPECT_EQ(b.row(5)[4 * j + 3], 0);
  }
  // Pixel (1,1): neighbours 0 except (1,2),(2,1),(2,2) -> (4*255 + 2*255 + 2*255 + 255) >> 4.
  EXPECT_EQ(b.row(1)[4 * 1 + 3], (9 * 255) >> 4);
  // In place: pixel (1,2) sees the new value of (1,1) on its left.
  const int left = (9 * 255) >> 4;
  EXPECT_EQ(b.row(1)[4 * 2 + 3], (2 * left + 4 * 255 + 2 * 255 + 255 + 2 * 255 + 255) >> 4);
}

TEST(ImageBufferOps, AlphaBlurOpaqueInteriorSettles) {
  ImageBuffer b(40, 40, 32);
  b.setAlpha(255);
  b.setBorderAlpha(0);
  b.alphaBlur();
  EXPECT_EQ(b.row(30)[4 * 30 + 3], 254);
  b.alphaBlur();
  EXPECT_EQ(b.row(30)[4 * 30 + 3], 253);
}

TEST(ImageBufferConvert, SameGeometryCopiesBytes) {
  ImageBuffer a(3, 2, 32), t(3, 2, 32);
  setPixel32(a, 2, 1, 1, 2, 3, 4);
  ASSERT_TRUE(a.convertInto(t, 0, 0));
  EXPECT_EQ(t.row(1)[8 + 3], 4);
}

TEST(ImageBufferConvert, DepthsToThirtyTwo) {
  ImageBuffer pal(2, 1, 8);
  pal.palette()[4 * 7 + 0] = 10;
  pal.palette()[4 * 7 + 1] = 20;
  pal.palette()[4 * 7 + 2] = 30;
  pal.row(0)[1] = 7;
  ImageBuffer t(2, 1, 32);
  ASSERT_TRUE(pal.convertInto(t, 0, 0));
  EXPECT_EQ(t.row(0)[4], 10);
  EXPECT_EQ(t.row(0)[5], 20);
  EXPECT_EQ(t.row(0)[6], 30);
  EXPECT_EQ(t.row(0)[7], 0) << "alpha is 0 for sources without alpha";

  ImageBuffer w(1, 1, 16);
  const unsigned word = 31 | (15 << 5) | (7 << 10);
  w.row(0)[0] = uint8_t(word);
  w.row(0)[1] = uint8_t(word >> 8);
  ImageBuffer t2(1, 1, 32);
  ASSERT_TRUE(w.convertInto(t2, 0, 0));
  // word = 7679: blue (7679 * 8) mod 256 = 248, green 1919 mod 256 = 127, red 59 (the red field's
  // bits reach into green, as stored).
  EXPECT_EQ(t2.row(0)[0], 248);
  EXPECT_EQ(t2.row(0)[1], 127);
  EXPECT_EQ(t2.row(0)[2], 59);
}

TEST(ImageBufferConvert, ReducingPicksRowsAndColumnsByTruncation) {
  // 5 x 3 at 24 bits into 3 x 2 at 32: rows trunc(1.5 * i) = 0, 1; columns trunc(j * 5 / 3) = 0, 1, 3.
  ImageBuffer s(5, 3, 24);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 5; ++j) {
      s.row(i)[3 * j] = uint8_t(10 * i + j);
      s.row(i)[3 * j + 1] = 200;
      s.row(i)[3 * j + 2] = 100;
    }
  ImageBuffer t(3, 2, 32);
  std::memset(t.pixels(), 0xEE, size_t(t.rowStep()) * 2);
  ASSERT_TRUE(s.convertInto(t, 0, 0));
  const int expected[2][3] = {{0, 1, 3}, {10, 11, 13}};
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 3; ++j) {
      SCOPED_TRACE(testing::Message() << "row " << i << " column " << j);
      EXPECT_EQ(t.row(i)[4 * j], expected[i][j]);
      EXPECT_EQ(t.row(i)[4 * j + 1], 200);
      EXPECT_EQ(t.row(i)[4 * j + 2], 100);
      EXPECT_EQ(t.row(i)[4 * j + 3], 0) << "a 24-bit source gives alpha 0";
    }
}

TEST(ImageBufferConvert, ScalingAndBorder) {
  ImageBuffer s(2, 2, 24);
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j) s.row(i)[3 * j] = uint8_t(10 * i + j + 1);
  ImageBuffer t(6, 6, 32);
  ASSERT_TRUE(s.convertInto(t, 0x00030201, 1));  // red 1, green 2, blue 3
  // Border pixels: blue from bits 16-23, red from 0-7, alpha 0.
  EXPECT_EQ(t.row(0)[0], 3);
  EXPECT_EQ(t.row(0)[1], 2);
  EXPECT_EQ(t.row(0)[2], 1);
  EXPECT_EQ(t.row(0)[3], 0);
  EXPECT_EQ(t.row(3)[4 * 5], 3);
  // Inside 4 x 4 scaled from 2 x 2: row 1 -> source 0, row 3 -> source 1 (trunc(0.5 * 2)).
  EXPECT_EQ(t.row(1)[4 * 1], 1);
  EXPECT_EQ(t.row(1)[4 * 3], 2);
  EXPECT_EQ(t.row(3)[4 * 1], 11);
  EXPECT_EQ(t.row(4)[4 * 4], 12);

  ImageBuffer t16(1, 1, 16);
  ImageBuffer one(1, 1, 24);
  one.row(0)[0] = 255;
  one.row(0)[1] = 64;
  one.row(0)[2] = 8;
  ASSERT_TRUE(one.convertInto(t16, 0, 0));
  const unsigned word = t16.row(0)[0] | t16.row(0)[1] << 8;
  EXPECT_EQ(word, 255u / 8 + (64u / 8) * 32 + (8u / 8) * 1024);
}

TEST(ImageBufferConvert, OneBitExpansion) {
  ImageBuffer b(16, 16, 8);
  const uint8_t bits[] = {0xA0, 0xFF, 0x0F, 0, 0x01, 0x80, 0, 0};  // 2 rows, row step 4, width 12
  ASSERT_TRUE(b.expandOneBit(12, 2, bits, 4));
  EXPECT_EQ(b.bitsPerPixel(), 24);
  EXPECT_EQ(b.row(0)[0], 255);
  EXPECT_EQ(b.row(0)[3], 0);
  EXPECT_EQ(b.row(0)[6], 255);
  EXPECT_EQ(b.row(1)[3 * 7], 255);
  // Only whole groups of 8: columns 8..11 stay black though the source byte is set.
  EXPECT_EQ(b.row(0)[3 * 8], 0);
}

TEST(ImageBufferCopy, RecreateCopiesGeometryAndPixels) {
  ImageBuffer a(5, 4, 32), b(16, 16, 8);
  a.row(3)[19] = 42;
  EXPECT_FALSE(a.copyTo(b, false)) << "different geometry without re-create";
  ASSERT_TRUE(a.copyTo(b, true));
  EXPECT_EQ(b.width(), 5);
  EXPECT_EQ(b.row(3)[19], 42);
}

}  // namespace
