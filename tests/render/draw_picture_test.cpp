#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/render_show.h"
#include "tests/render/render_test_images.h"

// Stage and output are both 8 x 8 unless a test says otherwise, so one stage unit is one pixel.
namespace {

constexpr Pixel kUntouched = {0, 0, 0, 0};

// Counts output pixels that differ from `fill`.
int changedPixels(const ImageBuffer& out, Pixel fill) {
  int n = 0;
  for (int y = 0; y < out.height(); ++y)
    for (int x = 0; x < out.width(); ++x)
      if (pixelOf(out, x, y) != fill) ++n;
  return n;
}

}  // namespace

TEST(DrawPicture, OpaquePictureLandsOneColumnInAndBlendsWith254) {
  // A 4 x 4 picture of size 4 x 4 centred at (4, 4): its box is columns and lines 2..6. The first
  // column samples source x = 1, so output columns 2..4 show picture columns 1..3 and output lines
  // 2..4 show picture lines 0..2; the rest of the box lies past picW - Q or picH - R.
  ImageBuffer picture = makeImage(4, 4, {200, 100, 50, 255});
  setPixel(picture, 3, 2, {0, 0, 255, 255});   // appears at output (4, 4)
  setPixel(picture, 0, 0, {255, 255, 255, 255});  // column 0 is never sampled
  ImageBuffer out = makeImage(8, 8);
  ASSERT_TRUE(drawPicture(picture, out, placed(4, 4, 4, 4), 0, 255, kModeProgressive, 8, 8));

  // Amount 0 gives k = (255 * 255) >> 8 = 254: each channel (s * 254 + o) >> 8.
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
      if (x == 4 && y == 4) {
        EXPECT_EQ(pixelOf(out, x, y), (Pixel{0, 0, 253, 255}));
      } else if (x >= 2 && x <= 4 && y >= 2 && y <= 4) {
        EXPECT_EQ(pixelOf(out, x, y), (Pixel{198, 99, 49, 255}));
      } else {
        EXPECT_EQ(pixelOf(out, x, y), kUntouched);
      }
    }
  }
}

TEST(DrawPicture, TransparencyAndPictureAlphaUseShiftBy8) {
  ImageBuffer out = makeImage(8, 8, {100, 100, 100, 0});
  // Amount 50 is g = 127; an opaque pixel then has k = (255 * 128) >> 8 = 127.
  ImageBuffer opaque = makeImage(4, 4, {200, 0, 255, 255});
  drawPicture(opaque, out, placed(4, 4, 4, 4, 0, 50), 0, 255, kModeProgressive, 8, 8);
  // (200*127 + 100*128) >> 8 = 149, (0*127 + 100*128) >> 8 = 50, (255*127 + 12800) >> 8 = 176.
  EXPECT_EQ(pixelOf(out, 3, 3), (Pixel{149, 50, 176, 255}));

  // A fully transparent part still leaves (o * 255) >> 8 and alpha 255.
  ImageBuffer out2 = makeImage(8, 8, {100, 0, 255, 0});
  ImageBuffer clear = makeImage(4, 4, {200, 200, 200, 0});
  drawPicture(clear, out2, placed(4, 4, 4, 4), 0, 255, kModeProgressive, 8, 8);
  EXPECT_EQ(pixelOf(out2, 2, 2), (Pixel{99, 0, 254, 255}));
  EXPECT_EQ(pixelOf(out2, 5, 5), (Pixel{100, 0, 255, 0}));  // beyond the sampled area

  // Amount 100 is g = 255: k = 0 whatever the picture, one step darker.
  ImageBuffer out3 = makeImage(8, 8, {100, 1, 0, 9});
  drawPicture(opaque, out3, placed(4, 4, 4, 4, 0, 100), 0, 255, kModeProgressive, 8, 8);
  EXPECT_EQ(pixelOf(out3, 4, 4), (Pixel{99, 0, 0, 255}));

  // Amounts beyond 0..100 are held to 0..255.
  ImageBuffer out4 = makeImage(8, 8, {100, 100, 100, 0});
  drawPicture(opaque, out4, placed(4, 4, 4, 4, 0, 180), 0, 255, kModeProgressive, 8, 8);
  EXPECT_EQ(pixelOf(out4, 3, 3), (Pixel{99, 99, 99, 255}));
  ImageBuffer out5 = makeImage(8, 8, {100, 100, 100, 0});
  drawPicture(opaque, out5, placed(4, 4, 4, 4, 0, -40), 0, 255, kModeProgressive, 8, 8);
  EXPECT_EQ(pixelOf(out5, 3, 3), (Pixel{198, 0, 253, 255}));
}

TEST(DrawPicture, BilinearSampleTruncatesBetweenNeighbours) {
  // A picture of size 8 x 8 stage units drawn from a 4 x 4 buffer: F = E = 0.5, so source positions
  // advance by half a pixel. Box: columns 0..8, first column fraction 1 so dx0 = 0.5 - 2, sx = 0.5 at
  // column 0.
  ImageBuffer picture = makeImage(4, 4, {0, 0, 0, 255});
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) setPixel(picture, x, y, {10 + 60 * x, 0, 0, 255});
  ImageBuffer out = makeImage(8, 8);
  drawPicture(picture, out, placed(4, 4, 8, 8), 0, 255, kModeProgressive, 8, 8);
  // Column 0: sx = 0.5, between 10 and 70: 40, blended (40 * 254) >> 8 = 39.
  // Column 1: sx = 1.0: 70 -> 69. Column 2: sx = 1.5: 100 -> 99.
  EXPECT_EQ(pixelOf(out, 0, 3)[0], 39);
  EXPECT_EQ(pixelOf(out, 1, 3)[0], 69);
  EXPECT_EQ(pixelOf(out, 2, 3)[0], 99);
}

TEST(DrawPicture, StageSizedPictureCoversAllButLastColumnAndLine) {
  ImageBuffer picture = makeImage(8, 8, {255, 255, 255, 255});
  ImageBuffer out = makeImage(8, 8);
  drawPicture(picture, out, placed(4, 4, 8, 8), 0, 255, kModeProgressive, 8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(pixelOf(out, x, y), (x < 7 && y < 7 ? Pixel{253, 253, 253, 255} : kUntouched)) << x << "," << y;
}

TEST(DrawPicture, ScalesStageUnitsToOutputPixels) {
  // The same 4 x 4 stage-unit placement on a stage of 8 x 8 drawn into a 16 x 16 output: the box is
  // columns and lines 4..14, F = E = 0.5, and sampling stops where sx or sy passes 3.
  ImageBuffer picture = makeImage(4, 4, {255, 0, 0, 255});
  ImageBuffer out = makeImage(16, 16);
  drawPicture(picture, out, placed(4, 4, 4, 4), 0, 255, kModeProgressive, 8, 8);
  // Column 4: dx0 = 1 * 0.5 - 2 = -1.5, sx = 0.5; sx reaches 3.0 at column 9, 3.5 at column 10.
  // The line accumulator starts at 1 - frac(top) = 1 source line, so sy runs 1.0, 1.5, ... and
  // passes 3 after line 8.
  int drawn = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (pixelOf(out, x, y)[3] == 255) {
        ++drawn;
        EXPECT_TRUE(x >= 4 && x <= 9 && y >= 4 && y <= 8) << x << "," << y;
      }
  EXPECT_EQ(drawn, 30);
}

TEST(DrawPicture, ClipsAtTheLeftTopAndRightBottomEdges) {
  ImageBuffer picture = makeImage(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) setPixel(picture, x, y, {40 * x + 20, 40 * y + 20, 0, 255});

  // Centred at (1, 1): box -1..4; the column start advances by one step, the line accumulator starts
  // at 2, so output (0, 0) shows picture (2, 1).
  ImageBuffer out = makeImage(8, 8);
  ASSERT_TRUE(drawPicture(picture, out, placed(1, 1, 4, 4), 0, 255, kModeProgressive, 8, 8));
  EXPECT_EQ(pixelOf(out, 0, 0), (Pixel{99, 59, 0, 255}));
  EXPECT_EQ(pixelOf(out, 1, 0), (Pixel{138, 59, 0, 255}));
  EXPECT_EQ(pixelOf(out, 0, 1), (Pixel{99, 99, 0, 255}));
  EXPECT_EQ(pixelOf(out, 1, 1), (Pixel{138, 99, 0, 255}));
  EXPECT_EQ(changedPixels(out, kUntouched), 4);

  // Centred at (7, 7): box 5..10 clipped to 8; output (5..7, 5..7) shows picture (1..3, 0..2).
  ImageBuffer out2 = makeImage(8, 8);
  ASSERT_TRUE(drawPicture(picture, out2, placed(7, 7, 4, 4), 0, 255, kModeProgressive, 8, 8));
  EXPECT_EQ(pixelOf(out2, 5, 5), (Pixel{59, 19, 0, 255}));
  EXPECT_EQ(pixelOf(out2, 7, 7), (Pixel{138, 99, 0, 255}));
  EXPECT_EQ(changedPixels(out2, kUntouched), 9);
}

TEST(DrawPicture, BoxStartingPartlyLeftOfAndAboveTheOutput) {
  // Centred at (1.5, 1.25), 4 x 4: left = -0.5, top = -0.75, right 4.5, bottom 4.25, so columns 0..4 and
  // lines 0..3. cx = 2 - (1 - frac(-0.5)) = 0.5, dx0 = 0.5 - 2 = -1.5, so sx starts at 0.5 and the
  // advance by 0.5 column steps (not a whole number of steps) brings it to 1.0. The line accumulator
  // is 1 - frac(-0.75) - (-0.75) = 2.5, so sy = 2.5 on line 0 and 3.5 (past picH - R) below it.
  // Line 0 samples picture line trunc(4 - 2.5) = 1 from the bottom (line 2 from the top, green 100)
  // and the one below (green 140) half-way: 120.
  ImageBuffer picture = makeImage(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) setPixel(picture, x, y, {40 * x + 20, 40 * y + 20, 0, 255});
  ImageBuffer out = makeImage(8, 8);
  ASSERT_TRUE(drawPicture(picture, out, placed(1.5f, 1.25f, 4, 4), 0, 255, kModeProgressive, 8, 8));
  // sx = 1, 2, 3 give blue 60, 100, 140; (v * 254) >> 8.
  EXPECT_EQ(pixelOf(out, 0, 0), (Pixel{59, 119, 0, 255}));
  EXPECT_EQ(pixelOf(out, 1, 0), (Pixel{99, 119, 0, 255}));
  EXPECT_EQ(pixelOf(out, 2, 0), (Pixel{138, 119, 0, 255}));
  EXPECT_EQ(changedPixels(out, kUntouched), 3);
}

TEST(DrawPicture, PicturesOffTheOutputOrWithoutSizeDrawNothing) {
  ImageBuffer picture = makeImage(4, 4, {255, 255, 255, 255});
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const KeyFrame states[] = {
      placed(-20, 4, 4, 4), placed(40, 4, 4, 4),    placed(4, -20, 4, 4),  placed(4, 40, 4, 4),
      placed(4, 4, 0, 4),   placed(4, 4, 4, 0),     placed(4, 4, -4, 4),   placed(4, 4, 4, -4),
      placed(4, 4, nan, 4), placed(4, 4, 4, nan),   placed(4, 4, inf, 4),  placed(nan, 4, 4, 4),
      placed(4, inf, 4, 4), placed(4, 4, 4, 4, nan),
      placed(-1e30f, 4, 4, 4),
  };
  for (const KeyFrame& state : states) {
    for (int brush : {0, 1000, 2000, 3000, 4000, 5000, 6000}) {
      ImageBuffer out = makeImage(8, 8, {7, 7, 7, 7});
      EXPECT_TRUE(drawPicture(picture, out, state, brush, 255, kModeProgressive, 8, 8));
      EXPECT_EQ(changedPixels(out, {7, 7, 7, 7}), 0)
          << "x " << state.x << " y " << state.y << " w " << state.width << " h " << state.height << " brush "
          << brush;
    }
  }
  // An empty stage has no scale at all.
  ImageBuffer out = makeImage(8, 8, {7, 7, 7, 7});
  EXPECT_TRUE(drawPicture(picture, out, placed(4, 4, 4, 4), 0, 255, kModeProgressive, 0, 8));
  EXPECT_EQ(changedPixels(out, {7, 7, 7, 7}), 0);
}

TEST(DrawPicture, RefusesImagesWithoutHeaderOrOtherDepths) {
  ImageBuffer picture = makeImage(4, 4, {255, 255, 255, 255});
  ImageBuffer out = makeImage(8, 8);
  ImageBuffer grey(8, 8, 8);
  EXPECT_FALSE(drawPicture(picture, grey, placed(4, 4, 4, 4), 0, 255, kModeProgressive, 8, 8));
  EXPECT_FALSE(drawPicture(grey, out, placed(4, 4, 4, 4), 0, 255, kModeProgressive, 8, 8));
  ImageBuffer colour24(4, 4, 24);
  EXPECT_FALSE(drawPicture(colour24, out, placed(4, 4, 4, 4), 0, 255, kModeProgressive, 8, 8));
  EXPECT_EQ(changedPixels(out, kUntouched), 0);
}

TEST(DrawPicture, Rotation90TurnsThePictureClockwise) {
  // Top half red, bottom half blue. Turned clockwise the top points right: on a 16 x 16 stage with
  // the picture (8 x 8 at (8, 8)) the output line picks the source column and the output column
  // the source line, running backwards (sy is about 11 - column).
  ImageBuffer picture = makeImage(8, 8, {255, 0, 0, 255});
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) setPixel(picture, x, y, {0, 0, 255, 255});
  ImageBuffer out = makeImage(16, 16);
  drawPicture(picture, out, placed(8, 8, 8, 8, 90), 0, 255, kModeProgressive, 16, 16);
  for (int y = 4; y <= 9; ++y) {
    SCOPED_TRACE(testing::Message() << "line " << y);
    EXPECT_EQ(pixelOf(out, 9, y), (Pixel{0, 0, 253, 255}));
    EXPECT_EQ(pixelOf(out, 10, y), (Pixel{0, 0, 253, 255}));
    EXPECT_EQ(pixelOf(out, 5, y), (Pixel{253, 0, 0, 255}));
    EXPECT_EQ(pixelOf(out, 6, y), (Pixel{253, 0, 0, 255}));
  }
  // Nothing beyond the turned picture: source x passes 7 from line 11 on, source y below 0 from
  // column 12 on.
  for (int x = 0; x < 16; ++x) EXPECT_EQ(pixelOf(out, x, 11), kUntouched) << x;
  for (int y = 0; y < 16; ++y) EXPECT_EQ(pixelOf(out, 12, y), kUntouched) << y;

  // Unturned, the same picture keeps red on top.
  ImageBuffer flat = makeImage(16, 16);
  drawPicture(picture, flat, placed(8, 8, 8, 8), 0, 255, kModeProgressive, 16, 16);
  EXPECT_EQ(pixelOf(flat, 7, 5), (Pixel{0, 0, 253, 255}));
  EXPECT_EQ(pixelOf(flat, 7, 9), (Pixel{253, 0, 0, 255}));
}

TEST(DrawPicture, FieldModesDrawOneLineParityIntoHalfHeight) {
  // The output holds one field (4 lines) of an 8-line frame: t = 2, ky = 4 * 2 / 8 = 1, so frame
  // lines 2..4 sample picture lines 0..2 and frame line L goes to output line L / 2.
  ImageBuffer picture = makeImage(4, 4);
  const int lineValue[4] = {64, 128, 192, 255};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) setPixel(picture, x, y, {lineValue[y], 0, 0, 255});

  // Mode 110 skips even frame lines: only frame line 3 (picture line 1) is drawn, to output line 1.
  ImageBuffer odd = makeImage(8, 4);
  drawPicture(picture, odd, placed(4, 4, 4, 4), 0, 255, kModeFieldOddLines, 8, 8);
  EXPECT_EQ(pixelOf(odd, 3, 1), (Pixel{127, 0, 0, 255}));
  EXPECT_EQ(changedPixels(odd, kUntouched), 3);

  // Mode 111 skips odd frame lines: frame lines 2 and 4 (picture lines 0 and 2) to output 1 and 2.
  ImageBuffer even = makeImage(8, 4);
  drawPicture(picture, even, placed(4, 4, 4, 4), 0, 255, kModeFieldEvenLines, 8, 8);
  EXPECT_EQ(pixelOf(even, 3, 1), (Pixel{63, 0, 0, 255}));
  EXPECT_EQ(pixelOf(even, 3, 2), (Pixel{190, 0, 0, 255}));
  EXPECT_EQ(changedPixels(even, kUntouched), 6);
}
