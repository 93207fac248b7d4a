// Playback driven as a user drives it: the transport buttons, a key, clicks on the timeline and on
// other windows, all queued before playback starts (the loop only peeks at the queue). The frame input
// moves the manual clock on at every frame it serves, so playback sees time pass as it draws.
#include <vector>

#include "editor/timeline/timeline_view.h"
#include "tests/editor/stage/stage_test_support.h"

namespace {

Window* plainLive = nullptr;
ws::LResult plainProcedure(ws::WindowHandle h, uint32_t m, ws::WParam w, ws::LParam l) {
  return forwardMessage(plainLive, h, m, w, l);
}

// A shown pop-up of the program's own at a place of the screen, for clicks during playback.
void openWindow(Window& w, int left, int top, int right, int bottom) {
  if (!w.handle()) {
    ASSERT_TRUE(w.create(0, kWindowPopup | kWindowBorder, plainProcedure));
  }
  w.move(left, top, right, bottom, true);
  w.show(1);
}

std::vector<int> range(int first, int last, int step = 1) {
  std::vector<int> v;
  for (int i = first; i <= last; i += step) v.push_back(i);
  return v;
}

std::vector<int> prefix(const std::vector<int>& v, size_t n) { return {v.begin(), v.begin() + std::min(n, v.size())}; }

class PlaybackTest : public HalfStageTest {
 protected:
  void SetUp() override {
    HalfStageTest::SetUp();
    addPicture(60, 40, 320, 240, 120, 80);
    input.frames.clear();
    input.advanceMicros = kOneFrameMicros;
  }
  void clickButton(const BitmapButton& b) {
    const ws::Point c = screenPoint(buttonCentre(b).x, buttonCentre(b).y);
    ws::screen().click(c.x, c.y);
  }
  void clickScreen(Window& w, int clientX, int clientY) {
    const ws::Point p = ws::screen().clientToScreen(w.handle(), {clientX, clientY});
    ws::screen().click(p.x, p.y);
  }
};

}  // namespace

TEST_F(PlaybackTest, FromTheEndPlaybackStartsAtZeroAndAKeyStopsIt) {
  show->showLength = 20;
  show->currentTime = 20;
  ws::screen().setFocus(stage->handle());
  clickButton(stage->playForwardButton);
  ws::screen().pressKey('A');
  pump();
  ASSERT_FALSE(input.frames.empty());
  EXPECT_EQ(input.frames[0], 0);
  // One frame drawn, the clock moved on by one frame, then the key stopped playback there.
  EXPECT_EQ(show->currentTime, 1);
  EXPECT_EQ(stage->playDirection, 0);
  EXPECT_EQ(stage->playForwardButton.state, BitmapButton::kNormal);
}

TEST_F(PlaybackTest, BackwardFromZeroStopsAtTheFirstNegativeTime) {
  show->currentTime = 0;
  clickButton(stage->playBackwardButton);
  pump();
  // Frame 0, then the tick that finds -1 stops and shows the time limited to 0, then the repaints of
  // the stopped transport and of the release.
  EXPECT_EQ(input.frames, (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(show->currentTime, 0);
  EXPECT_EQ(stage->playBackwardButton.state, BitmapButton::kNormal);
}

TEST_F(PlaybackTest, AReleaseOnAButtonThatWasNotPressedStillActs) {
  show->showLength = 10;
  show->currentTime = 0;
  const ws::Point away = screenPoint(20, 20);
  const ws::Point play = screenPoint(buttonCentre(stage->playForwardButton).x, buttonCentre(stage->playForwardButton).y);
  ws::screen().mouseMove(away.x, away.y);
  ws::screen().mouseButton(0, true, away.x, away.y);
  ws::screen().mouseMove(play.x, play.y);
  ws::screen().mouseButton(0, false, play.x, play.y);
  pump();
  // It plays to the end of the show and stops there by itself.
  EXPECT_EQ(prefix(input.frames, 11), range(0, 10));
  EXPECT_EQ(show->currentTime, 10);
  EXPECT_EQ(stage->playDirection, 0);
}

TEST_F(PlaybackTest, FramesAreDroppedWhenDrawingIsSlowerThanTheRate) {
  show->showLength = 20;
  show->currentTime = 0;
  input.advanceMicros = 3 * kOneFrameMicros;
  clickButton(stage->playForwardButton);
  pump();
  EXPECT_EQ(prefix(input.frames, 7), range(0, 18, 3));
  EXPECT_EQ(show->currentTime, 20);
}

TEST_F(PlaybackTest, AClickOnTheTimelineWhilePlayingContinuesFromTheClickedTime) {
  // The timeline takes its scale from the show's length: 30 frames give 5 frames per 60 pixels.
  show->showLength = 30;
  TimelineView timeline(nullptr);
  ASSERT_EQ(context.timeline, &timeline);
  pump();
  input.frames.clear();
  show->currentTime = 5;
  clickButton(stage->playForwardButton);
  // Without an editor window both views lie at (0, 0, 640, 480)'s bottom, and the pressed stage has
  // come to the front: the user's click goes to the timeline showing there.
  ws::screen().bringToFront(timeline.handle());
  clickScreen(timeline, 200, 10);  // on the ruler, inside the small client area
  const int clicked = timeline.frameAtClientX(200);
  pump();
  ASSERT_LE(clicked, 30);
  // The click's move and press are passed over at the first two frames, its release at the third.
  ASSERT_GE(input.frames.size(), 4u);
  EXPECT_EQ(prefix(input.frames, 3), (std::vector<int>{5, 6, 7}));
  EXPECT_EQ(std::vector<int>(input.frames.begin() + 3, input.frames.begin() + 3 + (30 - clicked + 1)), range(clicked, 30));
  EXPECT_EQ(show->currentTime, 30);
}

TEST_F(PlaybackTest, AReleaseOnStopStopsAndOneOnTheSetKeyButtonIsPassedOver) {
  show->currentTime = 0;
  clickButton(stage->playForwardButton);
  clickButton(stage->setKeyButton);
  clickButton(stage->stopButton);
  pump();
  EXPECT_EQ(prefix(input.frames, 6), range(0, 5));
  EXPECT_EQ(show->currentTime, 6);
  EXPECT_EQ(show->slots[0].keyCount, 1);
  EXPECT_EQ(stage->stopButton.state, BitmapButton::kNormal);
}

TEST_F(PlaybackTest, AReleaseOverAnotherWindowStops) {
  Window other;
  plainLive = &other;
  openWindow(other, 700, 100, 900, 300);
  pump();
  input.frames.clear();
  show->currentTime = 0;
  clickButton(stage->playForwardButton);
  clickScreen(other, 50, 50);
  pump();
  plainLive = nullptr;
  EXPECT_EQ(prefix(input.frames, 3), range(0, 2));
  EXPECT_EQ(show->currentTime, 3);
}

TEST_F(PlaybackTest, TheSetKeyButtonSetsAKeyAtTheCurrentTime) {
  show->currentTime = 50;
  state(0).x = 111;
  clickButton(stage->setKeyButton);
  pump();
  ASSERT_EQ(show->slots[0].keyCount, 2);
  EXPECT_EQ(show->slots[0].keys[1].time, 50);
  EXPECT_FLOAT_EQ(show->slots[0].keys[1].x, 111.0f);
}
