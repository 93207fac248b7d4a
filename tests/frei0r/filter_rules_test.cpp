// The filter's rules for the hosts' values: frame numbers from times, the stage from the frame's shape,
// the field arguments and the choice texts.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cmath>
#include <limits>

#include "frei0r/filter_parameters.h"

namespace {

constexpr FrameRate k25{25, 1}, kNtsc{30000, 1001};

TEST(FrameNumber, RoundsTheTimeTimesTheRateToTheNearestFrame) {
  EXPECT_EQ(frameNumberAt(0.0, TimeUnit::seconds, k25), 0);
  EXPECT_EQ(frameNumberAt(0.5, TimeUnit::seconds, k25), 13);  // 12.5 rounds away from zero
  EXPECT_EQ(frameNumberAt(0.039, TimeUnit::seconds, k25), 1);
  EXPECT_EQ(frameNumberAt(0.019, TimeUnit::seconds, k25), 0);
  // 29.97 fps clips have frames at multiples of 1001/30000 s; the rate finds each one, also from the
  // whole nanoseconds GStreamer stamps buffers with.
  for (int frame : {1, 7, 299, 107892}) {
    EXPECT_EQ(frameNumberAt(frame * 1001.0 / 30000.0, TimeUnit::seconds, kNtsc), frame);
    EXPECT_EQ(frameNumberAt(frame * 1001.0 / 30.0, TimeUnit::milliseconds, kNtsc), frame);
    EXPECT_EQ(frameNumberAt(double(int64_t(frame) * 1001 * 1000000000 / 30000) / 1e9, TimeUnit::seconds, kNtsc), frame);
  }
}

TEST(FrameNumber, MillisecondsAreNeverTakenForSeconds) {
  EXPECT_EQ(frameNumberAt(40.0, TimeUnit::milliseconds, k25), 1);
  EXPECT_EQ(frameNumberAt(40.0, TimeUnit::seconds, k25), 1000);
}

TEST(FrameNumber, StaysInsideTheIntRange) {
  EXPECT_EQ(frameNumberAt(1e300, TimeUnit::seconds, k25), INT_MAX);
  EXPECT_EQ(frameNumberAt(-1e300, TimeUnit::seconds, k25), INT_MIN);
  EXPECT_EQ(frameNumberAt(std::numeric_limits<double>::quiet_NaN(), TimeUnit::seconds, k25), 0);
  EXPECT_EQ(frameNumberAt(std::numeric_limits<double>::infinity(), TimeUnit::seconds, k25), 0);
  EXPECT_EQ(frameNumberAt(-0.04, TimeUnit::seconds, k25), -1);
}

TEST(Aspect, AutoTakesWideStageOnlyForFramesWiderThanOneAndAHalf) {
  EXPECT_EQ(aspectModeFor(AspectChoice::automatic, 320, 240, FieldChoice::progressive), 7500);
  EXPECT_EQ(aspectModeFor(AspectChoice::automatic, 720, 576, FieldChoice::progressive), 7500);
  EXPECT_EQ(aspectModeFor(AspectChoice::automatic, 300, 200, FieldChoice::progressive), 7500);  // exactly 1.5
  EXPECT_EQ(aspectModeFor(AspectChoice::automatic, 301, 200, FieldChoice::progressive), 5625);
  EXPECT_EQ(aspectModeFor(AspectChoice::automatic, 1920, 1080, FieldChoice::progressive), 5625);
  // One field of a 720 x 576 frame is 720 x 288: still the 4:3 picture.
  EXPECT_EQ(aspectModeFor(AspectChoice::automatic, 720, 288, FieldChoice::top), 7500);
  EXPECT_EQ(aspectModeFor(AspectChoice::automatic, 1920, 540, FieldChoice::bottom), 5625);
  EXPECT_EQ(aspectModeFor(AspectChoice::standard, 1920, 1080, FieldChoice::progressive), 7500);
  EXPECT_EQ(aspectModeFor(AspectChoice::wide, 320, 240, FieldChoice::progressive), 5625);
}

TEST(Fields, TopIsTheHostsFirstFieldAndBottomItsSecond) {
  EXPECT_EQ(fieldArguments(FieldChoice::progressive).fieldMode, 0);
  EXPECT_EQ(fieldArguments(FieldChoice::top).fieldMode, 1);
  EXPECT_EQ(fieldArguments(FieldChoice::top).lineFlag, 0);
  EXPECT_EQ(fieldArguments(FieldChoice::bottom).fieldMode, 2);
  EXPECT_EQ(fieldArguments(FieldChoice::bottom).lineFlag, 1);
}

TEST(Choices, OnlyTheDocumentedTextsAreTaken) {
  AspectChoice a = AspectChoice::wide;
  EXPECT_TRUE(parseAspect("auto", a));
  EXPECT_EQ(a, AspectChoice::automatic);
  EXPECT_TRUE(parseAspect("4:3", a));
  EXPECT_EQ(a, AspectChoice::standard);
  EXPECT_FALSE(parseAspect("16x9", a));
  EXPECT_EQ(a, AspectChoice::standard);
  FieldChoice f = FieldChoice::top;
  EXPECT_FALSE(parseFields("Top", f));
  EXPECT_TRUE(parseFields("bottom", f));
  EXPECT_EQ(f, FieldChoice::bottom);
  TimeUnit t = TimeUnit::seconds;
  EXPECT_FALSE(parseTimeUnit("ms", t));
  EXPECT_TRUE(parseTimeUnit("milliseconds", t));
  EXPECT_EQ(t, TimeUnit::milliseconds);
}

}  // namespace
