// The current picture worked with the mouse and the keys, as a user does it.
#include <cstring>
#include <filesystem>
#include <string>

#include "editor/timeline/timeline_view.h"
#include "platform/dialogs.h"
#include "tests/editor/stage/stage_test_support.h"

namespace {

class StageMouseTest : public StageTest {
 protected:
  // A 200 x 100 picture shown 240 x 120 at (300, 220), the current one, at time 40.
  void SetUp() override {
    StageTest::SetUp();
    show->currentTime = 40;
    addPicture(200, 100, 300, 220, 240, 120);
  }
  // Client position of a point given relative to the picture's centre.
  ws::Point fromCentre(int dx, int dy) const { return frameToClient(300 + dx, 220 + dy); }
  const KeyFrame& key(int picture, int index) const { return show->slots[picture].keys[index]; }
};

class StagePathTest : public StageMouseTest {
 protected:
  std::string initialSettings() const override { return "ShowCameraPath=1\r\n"; }
};

}  // namespace

TEST_F(StageMouseTest, TheCentreSquareMovesAndTheReleaseSetsAKey) {
  drag(fromCentre(0, 0), fromCentre(30, -20));
  EXPECT_FLOAT_EQ(state(0).x, 330.0f);
  EXPECT_FLOAT_EQ(state(0).y, 200.0f);
  EXPECT_EQ(stage->dragMode, StageView::kDragNone);
  // "AutoAddKey" is on by default: the moved state is now a key at the current time.
  ASSERT_EQ(show->slots[0].keyCount, 2);
  EXPECT_EQ(key(0, 1).time, 40);
  EXPECT_FLOAT_EQ(key(0, 1).x, 330.0f);
}

TEST_F(StageMouseTest, ShiftKeepsAMoveOnTheAxisMovedAlongMost) {
  drag(fromCentre(-10, 10), fromCentre(40, 25), true);
  EXPECT_FLOAT_EQ(state(0).x, 350.0f);
  EXPECT_FLOAT_EQ(state(0).y, 220.0f);
  drag(fromCentre(50, 0), fromCentre(45, -30), true);
  EXPECT_FLOAT_EQ(state(0).x, 350.0f);
  EXPECT_FLOAT_EQ(state(0).y, 190.0f);
}

TEST_F(StageMouseTest, TheFirstCornerRotatesAndShiftTurnsBackToZero) {
  // The first corner lies at (-119, -59) from the centre (half a pixel added, then truncated).
  drag(fromCentre(-119, -59), fromCentre(-99, -50));
  EXPECT_FLOAT_EQ(state(0).rotation, 10.0f);
  EXPECT_FLOAT_EQ(state(0).width, 240.0f);
  // The turned corner is where the rotate handle now is; grabbing it again continues from 10 degrees.
  const PictureGeometry g = stage->currentGeometry();
  const ws::Point c0{g.corners[0].x, g.corners[0].y};
  drag(c0, {c0.x + 6, c0.y + 40});
  EXPECT_FLOAT_EQ(state(0).rotation, 13.0f);
  const PictureGeometry turned = stage->currentGeometry();
  drag(turned.corners[0], {turned.corners[0].x + 57, turned.corners[0].y - 9}, true);
  EXPECT_FLOAT_EQ(state(0).rotation, 0.0f);
}

TEST_F(StageMouseTest, OtherCornersSizeKeepingTheImagesProportions) {
  drag(fromCentre(120, 60), fromCentre(150, 61));
  EXPECT_FLOAT_EQ(state(0).width, 300.0f);
  EXPECT_FLOAT_EQ(state(0).height, 150.0f);  // the image is 200 x 100
  EXPECT_FLOAT_EQ(state(0).x, 300.0f);
  // The pointer is turned by 360 degrees of 0.0174532 radians, a hair short of a full turn, and a
  // negative offset truncates toward zero once the half pixel is added: -100 from the centre counts 99.
  drag(fromCentre(-149, 75), fromCentre(-100, 140));
  EXPECT_FLOAT_EQ(state(0).width, 198.0f);
  EXPECT_FLOAT_EQ(state(0).height, 99.0f);
  // Shift sizes the height on its own.
  drag(fromCentre(100, -48), fromCentre(110, -90), true);
  EXPECT_FLOAT_EQ(state(0).width, 220.0f);
  EXPECT_FLOAT_EQ(state(0).height, 178.0f);
}

TEST_F(StageMouseTest, ASizeDragOfAPictureTurnedByNinetyDegreesChangesTheWidthVertically) {
  state(0).rotation = 90;
  stage->paint();
  const PictureGeometry g = stage->currentGeometry();
  // Turned, the corner C2 lies left below the centre; dragging it straight down lengthens the width.
  drag(g.corners[2], {g.corners[2].x, g.corners[2].y + 40});
  EXPECT_NEAR(state(0).width, 2 * (120 + 40), 2.0f);
  EXPECT_NEAR(state(0).height, state(0).width / 2, 1e-3);
}

TEST_F(StageMouseTest, TheRestOfThePictureDoesNothing) {
  const KeyFrame before = state(0);
  // Inside the picture, beyond the half-height square and clear of the corners.
  drag(fromCentre(90, 10), fromCentre(130, 40));
  EXPECT_EQ(std::memcmp(&before, &state(0), sizeof before), 0);
  EXPECT_EQ(show->slots[0].keyCount, 1);
}

TEST_F(StageMouseTest, CornerToleranceGrowsWithTheWidth) {
  // Width 48: half width 24, tolerance 4.
  state(0).width = 48, state(0).height = 48;
  stage->paint();
  drag(fromCentre(24 + 4, 24 + 4), fromCentre(40, 40));
  EXPECT_FLOAT_EQ(state(0).width, 80.0f);
  state(0).width = 48, state(0).height = 48;
  stage->paint();
  drag(fromCentre(24 + 5, 24 + 5), fromCentre(40, 40));
  EXPECT_FLOAT_EQ(state(0).width, 48.0f);
  // Width 240: half width 120, tolerance 20.
  state(0).width = 240, state(0).height = 240;
  stage->paint();
  drag(fromCentre(120 + 20, 120 - 20), fromCentre(130, 100));
  EXPECT_FLOAT_EQ(state(0).width, 260.0f);
  state(0).width = 240, state(0).height = 240;
  stage->paint();
  drag(fromCentre(120 + 21, 120), fromCentre(130, 100));
  EXPECT_FLOAT_EQ(state(0).width, 240.0f);
}

TEST_F(StageMouseTest, CancellingTheDragFromTheTimelineSetsNoKey) {
  press(fromCentre(0, 0).x, fromCentre(0, 0).y);
  moveTo(fromCentre(5, 5).x, fromCentre(5, 5).y);
  sendMessage(stage->handle(), kCancelDragMessage, 0, 0);
  moveTo(fromCentre(50, 50).x, fromCentre(50, 50).y);
  release(fromCentre(50, 50).x, fromCentre(50, 50).y);
  EXPECT_FLOAT_EQ(state(0).x, 305.0f);
  EXPECT_EQ(show->slots[0].keyCount, 1);
}

TEST_F(StageMouseTest, ShiftClickPicksTheLowerNumberedPictureAndEmptyStageKeepsTheCurrent) {
  addPicture(50, 50, 330, 230, 100, 100);
  addPicture(50, 50, 500, 400, 100, 100);
  show->setCurrentPicture(2);
  // (310, 225) lies in the central boxes of pictures 0 (240 x 120: 60 x 30 either way) and 1.
  const ws::Point both = frameToClient(310, 225);
  press(both.x, both.y, true);
  release(both.x, both.y);
  EXPECT_EQ(show->currentPicture, 0);
  const ws::Point onlyOne = frameToClient(350, 253);
  press(onlyOne.x, onlyOne.y, true);
  release(onlyOne.x, onlyOne.y);
  EXPECT_EQ(show->currentPicture, 1);
  const ws::Point empty = frameToClient(40, 420);
  press(empty.x, empty.y, true);
  release(empty.x, empty.y);
  EXPECT_EQ(show->currentPicture, 1);
  // A locked picture is passed over.
  show->slots[0].lock = 1;
  press(both.x, both.y, true);
  release(both.x, both.y);
  EXPECT_EQ(show->currentPicture, 1);
}

TEST_F(StageMouseTest, ArrowAndPageKeysNudgeAndPageDownStopsAtFour) {
  ws::screen().setFocus(stage->handle());
  ws::screen().pressKey(ws::VK_LEFT);
  ws::screen().pressKey(ws::VK_UP);
  ws::screen().pressKey(ws::VK_UP);
  ws::screen().pressKey(ws::VK_PRIOR);
  pump();
  EXPECT_FLOAT_EQ(state(0).x, 299.0f);
  EXPECT_FLOAT_EQ(state(0).y, 218.0f);
  EXPECT_FLOAT_EQ(state(0).width, 241.0f);
  EXPECT_FLOAT_EQ(state(0).height, 121.0f);
  state(0).width = 4.5f, state(0).height = 4.5f;
  ws::screen().pressKey(ws::VK_NEXT);
  pump();
  EXPECT_FLOAT_EQ(state(0).width, 4.0f);
  EXPECT_FLOAT_EQ(state(0).height, 4.0f);
  ws::screen().pressKey(ws::VK_NEXT);
  pump();
  EXPECT_FLOAT_EQ(state(0).width, 4.0f);
  // A character with a nudge key's code acts alike: "(" is 40, down.
  ws::screen().typeText("(");
  pump();
  EXPECT_FLOAT_EQ(state(0).y, 219.0f);
  // Nudges stay in the working state.
  EXPECT_EQ(show->slots[0].keyCount, 1);
  EXPECT_FLOAT_EQ(key(0, 0).x, 300.0f);
}

TEST_F(StageMouseTest, ALockedPictureRefusesHitsAndNudges) {
  show->slots[0].lock = 1;
  stage->paint();
  drag(fromCentre(0, 0), fromCentre(30, 30));
  ws::screen().setFocus(stage->handle());
  ws::screen().pressKey(ws::VK_RIGHT);
  pump();
  EXPECT_FLOAT_EQ(state(0).x, 300.0f);
  EXPECT_FLOAT_EQ(state(0).y, 220.0f);
}

TEST_F(StageMouseTest, AStageWithoutPicturesSetsNoKeyOnAnUnusedSlot) {
  show->pictureCount = 0;
  stage->paint();
  drag(fromCentre(0, 0), fromCentre(30, 30));
  EXPECT_EQ(show->slots[0].keyCount, 1);
  EXPECT_FLOAT_EQ(state(0).x, 300.0f);
}

TEST_F(StageMouseTest, TheCursorFollowsWhatThePointerIsOver) {
  moveTo(fromCentre(0, 0).x, fromCentre(0, 0).y);
  EXPECT_EQ(currentCursorKind(), 13);
  moveTo(fromCentre(120, 60).x, fromCentre(120, 60).y);
  EXPECT_EQ(currentCursorKind(), 8);
  moveTo(fromCentre(-119, -59).x, fromCentre(-119, -59).y);
  EXPECT_EQ(currentCursorKind(), 12);
  moveTo(fromCentre(90, 10).x, fromCentre(90, 10).y);
  EXPECT_EQ(currentCursorKind(), 1);
}

TEST_F(StagePathTest, AKeyOnTheMotionPathTakesTheShowToItsTime) {
  KeyFrame later = key(0, 0);
  later.x = 100, later.y = 380, later.time = 90;
  show->putKey(1, later, 0);
  show->slots[0].keyCount = 2;
  stage->paint();
  const ws::Point atKey = frameToClient(102, 376);
  moveTo(atKey.x, atKey.y);
  EXPECT_EQ(currentCursorKind(), 2);
  press(atKey.x, atKey.y);
  release(atKey.x, atKey.y);
  EXPECT_EQ(show->currentTime, 90);
  EXPECT_FLOAT_EQ(state(0).x, 100.0f);
}

TEST_F(StageMouseTest, TheRightButtonLeavesTheStateWhenTheOptionsAreNotConfirmed) {
  const KeyFrame before = state(0);
  const ws::Point p = screenPoint(fromCentre(0, 0).x, fromCentre(0, 0).y);
  ws::screen().click(p.x, p.y, 1);
  pump();
  EXPECT_EQ(std::memcmp(&before, &state(0), sizeof before), 0);
  EXPECT_EQ(show->slots[0].keyCount, 1);
}

TEST_F(StageMouseTest, DraggingShowsOnlyTheInvertedOutlineUntilTheRelease) {
  const ws::Point from = fromCentre(0, 0), to = fromCentre(80, 60);
  press(from.x, from.y);
  moveTo(to.x, to.y);
  // The picture has not moved on screen yet: its old place still shows it, and the new outline is
  // drawn by inverting what lies below it.
  const ws::Point oldCentre = fromCentre(-50, 20), newEdge = fromCentre(80 + 120, 60 + 10);
  EXPECT_EQ(pixel(oldCentre.x, oldCentre.y) & 0xFF, 40u);  // slot 0's blue
  const uint32_t inverted = pixel(newEdge.x, newEdge.y);
  const std::string dir = std::string(::testing::TempDir()) + "stage-screenshots";
  std::filesystem::create_directories(dir);
  EXPECT_TRUE(ws::screen().saveScreenshot(dir + "/stage_drag.png"));
  release(to.x, to.y);
  EXPECT_NE(pixel(newEdge.x, newEdge.y), inverted);
  EXPECT_EQ(pixel(fromCentre(80, 60).x + 10, fromCentre(80, 60).y + 10) & 0xFF, 40u);
}

TEST_F(StageMouseTest, TheSliderGivesOneHundredFromSeventySevenPixelsAndNoKeyWithoutAutoAdd) {
  show->autoAddKeys = 0;
  const ws::Rect f = stage->frameRect;
  const int y = f.bottom + 12 - stage->scrollPosition(ws::SB_VERT);
  // The slider lies below the frame: scroll it into view first.
  sendMessage(stage->handle(), ws::WM_VSCROLL, ws::SB_LINEDOWN, 0);
  pump();
  const int sy = y - 60;
  press(f.left + 1, sy);
  EXPECT_EQ(stage->sliderDrag, 1);
  moveTo(f.left + 40, sy);
  EXPECT_FLOAT_EQ(state(0).amount, 52.0f);
  moveTo(f.left + 77, sy);
  EXPECT_FLOAT_EQ(state(0).amount, 100.0f);
  moveTo(f.left - 5, sy);
  EXPECT_FLOAT_EQ(state(0).amount, 0.0f);
  release(f.left + 90, sy);
  EXPECT_FLOAT_EQ(state(0).amount, 100.0f);
  EXPECT_EQ(stage->sliderDrag, 0);
  EXPECT_EQ(show->slots[0].keyCount, 1);
  EXPECT_FLOAT_EQ(key(0, 0).amount, 0.0f);
}

TEST_F(HalfStageTest, ADoubleClickOnTheTimecodeTakesATypedTime) {
  show->currentTime = 100;
  stage->paint();
  const ws::Rect t = stage->timecodeRect;
  const ws::Point p = screenPoint((t.left + t.right) / 2, (t.top + t.bottom) / 2);
  std::string shown;
  ws::screen().whenIdle([&] {
    ws::screen().typeText("1:00");
    ws::screen().pressKey(ws::VK_RETURN);
  });
  ws::screen().doubleClick(p.x, p.y);
  WindowMessage m;
  while (getMessage(m) && ws::screen().idleActionsLeft() > 0) dispatch(m);
  dispatch(m);
  pump();
  EXPECT_EQ(show->currentTime, 30);
  ws::screen().whenIdle([&] {
    ws::screen().typeText("+10");
    ws::screen().pressKey(ws::VK_RETURN);
  });
  ws::screen().doubleClick(p.x, p.y);
  while (getMessage(m) && ws::screen().idleActionsLeft() > 0) dispatch(m);
  dispatch(m);
  pump();
  EXPECT_EQ(show->currentTime, 40);
}

TEST_F(StageMouseTest, ScrubbingShowsOnlyThePositionsThePointerHasNotAlreadyLeft) {
  show->showLength = 300;
  TimelineView timeline(nullptr);
  ws::screen().bringToFront(timeline.handle());
  pump();
  auto onRuler = [&](int x) { return ws::screen().clientToScreen(timeline.handle(), {x, 10}); };
  ws::Point p = onRuler(40);
  ws::screen().mouseMove(p.x, p.y);
  ws::screen().mouseButton(0, true, p.x, p.y);
  pump();
  ASSERT_EQ(timeline.scrubbing, 1);
  ASSERT_NE(timeline.frameAtClientX(60), timeline.frameAtClientX(150));

  // Moves that arrive faster than frames are drawn: only the last one costs a host frame.
  input.frames.clear();
  for (int x = 60; x <= 150; x += 10) p = onRuler(x), ws::screen().mouseMove(p.x, p.y);
  pump();
  EXPECT_EQ(input.frames, std::vector<int>{timeline.frameAtClientX(150)});
  EXPECT_EQ(show->currentTime, timeline.frameAtClientX(150));

  // Moves that come one at a time are each shown.
  input.frames.clear();
  for (int x : {120, 90}) p = onRuler(x), ws::screen().mouseMove(p.x, p.y), pump();
  EXPECT_EQ(input.frames, (std::vector<int>{timeline.frameAtClientX(120), timeline.frameAtClientX(90)}));
  ws::screen().mouseButton(0, false, p.x, p.y);
  pump();
  EXPECT_EQ(show->currentTime, timeline.frameAtClientX(90));
}
