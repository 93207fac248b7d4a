#include "editor/stage/timecode.h"

#include <gtest/gtest.h>

#include <climits>

TEST(TimecodeText, MinutesCountTheRatesOwnFramesAndSecondsWholeFrames) {
  // At 29.97 a minute is 1798 frames and a second 30.
  EXPECT_EQ(timecodeText(1800, false, 2997), "00:01:00:02");
  EXPECT_EQ(timecodeText(1800, true, 2997), "01:00:02");
  EXPECT_EQ(timecodeText(0, false, 2997), "00:00:00:00");
  EXPECT_EQ(timecodeText(29, false, 2997), "00:00:00:29");
  EXPECT_EQ(timecodeText(30, true, 2997), "00:01:00");
  EXPECT_EQ(timecodeText(1500, false, 2500), "00:01:00:00");
}

TEST(TimecodeText, NegativeTimesPutAPointBeforeTheFrames) {
  EXPECT_EQ(timecodeText(-1, false, 2997), "00:00:00.01");
  EXPECT_EQ(timecodeText(-31, true, 2997), "00:01.01");
}

TEST(TimecodeText, HoursWrapAtTwelve) {
  const int hour = 36 * 2997;  // frames in an hour at 29.97
  EXPECT_EQ(timecodeText(hour, false, 2997), "01:00:00:00");
  EXPECT_EQ(timecodeText(11 * hour + 30, false, 2997), "11:00:01:00");
  // Only the shown hours are taken off: the twelve hours beyond them stay in the frames counted on.
  EXPECT_EQ(timecodeText(13 * hour, false, 2997).substr(0, 3), "01:");
  EXPECT_EQ(timecodeText(12 * hour, false, 2997).substr(0, 3), "00:");
}

TEST(TimecodeText, EveryIntStaysWithinElevenCharacters) {
  for (int frames : {INT_MAX, INT_MIN, INT_MIN + 1, 123456789})
    for (int rate : {2997, 2500, 2400, 1, 0, -5, INT_MAX}) {
      EXPECT_LE(timecodeText(frames, false, rate).size(), 11u) << frames << " at " << rate;
      EXPECT_LE(timecodeText(frames, true, rate).size(), 8u);
    }
}

TEST(ParseTimecode, FieldsFromTheEndAreFramesSecondsMinutesHours) {
  int frame = 77;
  EXPECT_TRUE(parseTimecode("1:00", frame, 2997));
  EXPECT_EQ(frame, 30);
  EXPECT_TRUE(parseTimecode("1:02:03:04", frame, 2997));
  EXPECT_EQ(frame, 4 + 3 * 30 + 2 * 60 * 30 + 1 * 3600 * 30);
  // Minutes are read back as 60 seconds: what 00:01:00:02 came from is not what it reads as.
  EXPECT_TRUE(parseTimecode("00:01:00:02", frame, 2997));
  EXPECT_EQ(frame, 1802);
  // A fifth field is ignored; one digit is a field of its own.
  EXPECT_TRUE(parseTimecode("9:01:00:00:05", frame, 2997));
  EXPECT_EQ(frame, 3600 * 30 + 5);
  EXPECT_TRUE(parseTimecode("7", frame, 2500));
  EXPECT_EQ(frame, 7);
}

TEST(ParseTimecode, SignsMakeTheEntryRelative) {
  int frame = 100;
  EXPECT_TRUE(parseTimecode("+10", frame, 2997));
  EXPECT_EQ(frame, 110);
  EXPECT_TRUE(parseTimecode("-1:00", frame, 2997));
  EXPECT_EQ(frame, 80);
  // Fields are two digits from the end: "-200" is 2 seconds and 00 frames back.
  EXPECT_TRUE(parseTimecode("-200", frame, 2997));
  EXPECT_EQ(frame, 20);
  EXPECT_TRUE(parseTimecode("-50", frame, 2997));
  EXPECT_EQ(frame, -30);
}

TEST(ParseTimecode, TextWithoutDigitsLeavesTheFrame) {
  int frame = 42;
  EXPECT_FALSE(parseTimecode("", frame, 2997));
  EXPECT_FALSE(parseTimecode("+", frame, 2997));
  EXPECT_FALSE(parseTimecode("-::", frame, 2997));
  EXPECT_FALSE(parseTimecode(nullptr, frame, 2997));
  EXPECT_EQ(frame, 42);
}

TEST(ParseTimecode, ResultsStayInTheIntRange) {
  int frame = INT_MAX;
  EXPECT_TRUE(parseTimecode("+99:99:99:99", frame, INT_MAX));
  EXPECT_EQ(frame, INT_MAX);
  frame = INT_MIN;
  EXPECT_TRUE(parseTimecode("-99:99:99:99", frame, 2997));
  EXPECT_EQ(frame, INT_MIN);
  // A rate that rounds to no frame a second reads seconds as one frame, never divides by zero.
  EXPECT_TRUE(parseTimecode("2:03", frame, 0));
  EXPECT_EQ(frame, 2 + 3);
  EXPECT_EQ(timecodeText(125, false, 0), "00:02:05:00");
}
