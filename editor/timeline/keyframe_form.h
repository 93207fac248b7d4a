#pragma once
// The twelve rows of the keyframe options form, built from a key and read back into one.
#include "dialogs/form.h"
#include "show/key_frame.h"

constexpr int kKeyframeFormRows = 12;
// The rows the short form shows: position, width, rotation and the amount.
constexpr int kKeyframeShortFormRows = 5;

enum KeyframeFormRow : int {
  kRowHorizontal = 0,
  kRowVertical = 1,
  kRowWidth = 2,
  kRowRotation = 3,
  kRowAmount = 4,
  kRowUseDefault = 5,
  kRowInAndOut = 6,
  kRowIn = 7,
  kRowOut = 8,
  kRowNone = 9,
  kRowEaseSpeed = 10,
  kRowNoCurves = 11,
};

struct KeyframeForm {
  FormText labels[kKeyframeFormRows] = {};
  FormText values[kKeyframeFormRows] = {};
};

// Row 4's label follows the brush kind of the picture: its strength, or its transparency.
void buildKeyframeForm(const KeyFrame& key, int brushCode, KeyframeForm& form);
// Position, width, rotation and amount from rows 0-4 (the height stays), and the ease code composed
// of the chosen ease (1000 In & Out, 2000 In, 3000 Out, 4000 None, 0 default), 1 for No Curves and
// the speed with its lowest bit cleared.
void readKeyframeForm(const KeyframeForm& form, KeyFrame& key);

// The integer part of a field, toward zero; values beyond the int range (or not numbers at all)
// give the nearest int (or 0) instead of undefined results.
int truncatedField(float value);
// The leading decimal number of a text, as the standard conversion reads it; 0 when there is none.
int formNumber(const char* text);
