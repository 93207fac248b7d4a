// The mouse on the timeline as a user works it: hitting keys, scrubbing, dragging, deleting and
// shifting keys, reordering rows, and the right button's options.
#include <cstring>

#include "editor/timeline/timeline_geometry.h"
#include "platform/dialogs.h"
#include "tests/editor/timeline/timeline_test_support.h"

namespace {

class TimelineMouseTest : public TimelineTest {
 protected:
  void SetUp() override {
    TimelineTest::SetUp();
    addPictures(1);
    setKeys(0, {0, 30, 60, 90});
    open(1800);
  }
};

TEST_F(TimelineMouseTest, KeysAreHitOnTheRowOnlyNotOnTheRulerNorBelowIt) {
  // On the ruler a press scrubs.
  press(x(60), 10);
  EXPECT_EQ(timeline->hitKeyIndex, -1);
  EXPECT_EQ(timeline->scrubbing, 1);
  release(x(60), 10);
  EXPECT_EQ(timeline->scrubbing, 0);
  EXPECT_EQ(show->currentTime, 60);

  press(x(60), 14);
  EXPECT_EQ(timeline->hitKeyIndex, 2);
  release(x(60), 14);
  press(x(60) + 12, 30);  // 6 frames off at scale 30
  EXPECT_EQ(timeline->hitKeyIndex, 2);
  release(x(60), 30);  // back where it was: the key stays
  press(x(60) + 14, 30);  // 7 frames off
  EXPECT_EQ(timeline->hitKeyIndex, -1);
  release(x(60) + 14, 30);
  EXPECT_EQ(show->currentTime, 67);
  press(x(60), 31);
  EXPECT_EQ(timeline->hitKeyIndex, -1);
  EXPECT_EQ(timeline->scrubbing, 1);
  release(x(60), 31);
  EXPECT_EQ(keyTime(0, 2), 60);
}

TEST_F(TimelineMouseTest, ScrubbingFollowsThePointerAndTheReleaseSetsTheTime) {
  press(x(100), 10);
  moveTo(x(200), 10);
  EXPECT_EQ(show->currentTime, 200);
  moveTo(x(150), 10);
  EXPECT_EQ(show->currentTime, 150);
  release(x(120), 10);
  EXPECT_EQ(show->currentTime, 120);
  // Left of frame 0 is frame 0.
  drag(x(50), 10, 1, 10);
  EXPECT_EQ(show->currentTime, 0);
}

TEST_F(TimelineMouseTest, DraggingAKeyToTheVeryStartDeletesItNearItKeepsIt) {
  ASSERT_EQ(timeline->timeScale, 30);
  drag(x(90), kRowY, x(5), kRowY);
  ASSERT_EQ(show->slots[0].keyCount, 4);
  EXPECT_EQ(keyTime(0, 1), 5);
  EXPECT_EQ(keyTime(0, 2), 30);
  EXPECT_EQ(keyTime(0, 3), 60);

  // Key 3 is now the one at 60; frame 2 lies below min(30 / 2, 5).
  drag(x(60), kRowY, x(2), kRowY);
  ASSERT_EQ(show->slots[0].keyCount, 3);
  EXPECT_EQ(keyTime(0, 0), 0);
  EXPECT_EQ(keyTime(0, 1), 5);
  EXPECT_EQ(keyTime(0, 2), 30);
  EXPECT_EQ(show->currentTime, 2);
}

TEST_F(TimelineMouseTest, TheDeletedKeyIsTheDraggedOneAndUndoPutsItBack) {
  const KeyFrame dragged = show->slots[0].keys[2];
  drag(x(60), kRowY, x(1), kRowY);
  ASSERT_EQ(show->slots[0].keyCount, 3);
  EXPECT_EQ(keyTime(0, 1), 30);
  EXPECT_EQ(keyTime(0, 2), 90);
  show->undo();
  ASSERT_EQ(show->slots[0].keyCount, 4);
  EXPECT_EQ(keyTime(0, 2), 60);
  EXPECT_EQ(show->slots[0].keys[2].x, dragged.x);
}

TEST_F(TimelineMouseTest, UndoAfterADragPutsTheKeyBackAndRedoMovesItAgain) {
  const KeyFrame before = show->slots[0].keys[1];
  drag(x(30), kRowY, x(45), kRowY);
  EXPECT_EQ(keyTime(0, 1), 45);
  EXPECT_EQ(show->undoCount, 1);
  show->undo();
  EXPECT_EQ(keyTime(0, 1), 30);
  EXPECT_EQ(show->slots[0].keys[1].x, before.x);
  show->redo();
  EXPECT_EQ(keyTime(0, 1), 45);
}

TEST_F(TimelineMouseTest, UndoingADragPastAnotherKeyLosesNoKey) {
  const float xs[4] = {show->slots[0].keys[0].x, show->slots[0].keys[1].x, show->slots[0].keys[2].x, show->slots[0].keys[3].x};
  drag(x(30), kRowY, x(75), kRowY);
  ASSERT_EQ(show->slots[0].keyCount, 4);
  EXPECT_EQ(keyTime(0, 1), 60);
  EXPECT_EQ(keyTime(0, 2), 75);
  EXPECT_EQ(show->slots[0].keys[2].x, xs[1]);
  show->undo();
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(keyTime(0, k), 30 * k) << k;
    EXPECT_EQ(show->slots[0].keys[k].x, xs[k]) << k;
  }
  show->redo();
  EXPECT_EQ(keyTime(0, 1), 60);
  EXPECT_EQ(keyTime(0, 2), 75);
  EXPECT_EQ(show->slots[0].keys[2].x, xs[1]);
  EXPECT_EQ(show->slots[0].keys[1].x, xs[2]);
}

TEST_F(TimelineMouseTest, ShiftDraggingAKeyShiftsEveryLaterKeyByTheSameAmount) {
  setKeys(0, {0, 30, 60, 90, 120});
  ws::screen().keyDown(ws::VK_SHIFT);
  drag(x(60), kRowY, x(75), kRowY);
  ws::screen().keyUp(ws::VK_SHIFT);
  pump();
  EXPECT_EQ(keyTime(0, 0), 0);
  EXPECT_EQ(keyTime(0, 1), 30);
  EXPECT_EQ(keyTime(0, 2), 75);
  EXPECT_EQ(keyTime(0, 3), 105);
  EXPECT_EQ(keyTime(0, 4), 135);

  // Without Shift only the key moves.
  drag(x(75), kRowY, x(80), kRowY);
  EXPECT_EQ(keyTime(0, 2), 80);
  EXPECT_EQ(keyTime(0, 3), 105);
}

TEST_F(TimelineMouseTest, AShiftDragToTheLeftKeepsTheTrackInTimeOrder) {
  ws::screen().keyDown(ws::VK_SHIFT);
  drag(x(60), kRowY, x(20), kRowY);
  ws::screen().keyUp(ws::VK_SHIFT);
  pump();
  // 60 goes to 20 and 90 follows by -40 to 50, past the key at 30.
  EXPECT_EQ(keyTime(0, 0), 0);
  EXPECT_EQ(keyTime(0, 1), 20);
  EXPECT_EQ(keyTime(0, 2), 30);
  EXPECT_EQ(keyTime(0, 3), 50);
}

TEST_F(TimelineMouseTest, UndoingAShiftDragEitherWayGivesEveryKeyBackToTheByte) {
  // Right: 60 to 120 sends 90 and 120 to 150 and 180. Left: 90 to 20 sends 120 to 50, past 60 and
  // past the held key itself.
  const struct { int from, to, entries; } drags[] = {{60, 120, 3}, {90, 20, 2}};
  for (const auto& d : drags) {
    setKeys(0, {0, 30, 60, 90, 120});
    show->undoCount = show->redoCount = 0;
    const PictureSlot before = show->slots[0];
    ws::screen().keyDown(ws::VK_SHIFT);
    drag(x(d.from), kRowY, x(d.to), kRowY);
    ws::screen().keyUp(ws::VK_SHIFT);
    pump();
    const PictureSlot after = show->slots[0];
    ASSERT_EQ(show->undoCount, d.entries) << d.from;
    for (int i = 0; i < d.entries; ++i) show->undo();
    ASSERT_EQ(show->slots[0].keyCount, 5) << d.from;
    EXPECT_EQ(std::memcmp(show->slots[0].keys, before.keys, sizeof before.keys), 0) << d.from;
    for (int i = 0; i < d.entries; ++i) show->redo();
    ASSERT_EQ(show->slots[0].keyCount, 5) << d.from;
    EXPECT_EQ(std::memcmp(show->slots[0].keys, after.keys, sizeof after.keys), 0) << d.from;
  }
}

TEST_F(TimelineMouseTest, KeyZeroDoesNotMoveInTheCollapsedView) {
  addPictures(2);
  setKeys(0, {0, 30});
  drag(x(0), kRowY, x(40), kRowY);
  EXPECT_EQ(keyTime(0, 0), 0);
  EXPECT_EQ(keyTime(0, 1), 30);
  EXPECT_STREQ(show->slots[0].file.path, "/shows/pic0.tga");
  EXPECT_EQ(show->currentTime, 40);
}

TEST_F(TimelineMouseTest, ALockedPicturesKeysCannotBeHit) {
  show->slots[0].lock = 1;
  press(x(60), kRowY);
  EXPECT_EQ(timeline->hitKeyIndex, -1);
  EXPECT_EQ(timeline->scrubbing, 1);
  release(x(70), kRowY);
  EXPECT_EQ(keyTime(0, 2), 60);
  EXPECT_EQ(show->currentTime, 70);
}

TEST_F(TimelineMouseTest, TheStagesCancelMessageAbandonsTheDrag) {
  press(x(60), kRowY);
  ASSERT_EQ(timeline->hitKeyIndex, 2);
  moveTo(x(70), kRowY);
  sendMessage(timeline->handle(), kCancelDragMessage, 0, 0);
  EXPECT_EQ(timeline->hitKeyIndex, -1);
  release(x(80), kRowY);
  EXPECT_EQ(keyTime(0, 2), 60);
  // Nothing of the marker is left on the row once painted.
  EXPECT_EQ(pixel(x(80) - 6 + 7 - 6, kRowY), 0x00FFFFu);
}

TEST_F(TimelineMouseTest, TheCursorTellsWhatAPressWouldDo) {
  moveTo(x(45), kRowY);
  EXPECT_EQ(currentCursorKind(), 1);
  moveTo(x(30), kRowY);
  EXPECT_EQ(currentCursorKind(), 9);
  moveTo(x(0), kRowY);
  EXPECT_EQ(currentCursorKind(), 1);
  addPictures(2);
  expand();
  moveTo(x(0), rowY(0));
  EXPECT_EQ(currentCursorKind(), 13);
}

TEST_F(TimelineMouseTest, TheRightButtonsCancelledOptionsChangeNothingAndRecordNothing) {
  const KeyFrame before = show->slots[0].keys[2];
  press(x(60), kRowY, 1);
  release(x(60), kRowY, 1);
  EXPECT_EQ(std::memcmp(&show->slots[0].keys[2], &before, sizeof before), 0);
  EXPECT_EQ(show->undoCount, 0);
  EXPECT_EQ(show->currentTime, 60);
}

class TimelineRowsTest : public TimelineTest {
 protected:
  void SetUp() override {
    TimelineTest::SetUp();
    addPictures(4);
    for (int i = 0; i < 4; ++i) setKeys(i, {0, 30, 60});
    open(1800);
    expand();
  }
  std::string order() const {
    std::string names;
    for (int i = 0; i < show->pictureCount; ++i) names += show->slots[i].file.path[10];
    return names;
  }
};

TEST_F(TimelineRowsTest, DraggingKeyZeroDownAndUpReordersThePictures) {
  ASSERT_EQ(order(), "0123");
  drag(x(0), rowY(0), x(0), rowY(2));
  EXPECT_EQ(order(), "1203");
  EXPECT_EQ(show->currentPicture, 2);
  // Towards the start a picture lands after the row it is dropped on.
  drag(x(0), rowY(3), x(0), rowY(0));
  EXPECT_EQ(order(), "1320");
}

TEST_F(TimelineRowsTest, APressOnAnotherRowMakesItCurrent) {
  press(x(100), rowY(2));
  release(x(100), rowY(2));
  EXPECT_EQ(show->currentPicture, 2);
  EXPECT_EQ(show->currentTime, 100);
}

TEST_F(TimelineRowsTest, AKeyReleasedOverAnotherRowStaysInItsOwnTrack) {
  drag(x(30), rowY(0), x(45), rowY(2));
  EXPECT_EQ(keyTime(0, 1), 45);
  EXPECT_EQ(keyTime(2, 1), 30);
  EXPECT_EQ(show->currentPicture, 2);
}

TEST_F(TimelineRowsTest, WithOnePictureKeyZeroStaysPut) {
  show->pictureCount = 1;
  timeline->layout();
  pump();
  drag(x(0), rowY(0), x(0), rowY(2));
  EXPECT_EQ(order(), "0");
  EXPECT_EQ(keyTime(0, 0), 0);
}

}  // namespace
