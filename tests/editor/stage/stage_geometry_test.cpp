#include "editor/stage/stage_geometry.h"

#include <gtest/gtest.h>

namespace {
KeyFrame picture(float x, float y, float w, float h, float rotation = 0) {
  KeyFrame k;
  k.x = x, k.y = y, k.width = w, k.height = h, k.rotation = rotation;
  return k;
}
}  // namespace

TEST(StageGeometry, FrameIsCentredButNeverLeftOfOrAboveTheClient) {
  EXPECT_EQ(stageFrameRect(1000, 600, 640, 480, 1.0f), (ws::Rect{180, 60, 820, 540}));
  EXPECT_EQ(stageFrameRect(621, 461, 640, 480, 1.0f), (ws::Rect{0, 0, 640, 480}));
  EXPECT_EQ(stageFrameRect(621, 461, 640, 480, 0.5f), (ws::Rect{150, 110, 470, 350}));
  EXPECT_EQ(stageFrameRect(621, 461, 853, 480, 0.75f), (ws::Rect{0, 50, 639, 410}));
}

TEST(StageGeometry, CornersTurnClockwiseOnScreenAndRoundHalfUp) {
  const PictureGeometry g = pictureGeometry(picture(100, 50, 40, 20, 90), 1.0f, 10, 0);
  EXPECT_EQ(g.centre, (ws::Point{110, 50}));
  EXPECT_EQ(g.halfWidth, 20);
  EXPECT_EQ(g.halfHeight, 10);
  // The top-left corner (-20, -10) turned by 90 degrees lies near (+10, -20) from the centre; with
  // 0.5 added, -19.5 truncates toward zero to -19.
  EXPECT_EQ(g.corners[0], (ws::Point{120, 31}));
  EXPECT_EQ(g.corners[2], (ws::Point{101, 70}));
  EXPECT_EQ(g.rotateHandle, (ws::Point{113, 38}));
  EXPECT_EQ(rotatePoint({7, 0}, {0, 0}, 180), (ws::Point{-6, 0}));  // -7 + 0.5 truncates to -6
}

TEST(StageGeometry, ToleranceIsASixthOfTheHalfWidthAndAtLeastFour) {
  EXPECT_EQ(hitTolerance(pictureGeometry(picture(0, 0, 48, 48), 1.0f, 0, 0)), 4);
  EXPECT_EQ(hitTolerance(pictureGeometry(picture(0, 0, 240, 240), 1.0f, 0, 0)), 20);
  EXPECT_EQ(hitTolerance(pictureGeometry(picture(0, 0, 240, 240), 0.5f, 0, 0)), 10);
  EXPECT_EQ(hitTolerance(pictureGeometry(picture(0, 0, 8, 8), 1.0f, 0, 0)), 4);
}

TEST(StageGeometry, HitsCornersThenTheCentralSquare) {
  const PictureGeometry g = pictureGeometry(picture(200, 200, 240, 120), 1.0f, 0, 0);
  // The first corner (-120, -60) from the centre: with 0.5 added the offsets truncate to -119, -59.
  EXPECT_EQ(g.corners[0], (ws::Point{81, 141}));
  EXPECT_EQ(hitPicture(g, 81, 141), 9);
  EXPECT_EQ(hitPicture(g, 81 - 20, 141 - 20), 9);
  EXPECT_EQ(hitPicture(g, 81 - 21, 141), 0);
  EXPECT_EQ(hitPicture(g, 320, 140), 10);
  EXPECT_EQ(hitPicture(g, 320, 260), 10);
  EXPECT_EQ(hitPicture(g, 80, 260), 10);
  // The move square is the half height on both axes: 140..260 across, not the picture's width.
  EXPECT_EQ(hitPicture(g, 140, 200), 8);
  EXPECT_EQ(hitPicture(g, 260, 260 - 21), 8);
  EXPECT_EQ(hitPicture(g, 139, 200), 0);
  EXPECT_EQ(hitPicture(g, 300, 200), 0);
}

TEST(StageGeometry, CentralBoxIsHalfTheUnturnedPicture) {
  const KeyFrame k = picture(100, 100, 80, 40, 45);
  EXPECT_TRUE(inCentralBox(k, 1.0f, 0, 0, 120, 110));
  EXPECT_FALSE(inCentralBox(k, 1.0f, 0, 0, 121, 100));
  EXPECT_FALSE(inCentralBox(k, 1.0f, 0, 0, 100, 111));
  EXPECT_TRUE(inCentralBox(k, 0.5f, 0, 0, 60, 55));
}

TEST(StageGeometry, SliderReachesOneHundredAtSeventySevenPixels) {
  EXPECT_EQ(sliderValue(0), 0);
  EXPECT_EQ(sliderValue(-12), 0);
  EXPECT_EQ(sliderValue(76), 98);
  EXPECT_EQ(sliderValue(77), 100);
  EXPECT_EQ(sliderValue(99), 100);
}

TEST(StageGeometry, SizeStepMeasuresThePointerInThePicturesOwnAxes) {
  KeyFrame k = picture(100, 100, 50, 50, 90);
  // Turned by 90 degrees, a pointer 40 pixels below the centre lies along the picture's width.
  sizeStep(k, 1.0f, {100, 100}, 100, 140, 0.5, false);
  EXPECT_FLOAT_EQ(k.width, 80.0f);
  EXPECT_FLOAT_EQ(k.height, 40.0f);
  sizeStep(k, 0.5f, {100, 100}, 130, 110, 0.5, true);
  EXPECT_FLOAT_EQ(k.width, 40.0f);
  EXPECT_FLOAT_EQ(k.height, 116.0f);
}

TEST(StageGeometry, ShiftKeepsAMoveOnItsMainAxisAndATurnAtZero) {
  KeyFrame k = picture(100, 100, 50, 50);
  moveStep(k, 0.5f, 80, 55, 0, 0, 50, 50, true);
  EXPECT_FLOAT_EQ(k.x, 160.0f);
  EXPECT_FLOAT_EQ(k.y, 100.0f);
  moveStep(k, 0.5f, 52, 70, 0, 0, 50, 50, true);
  EXPECT_FLOAT_EQ(k.x, 100.0f);
  EXPECT_FLOAT_EQ(k.y, 140.0f);
  rotateStep(k, 90, 30, false);
  EXPECT_FLOAT_EQ(k.rotation, 30.0f);
  rotateStep(k, 90, 30, true);
  EXPECT_FLOAT_EQ(k.rotation, 0.0f);
}

TEST(StageGeometry, TvSafeInsetsTruncate) {
  const TvSafeGuides g = tvSafeGuides({10, 20, 650, 500});
  EXPECT_EQ(g.inner, (ws::Rect{10 + 61, 20 + 46, 650 - 61, 500 - 46}));
  EXPECT_EQ(g.outer, (ws::Rect{10 + 30, 20 + 23, 650 - 30, 500 - 23}));
  EXPECT_EQ(g.cornerSize, 64);
}
