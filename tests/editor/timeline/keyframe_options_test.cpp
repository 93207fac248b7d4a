// The keyframe options form: the twelve rows built from a key, the brush's label of row 4, reading a
// key back with the ease code composed again, and the dialog as its caller sees it.
#include <climits>
#include <cmath>
#include <cstring>

#include "editor/timeline/keyframe_form.h"
#include "editor/timeline/keyframe_options.h"
#include "tests/editor/timeline/timeline_test_support.h"

namespace {

KeyFrame keyWithEase(float easeCode) {
  KeyFrame k;
  k.x = 320.7f;
  k.y = -12.9f;
  k.width = 100;
  k.height = 80;
  k.rotation = 45.5f;
  k.amount = 30;
  k.easeCode = easeCode;
  k.time = 90;
  return k;
}

std::string selectedEase(const KeyframeForm& f) {
  std::string on;
  for (int row = kRowUseDefault; row <= kRowNone; ++row)
    if (f.values[row][0]) on += f.labels[row];
  return on;
}

TEST(KeyframeForm, RowsCarryTheLabelsAndTheTruncatedValues) {
  KeyframeForm f;
  buildKeyframeForm(keyWithEase(0), 0, f);
  const char* labels[kKeyframeFormRows] = {"Horizontal Position", "Vertical Position", "Width", "Rotation",
                                           "@STransparency", "@REases|Use Default", "@RIn & Out", "@RIn", "@ROut",
                                           "@RNone", "@SEase Speed", "@CNo Curves"};
  for (int row = 0; row < kKeyframeFormRows; ++row) EXPECT_STREQ(f.labels[row], labels[row]) << row;
  EXPECT_STREQ(f.values[kRowHorizontal], "320");
  EXPECT_STREQ(f.values[kRowVertical], "-12");
  EXPECT_STREQ(f.values[kRowWidth], "100");
  EXPECT_STREQ(f.values[kRowRotation], "45");
  EXPECT_STREQ(f.values[kRowAmount], "30");
  EXPECT_EQ(selectedEase(f), "@REases|Use Default");
  EXPECT_STREQ(f.values[kRowEaseSpeed], "0");
  EXPECT_STREQ(f.values[kRowNoCurves], "");
}

TEST(KeyframeForm, EaseCode2051ShowsInWithSpeed50AndNoCurvesAndReadsBackAs2051) {
  KeyframeForm f;
  buildKeyframeForm(keyWithEase(2051), 0, f);
  EXPECT_EQ(selectedEase(f), "@RIn");
  EXPECT_STREQ(f.values[kRowEaseSpeed], "50");
  EXPECT_STREQ(f.values[kRowNoCurves], "1");
  KeyFrame back = keyWithEase(0);
  readKeyframeForm(f, back);
  EXPECT_EQ(back.easeCode, 2051.0f);
}

TEST(KeyframeForm, TheEaseOptionRoundsTheThousands) {
  struct Case {
    float code;
    const char* ease;
    float readBack;
  } cases[] = {{499, "@REases|Use Default", 499}, {500, "@RIn & Out", 1500}, {1000, "@RIn & Out", 1000},
               {3020, "@ROut", 3020},            {4000, "@RNone", 4000},   {7000, "@RNone", 4000}};
  for (const Case& c : cases) {
    KeyframeForm f;
    buildKeyframeForm(keyWithEase(c.code), 0, f);
    EXPECT_EQ(selectedEase(f), c.ease) << c.code;
    KeyFrame back;
    readKeyframeForm(f, back);
    EXPECT_EQ(back.easeCode, c.readBack) << c.code;
  }
}

TEST(KeyframeForm, ReadingBackTakesTheTypedNumbersAndKeepsTheHeight) {
  KeyframeForm f;
  KeyFrame k = keyWithEase(1000);
  buildKeyframeForm(k, 0, f);
  std::strcpy(f.values[kRowWidth], "250");
  std::strcpy(f.values[kRowHorizontal], "12abc");
  std::strcpy(f.values[kRowRotation], "turn");
  std::strcpy(f.values[kRowEaseSpeed], "37");
  f.values[kRowInAndOut][0] = 0;
  std::strcpy(f.values[kRowOut], "1");
  std::strcpy(f.values[kRowNoCurves], "0");  // any text is on
  readKeyframeForm(f, k);
  EXPECT_EQ(k.width, 250.0f);
  EXPECT_EQ(k.height, 80.0f);
  EXPECT_EQ(k.x, 12.0f);
  EXPECT_EQ(k.rotation, 0.0f);
  EXPECT_EQ(k.y, -12.0f);
  EXPECT_EQ(k.time, 90);
  EXPECT_EQ(k.easeCode, 3000.0f + 1 + 36);
}

TEST(KeyframeForm, Row4NamesTheStrengthOfTheFourBrushesWithOneLevel) {
  const struct {
    int brush;
    const char* label;
  } cases[] = {{0, "@STransparency"}, {1000, "@SBlurriness"}, {2000, "@SPixelate"}, {3000, "@SDarkness"},
               {4000, "@SLightness"},  {5000, "@STransparency"}, {1500, "@STransparency"}, {6000, "@STransparency"}};
  for (const auto& c : cases) {
    KeyframeForm f;
    buildKeyframeForm(keyWithEase(0), c.brush, f);
    EXPECT_STREQ(f.labels[kRowAmount], c.label) << c.brush;
  }
}

TEST(KeyframeForm, ValuesOutsideTheIntRangeAndBadNumbersStayDefined) {
  EXPECT_EQ(truncatedField(NAN), 0);
  EXPECT_EQ(truncatedField(1e20f), INT_MAX);
  EXPECT_EQ(truncatedField(-1e20f), INT_MIN);
  EXPECT_EQ(truncatedField(-2.9f), -2);
  EXPECT_EQ(formNumber("99999999999999"), INT_MAX);
  EXPECT_EQ(formNumber("-99999999999999"), INT_MIN);
  EXPECT_EQ(formNumber("  42"), 42);
  EXPECT_EQ(formNumber(""), 0);
  KeyframeForm f;
  KeyFrame k = keyWithEase(0);
  k.x = INFINITY;
  buildKeyframeForm(k, 0, f);
  EXPECT_STREQ(f.values[kRowHorizontal], "2147483647");
}

TEST(KeyframeForm, TheShortFormKeepsTheEaseCode) {
  // The short form shows rows 0-4 only; rows 5-11 keep what was built from the key.
  KeyframeForm f;
  KeyFrame k = keyWithEase(3021);
  buildKeyframeForm(k, 0, f);
  std::strcpy(f.values[kRowAmount], "75");
  readKeyframeForm(f, k);
  EXPECT_EQ(k.easeCode, 3021.0f);
  EXPECT_EQ(k.amount, 75.0f);
}

class KeyframeOptionsTest : public TimelineTest {};

TEST_F(KeyframeOptionsTest, ACancelledDialogLeavesTheKeyAsItWas) {
  addPictures(1);
  open(1800);
  KeyFrame k = keyWithEase(2051);
  const KeyFrame before = k;
  EXPECT_FALSE(keyframeOptions(400, 100, k, false));
  EXPECT_EQ(std::memcmp(&k, &before, sizeof k), 0);
  EXPECT_FALSE(keyframeOptions(400, 100, k, true));
  EXPECT_EQ(std::memcmp(&k, &before, sizeof k), 0);
  // Without a stage or an editor window the form goes on the timeline.
  EXPECT_EQ(keyframeFormWindow(), timeline->handle());
}

}  // namespace
