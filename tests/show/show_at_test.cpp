#include <gtest/gtest.h>

#include "tests/show/show_test_support.h"

using namespace testshow;

TEST(ShowAt, LimitsTheTimeAndFillsTheWorkingStates) {
  auto show = makeShow();
  RecordingViews views;
  addPictures(*show, 2);
  show->setViews(&views);
  show->showLength = 100;
  setTrack(*show, 1, {0, 10});
  show->slots[1].keys[1].x = 100;
  views.states[2].x = -1;  // not a picture in use: left alone

  show->showAt(-5, false);
  EXPECT_EQ(show->currentTime, 0);
  EXPECT_TRUE(views.calls.empty());
  show->showAt(5, true);
  EXPECT_EQ(show->currentTime, 5);
  EXPECT_FLOAT_EQ(views.states[1].x, 37.5f);
  EXPECT_EQ(views.states[0].x, 0.0f);
  EXPECT_EQ(views.states[2].x, -1.0f);
  EXPECT_EQ(views.calls, (std::vector<std::string>{"stage", "timeline"}));
  show->showAt(110, false);
  EXPECT_EQ(show->currentTime, 100);
  EXPECT_EQ(views.states[1].x, 100.0f);
  show->setViews(nullptr);
}

TEST(ShowAt, StateAtTakesHalfFrames) {
  auto show = makeShow();
  addPictures(*show, 1);
  setTrack(*show, 0, {0, 10});
  show->slots[0].keys[0].easeCode = 4001;
  show->slots[0].keys[1].x = 100;
  KeyFrame out;
  out.reserved1 = 5;
  show->stateAt(out, 0, 3, true);
  EXPECT_FLOAT_EQ(out.x, 35.0f);
  EXPECT_EQ(out.reserved1, 0u);
  KeyFrame untouched;
  untouched.x = 8;
  show->stateAt(untouched, 32, 3, false);
  EXPECT_EQ(untouched.x, 8.0f);
}
