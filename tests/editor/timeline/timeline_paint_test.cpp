// What the timeline shows, read from the screen's pixels: the time cursor and the key icons at
// x(f) = f * 60 / scale + 4, the selected key, grey labels of locked pictures, hold marks, collision
// frames and the current row's colour.
#include <cstdlib>
#include <filesystem>

#include "tests/editor/timeline/timeline_test_support.h"

namespace {

constexpr uint32_t kCyan = 0x00FFFF, kYellow = 0xFFFF00, kRed = 0xFF0000, kBlack = 0;
constexpr uint32_t kKeyFill = 0x0000B0, kSelectedFill = 0xE00000, kLockedFill = 0xA0A0A0;

class TimelinePaintTest : public TimelineTest {
 protected:
  void SetUp() override {
    TimelineTest::SetUp();
    addPictures(1);
    setKeys(0, {0, 30, 60, 90});
    open(1800);
  }
  void showTime(int t) {
    show->showAt(t, true);
    pump();
  }
  // The darkest grey level of the label's pixels, read from the green channel (full on cyan).
  int darkestLabelGreen(int rowTop) {
    int darkest = 255;
    for (int yy = rowTop + 2; yy < rowTop + 15; ++yy)
      for (int xx = 18; xx < 52; ++xx) darkest = std::min(darkest, int(pixel(xx, yy) >> 8 & 255));
    return darkest;
  }
};

TEST_F(TimelinePaintTest, TheCursorAndTheKeysSitAtTheirFrames) {
  showTime(100);
  EXPECT_EQ(pixel(x(100), 8), kRed);
  EXPECT_EQ(pixel(x(100) + 1, 8), kRed);
  EXPECT_NE(pixel(x(100) - 1, 8), kRed);
  EXPECT_NE(pixel(x(100) + 2, 8), kRed);
  // The icon's diamond is centred one pixel right of its key's frame, over the row's top outline.
  for (int f : {30, 60, 90}) {
    EXPECT_EQ(pixel(x(f) + 1, kRowY - 1), kKeyFill) << f;
    EXPECT_EQ(pixel(x(f) - 6, 14), kBlack) << f;
    EXPECT_EQ(pixel(x(f) - 7, kRowY - 1), kCyan) << f;
  }
  EXPECT_EQ(show->selectedKey, -1);

  timeline->setLength(60);
  ASSERT_EQ(timeline->timeScale, 5);
  showTime(13);
  EXPECT_EQ(x(13), 13 * 60 / 5 + 4);
  EXPECT_EQ(pixel(x(13), 8), kRed);
  EXPECT_EQ(pixel(x(30) + 1, kRowY - 1), kKeyFill);
}

TEST_F(TimelinePaintTest, TheKeyUnderTheCursorIsSelectedAndToldToTheShow) {
  showTime(90);
  EXPECT_EQ(pixel(x(90) + 1, kRowY - 1), kSelectedFill);
  EXPECT_EQ(show->selectedKey, 3);
  // Within the icon: x(current) + 2 may lie on its right edge (178 ... 194, edges included).
  showTime(94);  // x(94) + 2 = 194
  EXPECT_EQ(show->selectedKey, 3);
  showTime(95);
  EXPECT_EQ(show->selectedKey, -1);
  EXPECT_EQ(pixel(x(90) + 1, kRowY - 1), kKeyFill);
}

TEST_F(TimelinePaintTest, ALockedPicturesLabelIsGreyAndItsKeysAreNeverSelected) {
  showTime(60);
  EXPECT_LT(darkestLabelGreen(14), 40);
  show->slots[0].lock = 1;
  showTime(60);
  // Grey text, smoothed at its edges: nowhere as dark as black, nowhere lighter than the grey stroke.
  EXPECT_GT(darkestLabelGreen(14), 110);
  EXPECT_LT(darkestLabelGreen(14), 170);
  EXPECT_EQ(pixel(x(60) + 1, kRowY - 1), kLockedFill);
  EXPECT_EQ(show->selectedKey, -1);
}

TEST_F(TimelinePaintTest, AHoldMarkJoinsTwoEqualKeys) {
  showTime(0);
  const int y = 14 + 6;
  EXPECT_EQ(pixel(x(90) - 10, y), kCyan);
  // Key 3 holds key 2's state: a line from x(60) + 8 to x(90) - 8 with " HOLD " in its middle.
  KeyFrame& k3 = show->slots[0].keys[3];
  const KeyFrame& k2 = show->slots[0].keys[2];
  k3.x = k2.x;
  showTime(0);
  EXPECT_EQ(pixel(x(60) + 9, y), kBlack);
  EXPECT_EQ(pixel(x(90) - 9, y), kBlack);
  EXPECT_NE(pixel(x(90) - 7, y), kBlack);
  EXPECT_EQ(pixel(x(60) + 8, y), kBlack);
  // Between keys 1 and 2 there is none.
  EXPECT_EQ(pixel(x(45), y), kCyan);
}

TEST_F(TimelinePaintTest, KeysTooCloseTogetherAreFramedInRed) {
  setKeys(0, {0, 60, 90});
  showTime(0);
  const int left = x(61) - 6;
  EXPECT_NE(pixel(left - 6, 10), kRed);
  setKeys(0, {0, 60, 61});
  showTime(0);
  EXPECT_EQ(pixel(left - 6, 10), kRed);
  EXPECT_EQ(pixel(left + 21, 30), kRed);
}

TEST_F(TimelinePaintTest, TheExpandedViewShowsEveryPictureWithTheCurrentOneYellow) {
  addPictures(3);
  for (int i = 0; i < 3; ++i) setKeys(i, {0, 30 * (i + 1)});
  show->setCurrentPicture(1);
  expand();
  showTime(0);
  EXPECT_EQ(pixel(x(200), rowY(0)), kCyan);
  EXPECT_EQ(pixel(x(200), rowY(1)), kYellow);
  EXPECT_EQ(pixel(x(200), rowY(2)), kCyan);
  EXPECT_EQ(pixel(x(60) + 1, rowY(1) - 1), kKeyFill);
  EXPECT_EQ(pixel(x(90) + 1, rowY(2) - 1), kKeyFill);
  // The cursor at frame 0 selects key 0 of the current picture alone.
  EXPECT_EQ(pixel(x(0) + 1, rowY(1) - 1), kSelectedFill);
  EXPECT_EQ(pixel(x(0) + 1, rowY(0) - 1), kKeyFill);
  EXPECT_EQ(show->selectedKey, 0);
}

// A look at the expanded timeline with brushes, a locked picture, collisions and hold marks; the
// picture is written for review (KM_TIMELINE_SCREENSHOT names the file, else a temporary one).
TEST_F(TimelineTest, ExpandedScreenshot) {
  addPictures(5);
  std::snprintf(show->slots[1].file.path, 256, "C:\\Shows\\sunset.final.tga");
  show->slots[1].brushCode = 1000;
  show->slots[2].brushCode = 5000;
  show->slots[3].lock = 1;
  setKeys(0, {0, 45, 90, 180, 181});
  setKeys(1, {0, 120, 240});
  show->slots[1].keys[1].x = show->slots[1].keys[0].x;
  show->slots[1].keys[2].x = show->slots[1].keys[0].x;
  setKeys(2, {0, 60, 61, 300});
  setKeys(3, {0, 90, 200});
  setKeys(4, {0, 150});
  show->slots[4].keys[1] = show->slots[4].keys[0];
  show->slots[4].keys[1].time = 150;
  show->setCurrentPicture(2);
  open(1800);
  show->showAt(60, true);
  pump();
  const char* named = std::getenv("KM_TIMELINE_SCREENSHOT");
  const std::string path = named ? named : (std::filesystem::path(::testing::TempDir()) / "timeline_expanded.png").string();
  EXPECT_TRUE(ws::screen().saveScreenshot(std::filesystem::path(path).replace_filename("timeline_collapsed.png").string()));
  expand();
  show->showAt(60, true);
  pump();
  EXPECT_TRUE(ws::screen().saveScreenshot(path));
  // Keys 1 and 2 of picture 2 both lie under the cursor: the later one is the selected key.
  EXPECT_EQ(show->selectedKey, 2);
}

}  // namespace
