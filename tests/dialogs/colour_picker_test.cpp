#include <gtest/gtest.h>

#include "dialog_test_support.h"
#include "dialogs/colour_picker.h"

namespace {

using dialogtest::kPanelGrey;

TEST(ColourConversion, PrimariesGreysAndTheirWayBack) {
  const HlsColour red = rgbToHls(255, 0, 0);
  EXPECT_EQ(red.hue, 0);
  EXPECT_EQ(red.lightness, 120);
  EXPECT_EQ(red.saturation, 240);
  EXPECT_EQ(hlsToRgb(red.hue, red.lightness, red.saturation), ws::rgb(255, 0, 0));
  EXPECT_EQ(rgbToHls(0, 255, 0).hue, 80);
  EXPECT_EQ(rgbToHls(0, 0, 255).hue, 160);

  const HlsColour white = rgbToHls(255, 255, 255);
  EXPECT_EQ(white.hue, 0);
  EXPECT_EQ(white.lightness, 240);
  EXPECT_EQ(white.saturation, 0);
  EXPECT_EQ(hlsToRgb(0, 240, 0), ws::rgb(255, 255, 255));
  EXPECT_EQ(rgbToHls(0, 0, 0).lightness, 0);
  EXPECT_EQ(hlsToRgb(0, 0, 0), ws::rgb(0, 0, 0));
}

TEST(ColourConversion, IntegerRoundingIsKept) {
  // Dark orange: the rounding terms of every step show in the result.
  const HlsColour h = rgbToHls(200, 100, 50);
  EXPECT_EQ(h.hue, 13);
  EXPECT_EQ(h.lightness, 118);
  EXPECT_EQ(h.saturation, 144);
  EXPECT_EQ(hlsToRgb(h.hue, h.lightness, h.saturation), ws::rgb(201, 99, 50));
  // Lightness above half takes the other saturation branch.
  const HlsColour pale = rgbToHls(255, 200, 200);
  EXPECT_EQ(pale.lightness, 214);
  EXPECT_EQ(pale.saturation, 240);
  // The hue ramp's middle cell is cyan; a hue below 0 wraps once into the range.
  EXPECT_EQ(hlsToRgb(120, 120, 240), ws::rgb(0, 255, 255));
  EXPECT_EQ(hlsToRgb(-12, 120, 240), hlsToRgb(228, 120, 240));
  EXPECT_EQ(hlsToRgb(-12, 120, 240), ws::rgb(255, 0, 77));
}

class PickerTest : public dialogtest::PanelTest {
 protected:
  static constexpr int x = 100, y = 80;
  static constexpr int cx = x + 115, d = y + 40;
  void SetUp() override {
    PanelTest::SetUp();
    colourModel() = 0;
  }
  int pick(uint32_t& colour) { return pickColour(handle(), x, y, colour, nullptr, "Choose Color"); }
  void clickOk() const { click(cx + 75, y + 210); }
  ws::ColourRef swatch() const { return pixel(cx - 24, d + 70); }
};

TEST_F(PickerTest, PanelShowsTheRampsTheSwatchAndTheModel) {
  uint32_t colour = ws::rgb(10, 120, 230);
  s().whenIdle([&] {
    EXPECT_EQ(pixel(x + 2, y + 2), kPanelGrey);
    EXPECT_EQ(pixel(cx, y + 14), ws::rgb(0, 0, 0)) << "title bar";
    EXPECT_EQ(swatch(), ws::rgb(10, 120, 230));
    EXPECT_EQ(pixel(cx - 98, d + 120), ws::rgb(0, 0, 0)) << "grey ramp, cell 0";
    EXPECT_EQ(pixel(cx + 98, d + 120), ws::rgb(248, 248, 248)) << "grey ramp, cell 31";
    EXPECT_EQ(pixel(cx + 2, d + 138), ws::rgb(0, 255, 255)) << "hue ramp, cell 16";
    EXPECT_EQ(pixel(cx + 13, d + 62), ws::rgb(0, 0, 0)) << "RGB radio checked";
    EXPECT_EQ(pixel(cx + 13, d + 80), kPanelGrey) << "HLS radio clear";
    dialogtest::PanelTest::screenshot("picker-rgb");
    s().pressKey(ws::VK_ESCAPE);
  });
  EXPECT_EQ(pick(colour), 0);
  // The panel is cleared to grey when it closes, one pixel wider than itself.
  EXPECT_EQ(pixel(x - 1, y - 1), kPanelGrey);
  EXPECT_EQ(pixel(cx - 24, d + 70), kPanelGrey);
}

TEST_F(PickerTest, GreyRampEndsAndBeyond) {
  uint32_t colour = ws::rgb(255, 0, 0);
  click(cx - 100, d + 120);
  s().whenIdle([&] {
    EXPECT_EQ(swatch(), ws::rgb(0, 0, 0));
    clickOk();
  });
  EXPECT_EQ(pick(colour), 1);
  EXPECT_EQ(colour, ws::rgb(0, 0, 0));

  click(cx + 100, d + 120);
  clickOk();
  EXPECT_EQ(pick(colour), 1);
  EXPECT_EQ(colour, ws::rgb(255, 255, 255));
  click(cx + 110, d + 120);
  clickOk();
  colour = 0;
  EXPECT_EQ(pick(colour), 1);
  EXPECT_EQ(colour, ws::rgb(255, 255, 255));
}

TEST_F(PickerTest, SliderNumbersDoNotShowThroughEachOther) {
  uint32_t colour = ws::rgb(255, 0, 0);
  const int numberLeft = cx + 78 + widest({"100"}, 12) + 12;
  const int from = numberLeft + widest({"0"}, 12) + 1, to = numberLeft + widest({"255"}, 12);
  auto inkInRedNumber = [&] {
    int ink = 0;
    for (int px = from; px < to; ++px)
      for (int py = d + 1; py < d + 14; ++py) ink += pixel(px, py) != kPanelGrey;
    return ink;
  };
  s().whenIdle([&] {
    EXPECT_GT(inkInRedNumber(), 0) << "255 written";
    click(cx - 100, d + 120);  // black: the number becomes 0
  });
  s().whenIdle([&] {
    EXPECT_EQ(inkInRedNumber(), 0) << "nothing of 255 left beside the 0";
    EXPECT_EQ(pixel(x + 229, d + 5), ws::rgb(64, 64, 64)) << "the frame drawn again over the cleared place";
    s().pressKey(ws::VK_ESCAPE);
  });
  EXPECT_EQ(pick(colour), 0);
}

TEST_F(PickerTest, HueRampClickLeftOfTheRampWraps) {
  uint32_t colour = 0;
  click(cx, d + 138);  // hue (12 * 0 + 1200) / 10 = 120
  clickOk();
  EXPECT_EQ(pick(colour), 1);
  EXPECT_EQ(colour, ws::rgb(0, 255, 255));
  click(cx - 110, d + 138);  // hue (12 * -110 + 1200) / 10 = -12
  clickOk();
  EXPECT_EQ(pick(colour), 1);
  EXPECT_EQ(colour, ws::rgb(255, 0, 77));
}

TEST_F(PickerTest, TextureChoosesHlsAndTheNextPickerOpensInHls) {
  uint32_t colour = ws::rgb(255, 0, 0);
  click(cx + 13, d + 98);  // "Texture"
  s().whenIdle([&] {
    EXPECT_EQ(colourModel(), 1);
    EXPECT_EQ(pixel(cx + 13, d + 80), ws::rgb(0, 0, 0)) << "HLS radio checked";
    EXPECT_EQ(pixel(cx + 13, d + 62), kPanelGrey) << "RGB radio cleared";
    dialogtest::PanelTest::screenshot("picker-hls");
    s().pressKey(ws::VK_ESCAPE);
  });
  EXPECT_EQ(pick(colour), 0);
  EXPECT_EQ(colourModel(), 1);
  s().whenIdle([&] {
    EXPECT_EQ(pixel(cx + 13, d + 80), ws::rgb(0, 0, 0)) << "opens in HLS";
    click(cx + 13, d + 62);  // back to RGB
    s().pressKey(ws::VK_ESCAPE);
  });
  EXPECT_EQ(pick(colour), 0);
  EXPECT_EQ(colourModel(), 0);
}

TEST_F(PickerTest, EscapeCancelAndAReleaseOutsideKeepTheEntryColour) {
  const uint32_t entry = ws::rgb(12, 34, 56);
  uint32_t colour = entry;
  click(cx, d + 120);  // grey first, so that there is something to undo
  s().whenIdle([] { s().pressKey(ws::VK_ESCAPE); });
  EXPECT_EQ(pick(colour), 0);
  EXPECT_EQ(colour, entry);

  click(cx, d + 120);
  click(cx + 5, y + 210);  // Cancel
  EXPECT_EQ(pick(colour), 0);
  EXPECT_EQ(colour, entry);

  click(cx, d + 120);
  click(x + 240, y + 100);  // right of the panel
  EXPECT_EQ(pick(colour), 0);
  EXPECT_EQ(colour, entry);
}

TEST_F(PickerTest, TitleBandDragsTheFirstChannelLikeItsOwnRow) {
  uint32_t colour = ws::rgb(0, 40, 80);
  press(cx, y + 10);
  moveTo(cx + 50, y + 10);  // trunc(50 * 2.85714) = 142
  release(cx + 50, y + 10);
  s().whenIdle([&] {
    EXPECT_EQ(swatch(), ws::rgb(142, 40, 80));
    press(cx + 20, d + 5);  // the red row itself
    moveTo(cx + 200, d + 5);
    release(cx + 60, d + 5);
    clickOk();
  });
  EXPECT_EQ(pick(colour), 1);
  EXPECT_EQ(colour, ws::rgb(255, 40, 80));

  press(cx + 20, d + 41);  // blue, dragged left of the centre line
  moveTo(cx - 30, d + 41);
  release(cx - 30, d + 41);
  clickOk();
  EXPECT_EQ(pick(colour), 1);
  EXPECT_EQ(colour, ws::rgb(255, 40, 0));
}

TEST_F(PickerTest, HlsDragSetsSaturation) {
  colourModel() = 1;
  uint32_t colour = ws::rgb(255, 0, 0);
  press(cx + 20, d + 41);  // saturation
  moveTo(cx + 42, d + 41);  // trunc(42 * 2.85714) = 119
  release(cx + 42, d + 41);
  clickOk();
  EXPECT_EQ(pick(colour), 1);
  EXPECT_EQ(colour, hlsToRgb(0, 120, 119));
}

TEST_F(PickerTest, WithoutAWindowNothingRuns) {
  uint32_t colour = 77;
  click(cx + 75, y + 210);
  EXPECT_EQ(pickColour(0, x, y, colour, nullptr, "Choose Color"), 0);
  EXPECT_EQ(colour, 77u);
  EXPECT_GT(s().queuedMessages(), 0u) << "the input is left for others";
}

TEST_F(PickerTest, QuitWhileOpenCancelsAndIsPassedOn) {
  uint32_t colour = ws::rgb(1, 2, 3);
  click(cx, d + 120);
  postQuitMessage(7);
  EXPECT_EQ(pick(colour), 0);
  EXPECT_EQ(colour, ws::rgb(1, 2, 3));
  WindowMessage m;
  EXPECT_FALSE(getMessage(m));
  EXPECT_EQ(int(m.wParam), 7);
}

}  // namespace
