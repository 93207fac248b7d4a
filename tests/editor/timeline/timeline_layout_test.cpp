// The time scale a show length gives, the content width and its cap, where the window goes, and
// scrolling.
#include "editor/timeline/timeline_geometry.h"
#include "editor/stage/timecode.h"
#include "tests/editor/timeline/timeline_test_support.h"

namespace {

class TimelineSettingsTest : public TimelineTest {
 protected:
  std::string initialSettings() const override { return "TimeScale=7\r\n"; }
};

TEST_F(TimelineSettingsTest, TheShowLengthDecidesTheScaleWhateverTheSetting) {
  addPictures(1);
  open(1800);
  EXPECT_EQ(timeline->timeScale, 30);
  EXPECT_EQ(timeline->contentWidth, 3604);
  EXPECT_EQ(editorContext().timeline, timeline.get());
  EXPECT_EQ(context.views.timelineScale(), 30);
}

TEST_F(TimelineTest, ShortShowsGetFinerScalesAndLongOnesStopAtTheCap) {
  addPictures(1);
  open(60);
  EXPECT_EQ(timeline->timeScale, 5);
  EXPECT_EQ(timeline->contentWidth, 724);
  timeline->setLength(200);
  EXPECT_EQ(timeline->timeScale, 10);
  EXPECT_EQ(timeline->contentWidth, 200 * 60 / 10 + 4);
  timeline->setLength(20000);
  EXPECT_EQ(timeline->timeScale, 30);
  EXPECT_EQ(timeline->contentWidth, 32700);
  // At 25 frames a second the steps fall at 75 and 200 frames.
  show->frameRate = 2500;
  timeline->setLength(74);
  EXPECT_EQ(timeline->timeScale, 5);
  timeline->setLength(75);
  EXPECT_EQ(timeline->timeScale, 10);
  timeline->setLength(200);
  EXPECT_EQ(timeline->timeScale, 25);
}

TEST_F(TimelineTest, WithoutAnOwnerTheWindowSitsAlongTheBottomOf640By480) {
  addPictures(1);
  open(1800);
  const int m = Window::scrollBarHeight();
  const ws::Rect r = timeline->windowRect();
  EXPECT_EQ(r.bottom, 480 - m);
  EXPECT_EQ(r.top, 480 - 84);
  EXPECT_EQ(r.right, 640 - m);
  const int width = 640 - 2 * m;
  EXPECT_EQ(r.width(), width - width / 8);
  // A short show gives a window no wider than its content.
  timeline->setLength(30);
  EXPECT_EQ(timeline->windowRect().width(), timeline->contentWidth - 1);
  EXPECT_EQ(timeline->windowRect().right, 640 - m);
}

TEST_F(TimelineTest, TheExpandedViewGrowsWithThePicturesUpToEight) {
  addPictures(3);
  open(1800);
  expand();
  const int m = Window::scrollBarHeight();
  EXPECT_EQ(timeline->windowRect().top, 480 - m - 54 - 15 * 3 + m);
  show->pictureCount = 12;
  timeline->layout();
  EXPECT_EQ(timeline->windowRect().top, 480 - m - 54 - 15 * 8 + m);
}

TEST_F(TimelineTest, ScrollArrowsStepBy60PixelsAndTheCursorIsFollowed) {
  addPictures(1);
  open(1800);
  const ws::FrameLayout f = ws::screen().frameLayout(timeline->handle());
  const ws::Rect w = timeline->windowRect();
  const ws::Point rightArrow{w.left + f.hScroll.right - 6, w.top + (f.hScroll.top + f.hScroll.bottom) / 2};
  ws::screen().click(rightArrow.x, rightArrow.y);
  pump();
  EXPECT_EQ(timeline->scrollPosition(ws::SB_HORZ), 60);

  // Setting the time outside the visible part brings it to the middle.
  show->showAt(1500, true);
  pump();
  const int client = timeline->clientRect().width();
  EXPECT_EQ(timeline->scrollPosition(ws::SB_HORZ), timeline->frameX(1500) - client / 2);
  // A time already in view does not scroll.
  const int before = timeline->scrollPosition(ws::SB_HORZ);
  show->showAt(1490, true);
  EXPECT_EQ(timeline->scrollPosition(ws::SB_HORZ), before);
  // Near the start the position stops at 0.
  show->showAt(10, true);
  EXPECT_EQ(timeline->scrollPosition(ws::SB_HORZ), 0);
}

TEST_F(TimelineTest, ClosingTheViewClearsItsReference) {
  addPictures(1);
  open(1800);
  timeline.reset();
  EXPECT_EQ(editorContext().timeline, nullptr);
  EXPECT_EQ(context.views.timelineScale(), 0);
}

TEST(TimelineGeometry, FramesAndPositionsMapBothWays) {
  EXPECT_EQ(timelineFrameX(0, 30), 4);
  EXPECT_EQ(timelineFrameX(45, 30), 94);
  EXPECT_EQ(timelineFrameX(7, 5), 88);
  EXPECT_EQ(timelineFrameAt(94, 30), 45);
  EXPECT_EQ(timelineFrameAt(95, 30), 45);
  EXPECT_EQ(timelineFrameAt(3, 30), 0);
  EXPECT_EQ(timelineFrameAt(-200, 30), 0);
  EXPECT_EQ(timelineRowAt(26), 0);
  EXPECT_EQ(timelineRowAt(27), 1);
  EXPECT_EQ(timelineRowAt(5), 0);
  // A scale of 0 (a bad "TimeScale" setting reaching the view) does not divide by zero.
  EXPECT_EQ(timelineFrameX(10, 0), 604);
  EXPECT_EQ(contentWidthFor(20000, 30), 32700);
  EXPECT_EQ(contentWidthFor(1800, 30), 3604);
}

TEST(TimelineGeometry, LabelsLoseFoldersAndExtensionsAndNameTheBrush) {
  EXPECT_EQ(pictureRowLabel("/shows/sunset.final.tga", 0), "sunset");
  EXPECT_EQ(pictureRowLabel("C:\\Shows\\logo.bmp", 1000), "logo / Blur");
  EXPECT_EQ(pictureRowLabel("D:logo", 2000), "logo / Pix");
  EXPECT_EQ(pictureRowLabel("a", 3500), "a / Dark");
  EXPECT_EQ(pictureRowLabel("a", 4000), "a / Light");
  EXPECT_EQ(pictureRowLabel("a", 5000), "a / Tint");
  EXPECT_EQ(pictureRowLabel("a", 6000), "a / B&W");
  EXPECT_EQ(pictureRowLabel("a", 7000), "a");
  EXPECT_EQ(pictureRowLabel("a", 999), "a");
  EXPECT_EQ(pictureRowLabel("", 0), "");
}

TEST(RulerTimecode, MinutesCountRealFramesAndSecondsWholeOnes) {
  EXPECT_EQ(timecodeText(1800, true, 2997), "01:00:02");
  EXPECT_EQ(timecodeText(30, true, 2997), "00:01:00");
  EXPECT_EQ(timecodeText(-1, true, 2997), "00:00.01");
  EXPECT_EQ(timecodeText(75, true, 2500), "00:03:00");
  // Hours are not shown, and an hour later the text repeats.
  EXPECT_EQ(timecodeText(36 * 2997 + 30, true, 2997), "00:01:00");
}

}  // namespace
