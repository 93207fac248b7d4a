#include <gtest/gtest.h>

#include "tests/show/show_test_support.h"

using namespace testshow;

namespace {

struct KeyEditing : ::testing::Test {
  HookScope ui;
  RecordingViews views;
  std::unique_ptr<ShowState> show = makeShow();

  void SetUp() override {
    addPictures(*show, 2);
    show->setViews(&views);
    show->frameRate = 2997;
    show->showLength = 300;
    show->autoAddKeys = 1;
  }
  void TearDown() override { show->setViews(nullptr); }
  PictureSlot& track() { return show->slots[show->currentPicture]; }
};

}  // namespace

TEST_F(KeyEditing, SnapDistanceFollowsTheTimelineScale) {
  show->setViews(nullptr);
  EXPECT_EQ(show->keySnapDistance(), 4);
  show->setViews(&views);
  views.scale = 30;
  EXPECT_EQ(show->keySnapDistance(), 4);
  views.scale = 60;
  EXPECT_EQ(show->keySnapDistance(), 8);
  views.scale = 22;  // 2.93 frames
  EXPECT_EQ(show->keySnapDistance(), 2);
  views.scale = 5;
  EXPECT_EQ(show->keySnapDistance(), 2);
}

TEST_F(KeyEditing, LockedPictureTakesNoKey) {
  track().lock = 1;
  show->currentTime = 100;
  show->modified = 0;
  EXPECT_EQ(show->setKeyNow(), 0);
  EXPECT_EQ(track().keyCount, 1);
  EXPECT_EQ(show->undoCount, 0);
  EXPECT_EQ(show->modified, 0);
  EXPECT_EQ(ui.hooks.beeps, 0);
}

TEST_F(KeyEditing, NearTheStartTheFirstKeyChanges) {
  track().keys[0].reserved9 = 0xABCD;
  track().keys[0].easeCode = 1000;
  show->currentTime = 3;
  views.states[0].x = 77;
  views.states[0].tag = 9;
  views.states[0].flags = 5;
  views.states[0].easeCode = 2000;
  EXPECT_EQ(show->setKeyNow(), 0);
  ASSERT_EQ(track().keyCount, 1);
  const KeyFrame& k = track().keys[0];
  EXPECT_EQ(k.x, 77.0f);
  EXPECT_EQ(k.time, 0);
  EXPECT_EQ(k.tag, 9);
  EXPECT_EQ(k.flags, 0);
  EXPECT_EQ(k.easeCode, 2000.0f);  // a changed key takes the stage's ease code
  EXPECT_EQ(k.reserved9, 0xABCDu);
  // The earlier record waits in the ring under the key's index.
  EXPECT_EQ(show->undoRing[show->undoPosition].flags, 0);
  EXPECT_EQ(show->undoRing[show->undoPosition].x, 0.0f);
  // Auto-add on and a key changed: silent.
  EXPECT_EQ(ui.hooks.beeps, 0);
}

TEST_F(KeyEditing, AddingAKeyAtTheEndOfTheShow) {
  show->currentTime = 1000;
  views.states[0].x = 50;
  views.states[0].easeCode = 3000;
  track().keys[0].reserved9 = 42;
  views.calls.clear();
  EXPECT_EQ(show->setKeyNow(), 1);
  ASSERT_EQ(track().keyCount, 2);
  EXPECT_EQ(track().keys[1].time, 299);
  EXPECT_EQ(track().keys[1].easeCode, 0.0f);
  EXPECT_EQ(track().keys[1].reserved9, 42u);
  EXPECT_EQ(show->undoRing[show->undoPosition].flags, 160);
  EXPECT_EQ(show->undoRing[show->undoPosition].tag, 0);
  EXPECT_EQ(ui.hooks.beeps, 1);
  EXPECT_EQ(show->currentTime, 299);
  EXPECT_EQ(show->modified, 1);
  // The stage and then the timeline show the new key.
  EXPECT_EQ(views.calls, (std::vector<std::string>{"stage", "timeline"}));
}

TEST_F(KeyEditing, WithoutAutoAddTheTimeMovesOnBySecond) {
  show->autoAddKeys = 0;
  show->currentTime = 100;
  EXPECT_EQ(show->setKeyNow(), 1);
  EXPECT_EQ(track().keys[1].time, 100);
  EXPECT_EQ(show->currentTime, 130);
  EXPECT_EQ(ui.hooks.beeps, 1);
  // Changing a key that is not the first leaves the time where it is, and beeps.
  show->currentTime = 102;
  EXPECT_EQ(show->setKeyNow(), 0);
  EXPECT_EQ(track().keys[1].time, 100);
  EXPECT_EQ(show->currentTime, 102);
  EXPECT_EQ(ui.hooks.beeps, 2);
}

TEST_F(KeyEditing, ATrackOf127KeysTakesNoMore) {
  std::vector<int> times;
  for (int i = 0; i < 127; ++i) times.push_back(i * 10);
  show->showLength = 2000;
  setTrack(*show, 0, times);
  show->currentTime = 1500;
  EXPECT_EQ(show->setKeyNow(), 0);
  EXPECT_EQ(track().keyCount, 127);
  EXPECT_EQ(show->undoCount, 0);
  // An existing key still changes.
  views.states[0].x = 9;
  show->currentTime = 502;
  EXPECT_EQ(show->setKeyNow(), 0);
  EXPECT_EQ(track().keys[50].x, 9.0f);
  EXPECT_EQ(track().keys[50].time, 500);
}

TEST_F(KeyEditing, UndoRemovesAnAddedKeyAndRedoBringsItBack) {
  show->currentTime = 100;
  views.states[0].x = 123;
  ASSERT_EQ(show->setKeyNow(), 1);
  ASSERT_EQ(track().keyCount, 2);
  show->undo();
  EXPECT_EQ(track().keyCount, 1);
  EXPECT_EQ(show->undoCount, 0);
  EXPECT_EQ(show->redoCount, 1);
  show->redo();
  ASSERT_EQ(track().keyCount, 2);
  EXPECT_EQ(track().keys[1].time, 100);
  EXPECT_EQ(track().keys[1].x, 123.0f);
  EXPECT_EQ(track().keys[1].flags, 0);
  show->undo();
  EXPECT_EQ(track().keyCount, 1);
  // Nothing left to undo: nothing happens.
  show->undo();
  EXPECT_EQ(track().keyCount, 1);
  EXPECT_EQ(show->undoCount, 0);
}

TEST_F(KeyEditing, UndoRestoresAChangedKeyAndADeletedOne) {
  setTrack(*show, 0, {0, 50, 100});
  show->currentTime = 51;
  views.states[0].x = -5;
  ASSERT_EQ(show->setKeyNow(), 0);
  EXPECT_EQ(track().keys[1].x, -5.0f);
  show->undo();
  EXPECT_EQ(track().keys[1].x, 10.0f);
  show->redo();
  EXPECT_EQ(track().keys[1].x, -5.0f);

  show->deleteKey(1, 0);
  ASSERT_EQ(track().keyCount, 2);
  EXPECT_EQ(track().keys[1].time, 100);
  show->undo();
  ASSERT_EQ(track().keyCount, 3);
  EXPECT_EQ(track().keys[1].time, 50);
  EXPECT_EQ(track().keys[1].x, -5.0f);
  EXPECT_EQ(track().keys[2].time, 100);
}

TEST_F(KeyEditing, TheRingKeeps32EntriesAndWrapsBothWays) {
  for (int i = 0; i < 33; ++i) {
    KeyFrame k;
    k.time = 1000 + i;
    show->pushUndo(k, 200, 1);  // a code that applies to nothing
  }
  EXPECT_EQ(show->undoCount, 32);
  EXPECT_EQ(show->undoPosition, 0);
  // The 33rd entry overwrote the first.
  EXPECT_EQ(show->undoRing[0].time, 1032);
  EXPECT_EQ(show->undoRing[1].time, 1001);
  EXPECT_EQ(show->undoRing[0].tag, 1);
  EXPECT_EQ(show->undoRing[0].flags, 200);
  show->undo();
  EXPECT_EQ(show->undoPosition, 31);
  EXPECT_EQ(show->undoCount, 31);
  show->redo();
  EXPECT_EQ(show->undoPosition, 0);
  EXPECT_EQ(show->undoCount, 32);
  EXPECT_EQ(show->redoCount, 0);
  // Pictures beyond the slots are not recorded.
  show->pushUndo(KeyFrame{}, 0, 32);
  EXPECT_EQ(show->undoPosition, 0);
}

TEST_F(KeyEditing, RedoAtPosition31AppliesTheEntryAtPosition0) {
  setTrack(*show, 0, {0, 10});
  // Fill positions 0..31 with harmless entries, then put a real change at 0 by wrapping.
  for (int i = 0; i < 32; ++i) show->pushUndo(KeyFrame{}, 200, 0);
  KeyFrame earlier = track().keys[1];
  earlier.x = 999;
  show->pushUndo(earlier, 1, 0);
  ASSERT_EQ(show->undoPosition, 0);
  show->undo();
  EXPECT_EQ(track().keys[1].x, 999.0f);
  EXPECT_EQ(show->undoPosition, 31);
  show->redo();
  EXPECT_EQ(show->undoPosition, 0);
  EXPECT_EQ(track().keys[1].x, 10.0f);
}

TEST_F(KeyEditing, ANewEditEndsTheRedoHistory) {
  setTrack(*show, 0, {0, 10, 20});
  show->pushUndo(track().keys[1], 1, 0);
  track().keys[1].x = 1;
  show->undo();
  EXPECT_EQ(show->redoCount, 1);
  show->pushUndo(track().keys[2], 2, 0);
  EXPECT_EQ(show->redoCount, 0);
  const KeyFrame before = track().keys[0];
  show->redo();
  EXPECT_EQ(track().keys[0].x, before.x);
  EXPECT_EQ(show->undoPosition, 0);
}

TEST_F(KeyEditing, DeleteKeyIgnoresKeysBeyondTheTrack) {
  setTrack(*show, 0, {0, 10});
  show->deleteKey(5, 0);
  show->deleteKey(-1, 0);
  show->deleteKey(0, 32);
  EXPECT_EQ(track().keyCount, 2);
  EXPECT_EQ(show->undoCount, 0);
}

TEST_F(KeyEditing, UndoingADeletionIntoAFullTrackWaits) {
  std::vector<int> times;
  for (int i = 0; i < 128; ++i) times.push_back(i);
  setTrack(*show, 0, times);
  KeyFrame lost;
  lost.time = 500;
  show->pushUndo(lost, 161, 0);
  show->undo();
  EXPECT_EQ(track().keyCount, 128);
  EXPECT_EQ(show->undoRing[0].flags, 161);
}

TEST_F(KeyEditing, SortKeepsEqualTimesInOrder) {
  setTrack(*show, 0, {30, 10, 20, 10, 0});
  show->sortKeys(0);
  const int times[] = {0, 10, 10, 20, 30};
  const float xs[] = {40, 10, 30, 20, 0};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(track().keys[i].time, times[i]) << i;
    EXPECT_EQ(track().keys[i].x, xs[i]) << i;
  }
}

TEST_F(KeyEditing, FindKeyNearLooksFourFramesEachWay) {
  setTrack(*show, 0, {0, 97});
  EXPECT_EQ(show->findKeyNear(100), 1);
  setTrack(*show, 0, {0, 103});
  EXPECT_EQ(show->findKeyNear(100), 1);
  setTrack(*show, 0, {0, 96, 104});
  EXPECT_EQ(show->findKeyNear(100), -1);
  EXPECT_EQ(show->findKeyNear(2), 0);
}

TEST_F(KeyEditing, ShiftKeysMovesLaterKeysWithinTheShow) {
  setTrack(*show, 0, {0, 5, 10, 20, 60, 290});
  EXPECT_EQ(show->shiftKeys(10, -50), 1);
  const int times[] = {0, 5, 10, 0, 10, 240};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(track().keys[i].time, times[i]) << i;
  EXPECT_EQ(show->undoCount, 3);
  show->shiftKeys(100, 100);
  EXPECT_EQ(track().keys[5].time, 300);
  // Each moved key can be put back.
  show->undo();
  EXPECT_EQ(track().keys[5].time, 240);
}

TEST_F(KeyEditing, NearTheStartKeyZeroChangesEvenWithAKeyAtTheCurrentTime) {
  setTrack(*show, 0, {0, 3, 50});
  show->currentTime = 3;
  views.states[0].x = 64;
  EXPECT_EQ(show->setKeyNow(), 0);
  ASSERT_EQ(track().keyCount, 3);
  EXPECT_EQ(track().keys[0].x, 64.0f);
  EXPECT_EQ(track().keys[0].time, 0);
  EXPECT_EQ(track().keys[1].x, 10.0f);
  EXPECT_EQ(track().keys[1].time, 3);
  // Without auto-add, changing the first key moves the time on by a second as well.
  show->autoAddKeys = 0;
  show->currentTime = 3;
  EXPECT_EQ(show->setKeyNow(), 0);
  EXPECT_EQ(show->currentTime, 33);
}

TEST_F(KeyEditing, UndoAndRedoOfAnAddedKeyStayWithItsPicture) {
  show->setCurrentPicture(1);
  // The stage's working state carries 0 in its first half-word, as the states it interpolates do.
  views.states[1].x = 55;
  views.states[1].tag = 0;
  show->currentTime = 100;
  ASSERT_EQ(show->setKeyNow(), 1);
  ASSERT_EQ(show->slots[1].keyCount, 2);
  show->undo();
  EXPECT_EQ(show->slots[1].keyCount, 1);
  EXPECT_EQ(show->undoRing[0].tag, 1);
  EXPECT_EQ(show->undoRing[0].flags, 161);
  show->redo();
  ASSERT_EQ(show->slots[1].keyCount, 2);
  EXPECT_EQ(show->slots[1].keys[1].time, 100);
  EXPECT_EQ(show->slots[1].keys[1].x, 55.0f);
  EXPECT_EQ(show->slots[0].keyCount, 1);
}
