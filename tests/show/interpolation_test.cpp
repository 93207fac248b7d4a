#include "show/interpolation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

KeyFrame key(int time, float x, float easeCode = 0) {
  KeyFrame k;
  k.time = time;
  k.x = x;
  k.easeCode = easeCode;
  return k;
}

double xAt(const std::vector<KeyFrame>& keys, int t, bool half = false, int mode = kEaseEnds) {
  return interpolate(int(keys.size()), keys.data(), kFieldX, t, half, mode);
}

}  // namespace

TEST(Ease, EndsAtRestAndMeetsTheMiddle) {
  // The quarter turn is 1.5707, so the rest at the ends holds to within 1e-6.
  EXPECT_NEAR(ease(0.0f, 0.5f, 0.5f), 0.0, 1e-6);
  EXPECT_NEAR(ease(0.5f, 0.5f, 0.5f), 0.5, 1e-12);
  EXPECT_NEAR(ease(1.0f, 0.5f, 0.5f), 1.0, 1e-6);
  // No ease-in and no ease-out part leaves the parameter as it is.
  EXPECT_NEAR(ease(0.3f, 0.0f, 1.0f), double(0.3f), 1e-12);
  // Easing in over the whole segment and out over the whole segment.
  EXPECT_NEAR(ease(0.25f, 1.0f, 1.0f), 0.07614811690109125, 1e-9);
  EXPECT_NEAR(ease(0.25f, 0.0f, 0.0f), 0.3826611836655681, 1e-9);
}

TEST(Interpolate, OneKeyHoldsItsValueEverywhere) {
  const std::vector<KeyFrame> keys{key(0, 42.5f)};
  EXPECT_EQ(xAt(keys, -5), 42.5);
  EXPECT_EQ(xAt(keys, 0), 42.5);
  EXPECT_EQ(xAt(keys, 1000, true), 42.5);
}

TEST(Interpolate, TwoKeysEaseInAndOutAlongTheLastSegmentCurve) {
  const std::vector<KeyFrame> keys{key(0, 0), key(10, 100)};
  EXPECT_NEAR(xAt(keys, 0), 0.0, 1e-6);
  // R = 0.5 on a2 = 200, a3 = -100: 37.5, not the straight 50.
  EXPECT_NEAR(xAt(keys, 5), 37.5, 1e-9);
  EXPECT_NEAR(xAt(keys, 2), 1.737252787367402, 1e-9);
  EXPECT_NEAR(xAt(keys, 5, true), 47.53457735503377, 1e-9);
  EXPECT_EQ(xAt(keys, 10), 100.0);
  EXPECT_EQ(xAt(keys, 11), 100.0);
  EXPECT_EQ(xAt(keys, 500, true), 100.0);
}

TEST(Interpolate, LinearStraightKeyCode) {
  // 4001: no easing, odd: straight lines.
  const std::vector<KeyFrame> keys{key(0, 0, 4001), key(10, 100)};
  EXPECT_NEAR(xAt(keys, 3), 30.0, 1e-9);
  EXPECT_NEAR(xAt(keys, 7), 70.0, 1e-9);
  // Half a frame later: s at Ti is 0.5 / Di.
  EXPECT_NEAR(xAt(keys, 0, true), 5.0, 1e-9);
  EXPECT_NEAR(xAt(keys, 3, true), 35.0, 1e-9);
}

TEST(Interpolate, KeyCodeSpeedShortensTheEase) {
  // 2050: ease in only, speed 0.5 (the ease-in part ends half way).
  const std::vector<KeyFrame> keys{key(0, 0, 2050), key(10, 100)};
  EXPECT_NEAR(xAt(keys, 3), 4.730881445483965, 1e-9);
}

TEST(Interpolate, KeyCodeSpeedAboveOneMeansNoEasing) {
  // 1150 asks for in & out at speed 1.5; taken as speed 1 the segment is not eased, so R = s and
  // the last-segment cubic gives 200 s^2 - 100 s^3: 0 at the key, 7.2 at s = 0.2, 37.5 half way.
  // (At speed 1.5 the segment would start at about 1.14, away from its key.)
  const std::vector<KeyFrame> keys{key(0, 0, 1150), key(10, 100)};
  EXPECT_EQ(xAt(keys, 0), 0.0);
  EXPECT_NEAR(xAt(keys, 2), 7.2, 1e-5);
  EXPECT_NEAR(xAt(keys, 5), 37.5, 1e-5);
  // 2150: ease in at speed 1.5, the same as no easing.
  const std::vector<KeyFrame> in{key(0, 0, 2150), key(10, 100)};
  EXPECT_NEAR(xAt(in, 2), 7.2, 1e-5);
}

TEST(Interpolate, HoldModeSteps) {
  const std::vector<KeyFrame> keys{key(0, 0), key(10, 100), key(20, 50)};
  EXPECT_EQ(xAt(keys, 9, false, kEaseHold), 0.0);
  EXPECT_EQ(xAt(keys, 9, true, kEaseHold), 0.0);
  EXPECT_EQ(xAt(keys, 10, false, kEaseHold), 100.0);
  EXPECT_EQ(xAt(keys, 19, false, kEaseHold), 100.0);
  EXPECT_EQ(xAt(keys, 20, false, kEaseHold), 50.0);
}

TEST(Interpolate, TensionFlattensWhereAShortStepMeetsALongOne) {
  // Steps of 2 and 100 units: tension 3 * 2 / 100 = 0.06 at the middle key, so the first segment's
  // end tangent is 0.06 * 102 / 2 = 3.06 (a2 = 2.94, a3 = -0.94).
  const std::vector<KeyFrame> keys{key(0, 0, 4000), key(10, 2, 4000), key(20, 102, 4000)};
  EXPECT_NEAR(xAt(keys, 5), 0.6175, 1e-9);
  // The last segment starts with the carried tangent 3.06.
  EXPECT_NEAR(xAt(keys, 15), 39.8825, 1e-9);
}

TEST(Interpolate, DefaultEndsModeEasesOnlyTheOuterSegments) {
  const std::vector<KeyFrame> keys{key(0, 0), key(10, 100), key(20, 200), key(30, 300)};
  EXPECT_NEAR(xAt(keys, 3), 2.247661991614607, 1e-9);
  EXPECT_NEAR(xAt(keys, 15), 150.0, 1e-9);
  EXPECT_NEAR(xAt(keys, 27), 289.0975901646286, 1e-9);
}

TEST(Interpolate, InAndOutModesPickTheirSegments) {
  const std::vector<KeyFrame> keys{key(0, 0), key(10, 100), key(20, 50)};
  EXPECT_NEAR(xAt(keys, 5, false, kEaseIn), 19.198126451387143, 1e-9);
  EXPECT_NEAR(xAt(keys, 15, false, kEaseIn), 84.375, 1e-9);
  EXPECT_NEAR(xAt(keys, 5, false, kEaseOut), 46.875, 1e-9);
  EXPECT_NEAR(xAt(keys, 15, false, kEaseOut), 69.19671561410614, 1e-9);
  EXPECT_NEAR(xAt(keys, 5, false, kEaseEnds | kModeStraight), 29.292727629852234, 1e-9);
}

TEST(Interpolate, BeforeTheFirstKeyRestsAtTheFirstKey) {
  const std::vector<KeyFrame> keys{key(10, 5), key(20, 100)};
  EXPECT_EQ(xAt(keys, 0), 5.0);
  EXPECT_EQ(xAt(keys, 9, true), 5.0);
}

TEST(Interpolate, KeysAtTheSameTimeNeverDivideByZero) {
  const std::vector<KeyFrame> keys{key(0, 0), key(10, 10), key(10, 20), key(20, 30)};
  for (int t = 0; t <= 25; ++t) EXPECT_TRUE(std::isfinite(xAt(keys, t, true))) << t;
  EXPECT_EQ(xAt(keys, 20), 30.0);
}

TEST(TrackState, FieldsAndModes) {
  KeyFrame a = key(0, 0);
  a.y = 10;
  a.width = 100;
  a.height = 50;
  a.rotation = 0;
  a.amount = 0;
  a.reserved1 = 77;
  KeyFrame b = key(10, 100);
  b.y = 10;
  b.width = 200;
  b.height = 50;
  b.rotation = 90;
  b.amount = 100;
  b.easeCode = 1002;
  const KeyFrame keys[] = {a, b};
  const KeyFrame s = trackStateAt(2, keys, 5, false);
  EXPECT_FLOAT_EQ(s.x, 37.5f);
  EXPECT_FLOAT_EQ(s.y, 10.0f);
  EXPECT_FLOAT_EQ(s.width, 137.5f);
  EXPECT_FLOAT_EQ(s.amount, 37.5f);
  // Rotation follows straight lines with the same easing: 90 * R.
  EXPECT_FLOAT_EQ(s.rotation, 45.0f);
  EXPECT_EQ(s.easeCode, 0.0f);
  EXPECT_EQ(s.reserved1, 0u);
  EXPECT_EQ(s.time, 0);
  EXPECT_EQ(trackStateAt(2, keys, 10, false).easeCode, 1002.0f);

  // A key's own code overrides the straight lines as well: 4000 is even, so rotation curves too.
  KeyFrame coded[] = {a, b};
  coded[0].easeCode = 4000;
  const KeyFrame c = trackStateAt(2, coded, 5, false);
  EXPECT_FLOAT_EQ(c.rotation, 33.75f);
  EXPECT_EQ(c.easeCode, 4000.0f);
}

TEST(MotionPath, SixteenSamplesPerSegment) {
  const std::vector<KeyFrame> keys{key(0, 0), key(10, 100), key(30, 100)};
  const auto path = sampleMotionPath(3, keys.data(), kEaseEnds);
  ASSERT_EQ(path.size(), 2u);
  const int frames[16] = {0, 1, 1, 2, 3, 3, 4, 5, 5, 6, 6, 7, 8, 8, 9, 10};
  for (int j = 0; j < 16; ++j) {
    EXPECT_EQ(path[0].points[j].frame, frames[j]) << j;
    EXPECT_EQ(path[0].points[j].x, xAt(keys, frames[j])) << j;
  }
  EXPECT_EQ(path[1].startFrame, 10);
  EXPECT_EQ(path[1].startX, 100.0);
  EXPECT_EQ(path[1].points[0].frame, 11);  // 10 + trunc(0.0625 * 20)
  EXPECT_EQ(path[1].points[15].frame, 30);
  EXPECT_TRUE(sampleMotionPath(1, keys.data(), kEaseEnds).empty());
}
