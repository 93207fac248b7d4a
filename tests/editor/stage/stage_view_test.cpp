// The stage as a user sees it: where the frame goes, what is drawn over the show, and that the show
// itself is exactly what the renderer composes.
#include <filesystem>
#include <string>

#include "platform/drawing.h"
#include "platform/screen/surface.h"
#include "render/render_show.h"
#include "render/show_render_options.h"
#include "tests/editor/stage/stage_test_support.h"

namespace {

constexpr uint32_t kScreenWhite = 0xFFFFFF, kScreenBlack = 0, kScreenYellow = 0xFFFF00, kScreenGrey = 0xC0C0C0;

std::string screenshotPath(const char* name) {
  const std::string dir = std::string(::testing::TempDir()) + "stage-screenshots";
  std::filesystem::create_directories(dir);
  return dir + "/" + name;
}

uint32_t bgrPixel(const ImageBuffer& image, int x, int line) {
  const uint8_t* p = image.row(image.height() - 1 - line) + 4 * x;
  return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

class StageGuidesTest : public StageTest {
 protected:
  std::string initialSettings() const override { return "ShowCameraPath=1\r\nShowTVSafe=1\r\nScale=75\r\n"; }
};

}  // namespace

TEST_F(StageTest, ScaleOneHundredIsZoomOneAndANarrowClientPutsTheFrameAtZero) {
  EXPECT_FLOAT_EQ(stage->zoom, 1.0f);
  EXPECT_EQ(context.stage, stage.get());
  // No owner: the window is 640 x 480, so its client is narrower and lower than the stage image.
  EXPECT_EQ(stage->windowRect(), (ws::Rect{0, 0, 640, 480}));
  ASSERT_LT(stage->clientRect().width(), 640);
  EXPECT_EQ(stage->frameRect, (ws::Rect{0, 0, 640, 480}));
  // Nothing of the surround shows: the frame covers the client from its first column on.
  EXPECT_NE(pixel(0, 200), kScreenGrey);
  EXPECT_NE(pixel(300, 0), kScreenGrey);
}

TEST_F(StageTest, TheStageTableIsWhereShowAtPutsTheStates) {
  addPicture(64, 64, 100, 120, 50, 60);
  show->slots[0].keys[1] = show->slots[0].keys[0];
  show->slots[0].keys[1].x = 300;
  show->slots[0].keys[1].time = 10;
  show->slots[0].keyCount = 2;
  show->showAt(10, true);
  EXPECT_FLOAT_EQ(state(0).x, 300.0f);
  stage.reset();
  EXPECT_EQ(context.stage, nullptr);
  EXPECT_EQ(show->views(), nullptr);
}

TEST_F(HalfStageTest, HalfZoomHalvesTheImageAndTheHandles) {
  EXPECT_FLOAT_EQ(stage->zoom, 0.5f);
  addPicture(100, 100, 320, 240, 200, 100);
  const ws::Rect f = stage->frameRect;
  EXPECT_EQ(f.width(), 320);
  EXPECT_EQ(f.height(), 240);
  EXPECT_EQ(f.left, (stage->clientRect().width() - 320) / 2);
  EXPECT_EQ(f.top, (stage->clientRect().height() - 240) / 2);
  // The surround is light grey on every side of the frame.
  EXPECT_EQ(pixel(f.left - 3, f.top + 50), kScreenGrey);
  EXPECT_EQ(pixel(f.left + 50, f.top - 3), kScreenGrey);
  EXPECT_EQ(pixel(f.right + 3, f.top + 50), kScreenGrey);
  // The outline's right edge: a black line at centre + 50 (half of half of 200) inside a yellow band.
  const int cx = f.left + 160, cy = f.top + 120;
  EXPECT_EQ(pixel(cx + 50, cy + 10), kScreenBlack);
  EXPECT_EQ(pixel(cx + 51, cy + 10), kScreenYellow);
  EXPECT_EQ(pixel(cx + 49, cy + 10), kScreenYellow);
  // The top edge lies at centre - 25 + 1 (half a pixel added, then truncated toward zero), and the
  // cross arm is at least 4 pixels either way.
  EXPECT_EQ(pixel(cx + 10, cy - 24), kScreenBlack);
  EXPECT_EQ(pixel(cx, cy - 4), kScreenBlack);
  EXPECT_EQ(pixel(cx - 4, cy), kScreenBlack);
  // The hit test scales alike: the first corner at (-50, -25) from the centre turns the picture.
  EXPECT_EQ(stage->hitTest(160 - 49, 120 - 24), 9);
  EXPECT_EQ(stage->hitTest(160 + 50, 120 + 25), 10);
  EXPECT_EQ(stage->hitTest(160 + 100, 120 + 50), 0);
}

TEST_F(StageGuidesTest, EveryGuideIsDrawnOverTheShow) {
  EXPECT_TRUE(stage->showMotionPath);
  EXPECT_TRUE(stage->showTvSafe);
  addPicture(80, 60, 200, 150, 160, 120, 15);
  PictureSlot& s = show->slots[0];
  s.keys[1] = s.keys[0];
  s.keys[1].x = 500, s.keys[1].y = 350, s.keys[1].time = 60;
  s.keyCount = 2;
  show->showAt(0, true);
  pump();
  const ws::Rect f = stage->frameRect;
  ASSERT_EQ(f.width(), 480);
  // The white frame outline inside the frame's edges, and the bevel: white at the left and top, dark
  // grey just outside the right and bottom.
  EXPECT_EQ(pixel(f.left, f.top + 200), kScreenWhite);
  EXPECT_EQ(pixel(f.left + 200, f.top), kScreenWhite);
  EXPECT_EQ(pixel(f.right - 1, f.top + 200), kScreenWhite);
  EXPECT_EQ(pixel(f.right, f.top + 200), 0x404040u);
  EXPECT_EQ(pixel(f.left + 200, f.bottom), 0x404040u);
  // TV safe: the outer rectangle at 4.8 percent, the inner rounded one at 9.6 percent.
  EXPECT_EQ(pixel(f.left + 23, f.top + 200), kScreenWhite);
  EXPECT_EQ(pixel(f.left + 200, f.top + 17), kScreenWhite);
  EXPECT_EQ(pixel(f.left + 46, f.top + 200), kScreenWhite);
  EXPECT_EQ(pixel(f.right - 47, f.top + 200), kScreenWhite);
  // The motion path's keys are red squares at the keys' positions, zoomed.
  EXPECT_EQ(pixel(f.left + 375 - 3, f.top + 262), 0xFF0000u);
  EXPECT_EQ(pixel(f.left + 150 + 2, f.top + 112 - 3), 0xFF0000u);
  // Half way along the path, the yellow line.
  KeyFrame mid;
  show->stateAt(mid, 0, 30, false);
  int yellow = 0;
  const int mx = f.left + int(mid.x * 0.75f), my = f.top + int(mid.y * 0.75f);
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx) yellow += pixel(mx + dx, my + dy) == kScreenYellow;
  EXPECT_GT(yellow, 0);
  EXPECT_TRUE(ws::screen().saveScreenshot(screenshotPath("stage_guides.png")));
}

TEST_F(StageGuidesTest, ALockedCurrentPictureShowsTheRenderedFrameAloneAndExactly) {
  addPicture(120, 90, 300, 200, 240, 180, 20);
  addPicture(60, 60, 250, 260, 200, 200, -10);
  show->slots[0].lock = 1;
  show->currentTime = 12;
  show->showAt(12, true);
  pump();
  // At zoom 0.75 the frame is 480 x 360 and fits; zoom 1 keeps one pixel for one pixel.
  stage->zoom = 1.0f;
  stage->paint();
  const ws::Rect f = stage->frameRect;
  ImageBuffer expected(640, 480, 32), background;
  ASSERT_TRUE(
      renderShow(*show, renderOptionsOf(*show), -1, 0, 1, expected, &input, background, stage->workingStates()));
  const ws::Rect client = stage->clientRect();
  const ws::Surface& screen = ws::screen().compose();
  const ws::Point origin = screenPoint(0, 0);
  int differing = 0;
  for (int y = f.top; y < std::min(f.bottom, client.bottom); ++y)
    for (int x = f.left; x < std::min(f.right, client.right); ++x)
      differing += screen.pixel(origin.x + x, origin.y + y) != bgrPixel(expected, x - f.left, y - f.top);
  EXPECT_EQ(differing, 0);
  // Unlocked, the same comparison sees the guides and the handles.
  show->slots[0].lock = 0;
  stage->paint();
  const ws::Surface& unlocked = ws::screen().compose();
  differing = 0;
  for (int y = f.top; y < std::min(f.bottom, client.bottom); ++y)
    for (int x = f.left; x < std::min(f.right, client.right); ++x)
      differing += unlocked.pixel(origin.x + x, origin.y + y) != bgrPixel(expected, x - f.left, y - f.top);
  EXPECT_GT(differing, 1000);
}

TEST_F(HalfStageTest, TransportBarTimecodeAndSliderSitBelowTheFrame) {
  addPicture(40, 40, 320, 240, 100, 100);
  state(0).amount = 50;
  show->currentTime = 1800;
  stage->paint();
  const ws::Rect f = stage->frameRect;
  EXPECT_EQ(stage->playBackwardButton.rect, (ws::Rect{f.right - 180, f.bottom + 8, f.right - 161, f.bottom + 27}));
  EXPECT_EQ(stage->setKeyButton.rect.left, f.right - 23);
  EXPECT_EQ(stage->timecodeRect, (ws::Rect{f.right - 108, f.bottom + 8, f.right - 28, f.bottom + 27}));
  // The buttons' images: the stop button is round (grey corner, black rim, grey face with a black square).
  const ws::Rect stop = stage->stopButton.rect;
  EXPECT_EQ(pixel(stop.left, stop.top), kScreenGrey);
  EXPECT_EQ(pixel(stop.left + 9, stop.top), kScreenBlack);
  EXPECT_EQ(pixel(stop.left + 9, stop.top + 9), kScreenBlack);
  EXPECT_EQ(pixel(stop.left + 4, stop.top + 9), kScreenGrey);
  // The timecode box is white with dark text in it.
  const ws::Rect t = stage->timecodeRect;
  EXPECT_EQ(pixel(t.left + 3, t.top + 3), kScreenWhite);
  const ws::Surface& screen = ws::screen().compose();
  const ws::Point origin = screenPoint(0, 0);
  int dark = 0;
  for (int y = t.top + 2; y < t.bottom - 2; ++y)
    for (int x = t.left + 4; x < t.right - 4; ++x) dark += (screen.pixel(origin.x + x, origin.y + y) & 0xFF) < 0x80;
  EXPECT_GT(dark, 40);
  EXPECT_TRUE(ws::screen().saveScreenshot(screenshotPath("stage_transport.png")));
}

TEST_F(StageTest, ScrollingMovesTheViewAndRedrawsIt) {
  addPicture(40, 40, 320, 240, 100, 100);
  const uint32_t before = pixel(100, 300);
  // One line step of the vertical bar is 60 pixels: what was at 360 is now at 300.
  const uint32_t below = pixel(100, 360);
  sendMessage(stage->handle(), ws::WM_VSCROLL, ws::SB_LINEDOWN, 0);
  pump();
  EXPECT_EQ(stage->scrollPosition(ws::SB_VERT), 60);
  EXPECT_EQ(pixel(100, 300), below);
  EXPECT_NE(pixel(100, 300), before);
}

namespace {

class NewTimeStageTest : public HalfStageTest {
 protected:
  // The pure-yellow pixels of the outline's colour in a band of the stage's client area.
  int yellowPixels(int left, int right) {
    const ws::Surface& shown = ws::screen().compose();
    const ws::Point origin = screenPoint(0, 0);
    int n = 0;
    for (int y = 0; y < 480; ++y)
      for (int x = left; x < right; ++x)
        if ((shown.pixel(origin.x + x, origin.y + y) & 0xFFFFFF) == 0xFFFF00) ++n;
    return n;
  }
};

}  // namespace

TEST_F(NewTimeStageTest, ANewTimeLeavesNoOutlineOfThePreviousOneInTheSurround) {
  // At time 0 the picture's centre lies left of the stage, so half its outline is drawn over the grey
  // surround; at time 30 it is back inside the frame.
  addPicture(40, 40, -60, 240, 160, 160);
  PictureSlot& slot = show->slots[0];
  slot.keys[1] = slot.keys[0];
  slot.keys[1].x = 320;
  slot.keys[1].time = 30;
  slot.keyCount = 2;
  show->showAt(0, true);
  pump();
  const int left = stage->frameRect.left - stage->scrollPosition(ws::SB_HORZ);
  ASSERT_GT(left, 20);
  ASSERT_GT(yellowPixels(0, left), 0) << "the outline reaches the surround";
  show->showAt(30, true);
  pump();
  EXPECT_EQ(yellowPixels(0, left), 0);
  EXPECT_EQ(stage->workingStates()[0].x, 320.0f);
}
