#include "editor/timeline/keyframe_form.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
void setText(FormText& text, const char* value) { std::snprintf(text, kFormTextSize, "%s", value); }
void setNumber(FormText& text, int value) { std::snprintf(text, kFormTextSize, "%d", value); }
void setSwitch(FormText& text, bool on) { setText(text, on ? "1" : ""); }

const char* amountLabel(int brushCode) {
  switch (brushCode) {
    case 1000: return "@SBlurriness";
    case 2000: return "@SPixelate";
    case 3000: return "@SDarkness";
    case 4000: return "@SLightness";
    default: return "@STransparency";
  }
}
}  // namespace

int truncatedField(float value) {
  if (std::isnan(value)) return 0;
  const double t = std::trunc(double(value));
  if (t >= double(INT_MAX)) return INT_MAX;
  if (t <= double(INT_MIN)) return INT_MIN;
  return int(t);
}

int formNumber(const char* text) {
  if (!text) return 0;
  errno = 0;
  const long v = std::strtol(text, nullptr, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return int(v);
}

void buildKeyframeForm(const KeyFrame& key, int brushCode, KeyframeForm& form) {
  form = KeyframeForm{};
  setText(form.labels[kRowHorizontal], "Horizontal Position");
  setText(form.labels[kRowVertical], "Vertical Position");
  setText(form.labels[kRowWidth], "Width");
  setText(form.labels[kRowRotation], "Rotation");
  setText(form.labels[kRowAmount], amountLabel(brushCode));
  setText(form.labels[kRowUseDefault], "@REases|Use Default");
  setText(form.labels[kRowInAndOut], "@RIn & Out");
  setText(form.labels[kRowIn], "@RIn");
  setText(form.labels[kRowOut], "@ROut");
  setText(form.labels[kRowNone], "@RNone");
  setText(form.labels[kRowEaseSpeed], "@SEase Speed");
  setText(form.labels[kRowNoCurves], "@CNo Curves");

  setNumber(form.values[kRowHorizontal], truncatedField(key.x));
  setNumber(form.values[kRowVertical], truncatedField(key.y));
  setNumber(form.values[kRowWidth], truncatedField(key.width));
  setNumber(form.values[kRowRotation], truncatedField(key.rotation));
  setNumber(form.values[kRowAmount], truncatedField(key.amount));

  // The thousands of the code choose the ease, rounded; the units below carry the speed and the
  // straight-line bit.
  const double option = std::trunc(double(key.easeCode) * 0.001 + 0.5);
  setSwitch(form.values[kRowUseDefault], option == 0);
  setSwitch(form.values[kRowInAndOut], option == 1);
  setSwitch(form.values[kRowIn], option == 2);
  setSwitch(form.values[kRowOut], option == 3);
  setSwitch(form.values[kRowNone], option >= 4);
  const int code = truncatedField(key.easeCode);
  setNumber(form.values[kRowEaseSpeed], (code % 1000) & ~1);
  setSwitch(form.values[kRowNoCurves], code % 2 != 0);
}

void readKeyframeForm(const KeyframeForm& form, KeyFrame& key) {
  key.x = float(formNumber(form.values[kRowHorizontal]));
  key.y = float(formNumber(form.values[kRowVertical]));
  key.width = float(formNumber(form.values[kRowWidth]));
  key.rotation = float(formNumber(form.values[kRowRotation]));
  key.amount = float(formNumber(form.values[kRowAmount]));

  int base = 0;
  if (form.values[kRowInAndOut][0]) base = 1000;
  else if (form.values[kRowIn][0]) base = 2000;
  else if (form.values[kRowOut][0]) base = 3000;
  else if (form.values[kRowNone][0]) base = 4000;
  const int straight = form.values[kRowNoCurves][0] ? 1 : 0;
  const int speed = formNumber(form.values[kRowEaseSpeed]) & ~1;
  key.easeCode = float(base + straight + speed);
}
