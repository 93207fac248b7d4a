#include <gtest/gtest.h>

#include "render/render_show.h"
#include "tests/render/render_test_images.h"

// A 4 x 4 brush of size 4 x 4 centred at (4, 4) on an 8 x 8 stage and output covers output columns and
// lines 2..4 with its mask sampled exactly from picture columns 1..3, lines 0..2.
namespace {

constexpr Pixel kGround = {100, 150, 200, 77};

ImageBuffer fullMask() { return makeImage(4, 4, {0, 0, 0, 255}); }

ImageBuffer brushOver(Pixel ground, int brushCode, float amount, uint32_t tint = 255,
                      const ImageBuffer& mask = fullMask()) {
  ImageBuffer out = makeImage(8, 8, ground);
  EXPECT_TRUE(drawPicture(mask, out, placed(4, 4, 4, 4, 0, amount), brushCode, tint, kModeProgressive, 8, 8));
  return out;
}

bool coveredByBrush(int x, int y) { return x >= 2 && x <= 4 && y >= 2 && y <= 4; }

// Every covered pixel equals `inside`, every other pixel the ground.
void expectCovered(const ImageBuffer& out, Pixel ground, Pixel inside) {
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(pixelOf(out, x, y), coveredByBrush(x, y) ? inside : ground) << "pixel " << x << "," << y;
}

}  // namespace

TEST(BrushEffects, DarkenScalesByFactor) {
  // Amount 100: f = 255 - ((255 * 255) >> 8) = 1, so every channel drops to 0; alpha stays.
  expectCovered(brushOver(kGround, 3000, 100), kGround, {0, 0, 0, 77});
  // Amount 50: f = 255 - ((255 * 127) >> 8) = 129: 100 -> 50, 150 -> 75, 200 -> 100.
  expectCovered(brushOver(kGround, 3000, 50), kGround, {50, 75, 100, 77});
  // Amount 0 still takes one step: (c * 255) >> 8.
  expectCovered(brushOver({255, 1, 0, 0}, 3999, 0), {255, 1, 0, 0}, {254, 0, 0, 0});
}

TEST(BrushEffects, LightenStopsAt232) {
  // Amount 100: u = 232 everywhere and (232 * 255) >> 8 = 231, never 255.
  expectCovered(brushOver(kGround, 4000, 100), kGround, {231, 231, 231, 77});
  // Amount 25 (g = 64): 100 -> u 164 -> 163, 150 -> u 214 -> 213, 200 -> u 232 -> 231.
  expectCovered(brushOver(kGround, 4500, 25), kGround, {163, 213, 231, 77});
  // Amount 0 pulls a channel above 232 down to it.
  expectCovered(brushOver({240, 100, 0, 5}, 4000, 0), {240, 100, 0, 5}, {231, 99, 0, 5});
}

TEST(BrushEffects, TintTakesColourChannelsFromTheColourReference) {
  // lum(100, 150, 200) = trunc(11 + 88.5 + 60) = 159; amount 100 gives k = 254.
  // Red tint (0x0000FF): red = ((((159 * 255) >> 8) = 158) * 254 + 200) >> 8 = 157; blue and green
  // keep only (c * 1) >> 8 = 0.
  expectCovered(brushOver(kGround, 5000, 100, 0x0000FF), kGround, {0, 0, 157, 77});
  // Blue tint (0xFF0000): the same value lands in the blue byte.
  expectCovered(brushOver(kGround, 5000, 100, 0xFF0000), kGround, {157, 0, 0, 77});
  // Green tint (0x00FF00).
  expectCovered(brushOver(kGround, 5000, 100, 0x00FF00), kGround, {0, 157, 0, 77});
}

TEST(BrushEffects, NoColourBlendsTowardsLuminance) {
  // (159 * 254 + c) >> 8 for c = 100, 150, 200: 158 each.
  expectCovered(brushOver(kGround, 6000, 100), kGround, {158, 158, 158, 77});
  // Pure red has lum 76: blue and green (76 * 254) >> 8 = 75, red (19304 + 255) >> 8 = 76.
  expectCovered(brushOver({0, 0, 255, 255}, 6000, 100), {0, 0, 255, 255}, {75, 75, 76, 255});
}

TEST(BrushEffects, TintAndNoColourAtAmountZeroStillTakeOneStep) {
  // g = 0 gives k = 0, so each covered channel becomes (c * 255) >> 8: 255 -> 254, 0 stays 0,
  // 128 -> 127; the colour and the luminance play no part.
  const Pixel ground = {255, 0, 128, 9};
  expectCovered(brushOver(ground, 5000, 0, 0xFFFFFF), ground, {254, 0, 127, 9});
  expectCovered(brushOver(ground, 6500, 0), ground, {254, 0, 127, 9});
}

TEST(BrushEffects, PixelateCopiesTheBlockOriginAsItStands) {
  // Amount 15: g = 38, g / 16 = 2, block s = (3 * 2) / 2 = 3. Ground: blue 100 + 20x, green 50 + 20y.
  ImageBuffer out = makeImage(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) setPixel(out, x, y, {100 + 20 * x, 50 + 20 * y, 0, 0});
  drawPicture(fullMask(), out, placed(4, 4, 4, 4, 0, 15), 2000, 255, kModeProgressive, 8, 8);
  // (2, 2) takes (0, 0): (100 * 255) >> 8 = 99, (50 * 255) >> 8 = 49.
  EXPECT_EQ(pixelOf(out, 2, 2), (Pixel{99, 49, 0, 0}));
  // (3, 3) is its own origin: 160 -> 159, 110 -> 109.
  EXPECT_EQ(pixelOf(out, 3, 3), (Pixel{159, 109, 0, 0}));
  // (4, 4) takes (3, 3) after it was changed: 159 -> 158, 109 -> 108.
  EXPECT_EQ(pixelOf(out, 4, 4), (Pixel{158, 108, 0, 0}));
  // (4, 2) takes (3, 0), outside the box and unchanged: 160 -> 159, 50 -> 49.
  EXPECT_EQ(pixelOf(out, 4, 2), (Pixel{159, 49, 0, 0}));
  EXPECT_EQ(pixelOf(out, 5, 5), (Pixel{200, 150, 0, 0}));

  // Below g / 16 = 1 the pixelate brush does nothing at all.
  expectCovered(brushOver(kGround, 2000, 5), kGround, kGround);
}

TEST(BrushEffects, BlurReadsNeighboursAlreadyBlurred) {
  // Amount 7: g = 18, radius 1: the rectangle is columns x-1..x and lines y-1..y. Ground blue
  // 20y + 4x. In order: (2,2) averages 24, 28, 44, 48 -> 36 -> (36 * 255) >> 8 = 35; (3,2) averages
  // 28, 32, 35 (new), 52 -> 36 -> 35; (4,2) 32, 36, 35, 56 -> 39 -> 38; (2,3) 44, 35, 64, 68 -> 52 ->
  // 51; (3,3) 35, 35, 51, 72 -> 48 -> 47.
  for (BlurMethod method : {BlurMethod::direct, BlurMethod::runningSum}) {
    ImageBuffer out = makeImage(8, 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) setPixel(out, x, y, {20 * y + 4 * x, 0, 0, 33});
    drawPicture(fullMask(), out, placed(4, 4, 4, 4, 0, 7), 1000, 255, kModeProgressive, 8, 8, method);
    EXPECT_EQ(pixelOf(out, 2, 2), (Pixel{35, 0, 0, 33}));
    EXPECT_EQ(pixelOf(out, 3, 2), (Pixel{35, 0, 0, 33}));
    EXPECT_EQ(pixelOf(out, 4, 2), (Pixel{38, 0, 0, 33}));
    EXPECT_EQ(pixelOf(out, 2, 3), (Pixel{51, 0, 0, 33}));
    EXPECT_EQ(pixelOf(out, 3, 3), (Pixel{47, 0, 0, 33}));
    EXPECT_EQ(pixelOf(out, 5, 3), (Pixel{80, 0, 0, 33}));
  }
  // Radius 0 averages the pixel itself: one step darker.
  expectCovered(brushOver({255, 0, 9, 1}, 1000, 0), {255, 0, 9, 1}, {254, 0, 8, 1});
}

TEST(BrushEffects, BlurWindowIsCutAtTheBoxEndButNotAtItsStart) {
  // Amount 15: g = 38, radius 2: columns x-2..x+1, lines y-2..y+1. The brush centred at (7, 7) covers
  // output columns and lines 5..7 and its box ends at column and line 8 (the output's edge).
  // (5,5) averages columns 3..6 and lines 3..6, reaching left of the box: 1728 / 16 = 108 -> 107.
  // (6,5) columns 4..7 with (5,5) already 107: 1779 / 16 = 111 -> 110.
  // (7,5) columns 5..7 only, cut at the box end: 12 pixels, 1341 / 12 = 111 -> 110.
  for (BlurMethod method : {BlurMethod::direct, BlurMethod::runningSum}) {
    ImageBuffer out = makeImage(8, 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) setPixel(out, x, y, {20 * y + 4 * x, 0, 0, 0});
    drawPicture(fullMask(), out, placed(7, 7, 4, 4, 0, 15), 1000, 255, kModeProgressive, 8, 8, method);
    EXPECT_EQ(pixelOf(out, 5, 5)[0], 107);
    EXPECT_EQ(pixelOf(out, 6, 5)[0], 110);
    EXPECT_EQ(pixelOf(out, 7, 5)[0], 110);
    EXPECT_EQ(pixelOf(out, 4, 5)[0], 116);  // left of the box: read, never written
  }
}

TEST(BrushEffects, BlurWindowEndsAtTheFirstColumnPastAFractionalBoxEnd) {
  // Centred at (4.5, 4): the box runs from column 2.5 to 7.5, so columns 2..7 are walked and column 7
  // belongs to the box. Amount 38: g = 97, radius 6. The first covered pixel (2, 2) averages columns
  // 0..7 and lines 0..6 (the box's last line is trunc(7) = 7, excluded): seven lines of seven 100s and
  // column 7 at 228: 7 * (7 * 100 + 228) / 56 = 116 -> (116 * 255) >> 8 = 115.
  for (BlurMethod method : {BlurMethod::direct, BlurMethod::runningSum}) {
    ImageBuffer out = makeImage(8, 8, {100, 0, 0, 0});
    for (int y = 0; y < 8; ++y) setPixel(out, 7, y, {228, 0, 0, 0});
    ASSERT_TRUE(drawPicture(fullMask(), out, placed(4.5f, 4, 4, 4, 0, 38), 1000, 255, kModeProgressive, 8, 8,
                            method));
    EXPECT_EQ(pixelOf(out, 2, 2)[0], 115);
  }
}

TEST(BrushEffects, PixelateInOneFieldSamplesTheBlockOriginsOutputLine) {
  // One field of an 8-line frame in a 4-line output, even frame lines (mode 111): frame lines 2 and 4
  // are drawn to output lines 1 and 2. Block s = 3 (amount 15). Frame line 2 samples frame line 0,
  // output line 0; frame line 4 samples frame line 3, output line 3 / 2 = 1, which line 2 has just
  // changed. Ground: blue 100 + 20x, green 50 + 20 * output line.
  ImageBuffer out = makeImage(8, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) setPixel(out, x, y, {100 + 20 * x, 50 + 20 * y, 0, 0});
  ASSERT_TRUE(drawPicture(fullMask(), out, placed(4, 4, 4, 4, 0, 15), 2000, 255, kModeFieldEvenLines, 8, 8));
  // Output line 1: column 2 from (0, 0), columns 3 and 4 from (3, 0); (v * 255) >> 8.
  EXPECT_EQ(pixelOf(out, 2, 1), (Pixel{99, 49, 0, 0}));
  EXPECT_EQ(pixelOf(out, 3, 1), (Pixel{159, 49, 0, 0}));
  EXPECT_EQ(pixelOf(out, 4, 1), (Pixel{159, 49, 0, 0}));
  // Output line 2: column 2 from (0, 1), untouched (100, 70); columns 3 and 4 from (3, 1), now (159, 49).
  EXPECT_EQ(pixelOf(out, 2, 2), (Pixel{99, 69, 0, 0}));
  EXPECT_EQ(pixelOf(out, 3, 2), (Pixel{158, 48, 0, 0}));
  EXPECT_EQ(pixelOf(out, 4, 2), (Pixel{158, 48, 0, 0}));
  EXPECT_EQ(pixelOf(out, 3, 3), (Pixel{160, 110, 0, 0}));
}

TEST(BrushEffects, MaskZeroLeavesPixelsExactlyAsTheyWere) {
  // Mask set only on picture column 1, which lands on output column 2.
  ImageBuffer mask = makeImage(4, 4);
  for (int y = 0; y < 4; ++y) setPixel(mask, 1, y, {0, 0, 0, 255});
  for (int brush : {1000, 2000, 3000, 4000, 5000, 6000}) {
    SCOPED_TRACE(testing::Message() << "brush " << brush);
    ImageBuffer out = brushOver(kGround, brush, 100, 0x00FFFF, mask);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        if (x != 2 || y < 2 || y > 4) {
          EXPECT_EQ(pixelOf(out, x, y), kGround) << x << "," << y;
        }
    EXPECT_NE(pixelOf(out, 2, 3), kGround);
  }
}

TEST(BrushEffects, HalfMaskHalvesTheStrength) {
  // m = 128, amount 100: darken f = 255 - ((128 * 255) >> 8) = 128: 200 -> 100, 100 -> 50, 150 -> 75.
  ImageBuffer out = brushOver(kGround, 3000, 100, 255, makeImage(4, 4, {0, 0, 0, 128}));
  EXPECT_EQ(pixelOf(out, 3, 3), (Pixel{50, 75, 100, 77}));
}

TEST(BrushEffects, CodesFrom7000ChangeNothing) {
  expectCovered(brushOver(kGround, 7000, 100), kGround, kGround);
  expectCovered(brushOver(kGround, 123456, 100), kGround, kGround);
}
