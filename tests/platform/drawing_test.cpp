#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/drawing.h"

namespace {

class DrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    surface = std::make_shared<ws::Surface>(200, 100, 0xFFFFFF);
    dc = std::make_unique<ws::DrawingContext>(surface);
    setDrawingContext(dc.get());
  }
  void TearDown() override { setDrawingContext(nullptr); }
  uint32_t at(int x, int y) const { return surface->pixel(x, y); }
  int count(uint32_t p) const {
    int n = 0;
    for (uint32_t v : surface->data()) n += v == p;
    return n;
  }
  std::shared_ptr<ws::Surface> surface;
  std::unique_ptr<ws::DrawingContext> dc;
};

constexpr uint32_t kRed = 0xFF0000, kWhite = 0xFFFFFF, kBlack = 0;

}  // namespace

TEST(TrianglePoints, EachDirectionHasItsCorners) {
  ws::Point p[3];
  trianglePoints(50, 40, 3, 0, p);
  EXPECT_EQ(p[0], (ws::Point{47, 43}));
  EXPECT_EQ(p[1], (ws::Point{50, 37}));
  EXPECT_EQ(p[2], (ws::Point{53, 43}));
  trianglePoints(50, 40, 3, 90, p);
  EXPECT_EQ(p[0], (ws::Point{47, 37}));
  EXPECT_EQ(p[1], (ws::Point{53, 40}));
  EXPECT_EQ(p[2], (ws::Point{47, 43}));
  trianglePoints(50, 40, 3, 180, p);
  EXPECT_EQ(p[0], (ws::Point{53, 37}));
  EXPECT_EQ(p[1], (ws::Point{50, 43}));
  EXPECT_EQ(p[2], (ws::Point{47, 37}));
  trianglePoints(50, 40, 3, 270, p);
  EXPECT_EQ(p[0], (ws::Point{53, 43}));
  EXPECT_EQ(p[1], (ws::Point{47, 40}));
  EXPECT_EQ(p[2], (ws::Point{53, 37}));
}

TEST(SliderLabel, HundredOfHundredAndTheMaximumBelowHundred) {
  EXPECT_EQ(sliderLabel(100, 100), 100);
  EXPECT_EQ(sliderLabel(100, 50), 49);
  EXPECT_EQ(sliderLabel(50, 50), 25);
  EXPECT_EQ(sliderLabel(33, 255), 84);  // 84.15 truncated
  EXPECT_EQ(sliderLabel(0, 100), 0);
}

TEST_F(DrawingTest, TriangleFillsTowardsItsDirection) {
  triangle(ws::rgb(255, 0, 0), 50, 40, 5, 0);
  EXPECT_EQ(at(50, 35), kRed);  // apex above the centre
  EXPECT_EQ(at(45, 45), kRed);
  EXPECT_EQ(at(55, 45), kRed);
  EXPECT_EQ(at(50, 44), kRed);
  EXPECT_EQ(at(46, 36), kWhite);  // beside the apex
  EXPECT_EQ(at(50, 34), kWhite);
  triangle(ws::rgb(255, 0, 0), 120, 40, 5, 90);
  EXPECT_EQ(at(125, 40), kRed);  // apex at the right
  EXPECT_EQ(at(124, 36), kWhite);
}

TEST_F(DrawingTest, FrameAndFillCoverTheSameRectangleApartFromTheSpread) {
  fillRect(ws::rgb(255, 0, 0), {10, 10, 30, 20});
  EXPECT_EQ(count(kRed), 19 * 9);  // the null pen leaves the right and bottom edge
  frameRect(ws::rgb(0, 0, 0), {10, 10, 30, 20}, 1, ws::PS_SOLID);
  EXPECT_EQ(at(29, 19), kBlack);
  EXPECT_EQ(at(30, 19), kWhite);
  EXPECT_EQ(at(15, 15), kRed);  // the frame leaves the inside alone
  EXPECT_EQ(dc->state().pen.style, ws::PS_SOLID);
  EXPECT_EQ(dc->state().brush.colour, ws::rgb(255, 255, 255));  // nothing stays selected
}

TEST_F(DrawingTest, AFrameThreeWideCoversTheFillAndSpreadsOnePixelEachWay) {
  fillRect(ws::rgb(255, 0, 0), {10, 10, 30, 20});
  frameRect(ws::rgb(0, 0, 0), {10, 10, 30, 20}, 3, ws::PS_SOLID);
  // The outline runs through 10 and 29 across, 10 and 19 down; a 3-pixel pen covers one pixel either side.
  EXPECT_EQ(at(9, 15), kBlack);
  EXPECT_EQ(at(8, 15), kWhite);
  EXPECT_EQ(at(30, 15), kBlack);
  EXPECT_EQ(at(31, 15), kWhite);
  EXPECT_EQ(at(15, 9), kBlack);
  EXPECT_EQ(at(15, 8), kWhite);
  EXPECT_EQ(at(15, 20), kBlack);
  EXPECT_EQ(at(15, 21), kWhite);
  EXPECT_EQ(at(11, 15), kBlack);
  EXPECT_EQ(at(12, 15), kRed);
  EXPECT_EQ(at(28, 15), kBlack);
  EXPECT_EQ(at(27, 15), kRed);
  EXPECT_EQ(count(kRed), 16 * 6);  // 12..27 by 12..17 stays filled
  EXPECT_EQ(count(kBlack), 22 * 12 - 16 * 6);
}

TEST_F(DrawingTest, InvertingTwiceLeavesTheSurfaceAsBefore) {
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) surface->setPixel(x, y, uint32_t(x * 977 + y * 7919) & 0xFFFFFF);
  const auto before = surface->data();
  const ws::Point pts[4] = {{5, 5}, {150, 20}, {60, 90}, {190, 95}};
  for (int pass = 0; pass < 2; ++pass) {
    invertRect({20, 20, 120, 70}, 1, ws::PS_SOLID);
    invertEllipse({30, 10, 180, 90}, 3, ws::PS_SOLID);
    invertLine({0, 0, 199, 99}, 2, ws::PS_SOLID);
    invertPolyline(4, pts, 1, ws::PS_DOT);
    if (pass == 0) {
      EXPECT_NE(surface->data(), before);
    }
  }
  EXPECT_EQ(surface->data(), before);
  EXPECT_EQ(dc->state().rop2, ws::R2_COPYPEN);  // the mix mode is put back
}

TEST_F(DrawingTest, CheckBoxAndCheckCircle) {
  checkBox(ws::rgb(255, 0, 0), {10, 10, 24, 24}, false);
  EXPECT_EQ(at(10, 10), kBlack);
  EXPECT_EQ(at(23, 23), kBlack);
  EXPECT_EQ(at(17, 17), kRed);
  checkBox(ws::rgb(255, 0, 0), {10, 10, 24, 24}, true);
  EXPECT_EQ(at(12, 12), kBlack);  // the cross starts 2 pixels in
  EXPECT_EQ(at(21, 21), kBlack);
  EXPECT_EQ(at(11, 11), kRed);
  EXPECT_EQ(at(21, 12), kBlack);
  checkCircle(ws::rgb(255, 0, 0), {40, 10, 54, 24}, false);
  EXPECT_EQ(at(47, 17), kWhite);
  EXPECT_EQ(at(40, 16), kRed);
  checkCircle(ws::rgb(255, 0, 0), {40, 10, 54, 24}, true);
  EXPECT_EQ(at(47, 17), kRed);
}

TEST_F(DrawingTest, BevelFrameLightTopLeftDarkBottomRight) {
  bevelFrame(ws::rgb(255, 0, 0), ws::rgb(0, 0, 255), {10, 10, 40, 30}, 1);
  EXPECT_EQ(at(10, 20), kRed);
  EXPECT_EQ(at(25, 10), kRed);
  EXPECT_EQ(at(40, 20), 0x0000FFu);
  EXPECT_EQ(at(25, 30), 0x0000FFu);
}

TEST_F(DrawingTest, SliderWidensDrawsTrackPointerAndLabel) {
  selectFont(createFont("Sans", 10, 0), 0xFFFFFFFF, ws::TRANSPARENT);
  const ws::Rect r{10, 40, 90, 52};
  slider(ws::rgb(192, 192, 192), ws::rgb(96, 96, 96), r, 50, 100, false);
  const int widened = 90 + textWidth("100") + 6;
  EXPECT_EQ(at(widened - 2, 45), 0xC0C0C0u);  // the back reaches the widened edge
  EXPECT_EQ(at(widened, 45), kWhite);
  EXPECT_EQ(at(20, 50), 0x606060u);           // the track along the bottom
  EXPECT_EQ(at(20, 48), 0xC0C0C0u);
  const int x = 14 + 1 + (50 * (86 - 14 - 3)) / 100;
  EXPECT_EQ(at(x, 46), 0x606060u);            // the pointer's tip
  EXPECT_EQ(at(x, 40), 0x606060u);
  bool label = false;                         // some black text right of the widened area
  for (int y = 36; y < 56; ++y)
    for (int xx = widened + 6; xx < widened + 30; ++xx) label |= at(xx, y) != kWhite;
  EXPECT_TRUE(label);
  selectFont(nullptr, 0xFFFFFFFF, -1);
}

namespace {
// The columns and first row with ink (anything but white) inside a box.
struct Ink {
  int left = 1 << 20, right = -1, top = 1 << 20;
};
Ink inkIn(const ws::Surface& s, int x0, int y0, int x1, int y1) {
  Ink ink;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (s.pixel(x, y) != 0xFFFFFF) ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x), ink.top = std::min(ink.top, y);
  return ink;
}
}  // namespace

TEST_F(DrawingTest, SliderLabelSitsLeftAlignedOrCentredBesideTheWidenedArea) {
  selectFont(createFont("Sans", 10, 0), 0xFFFFFFFF, ws::TRANSPARENT);
  const int widened = 90 + textWidth("100") + 6;
  slider(ws::rgb(192, 192, 192), ws::rgb(96, 96, 96), {10, 20, 90, 32}, 100, 100, false);
  const Ink left = inkIn(*surface, widened, 0, 200, 50);
  EXPECT_GE(left.left, widened + 6);  // "100" starts at widened right + 6
  EXPECT_LE(left.left, widened + 7);
  EXPECT_GE(left.top, 18);            // written from top - 2 downwards
  surface->fill(surface->bounds(), 0xFFFFFF);
  slider(ws::rgb(192, 192, 192), ws::rgb(96, 96, 96), {10, 60, 90, 72}, 100, 100, true);
  const Ink centred = inkIn(*surface, widened, 40, 200, 100);
  EXPECT_NEAR((centred.left + centred.right + 1) / 2.0, widened + 16, 1.5);  // centred on widened right + 16
  EXPECT_NEAR(centred.right + 1 - centred.left, left.right + 1 - left.left, 1);
  selectFont(nullptr, 0xFFFFFFFF, -1);
}

TEST_F(DrawingTest, TextWidthAndFontSelection) {
  EXPECT_EQ(textWidth(""), 0);
  EXPECT_EQ(textWidth(nullptr), 0);
  FontHandle big = createFont("Sans", 20, 0), bold = createFont("Serif", 13, 1);
  EXPECT_EQ(bold->request().weight, 700);
  EXPECT_EQ(bold->request().face, "Arial");
  selectFont(big, ws::rgb(1, 2, 3), ws::OPAQUE);
  const int wide = textWidth("Timeline");
  EXPECT_EQ(dc->state().backColour, ws::rgb(1, 2, 3));
  selectFont(createFont("Sans", 8, 0), 0xFFFFFFFF, -1);
  EXPECT_LT(textWidth("Timeline"), wide);
  EXPECT_EQ(dc->state().backMode, ws::OPAQUE);  // -1 leaves the mode
  selectFont(nullptr, 0xFFFFFFFF, -1);  // back to the font before the last selection: the big one
  EXPECT_EQ(textWidth("Timeline"), wide);
  drawText(ws::rgb(0, 0, 0), "42", 100, 50, ws::TA_CENTER);
  EXPECT_EQ(dc->state().textAlign, ws::TA_CENTER);
  EXPECT_LT(count(kWhite), 200 * 100);
}

TEST_F(DrawingTest, OriginMovesEveryPrimitive) {
  setOrigin(100, 50);
  fillRect(ws::rgb(255, 0, 0), {100, 50, 102, 52});
  EXPECT_EQ(at(0, 0), kRed);
  EXPECT_EQ(count(kRed), 1);
}

TEST_F(DrawingTest, BlitBitmapOfAMissingResourceDrawsNothing) {
  blitBitmap({0, 0, 10, 10}, 99999, ws::SRCCOPY);
  EXPECT_EQ(count(kWhite), 200 * 100);
  blitBitmap({5, 5, 0, 0}, 133, ws::SRCCOPY);  // the placeholder picture, carried by every build
  EXPECT_LT(count(kWhite), 200 * 100);
}
