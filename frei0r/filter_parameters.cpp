#include "frei0r/filter_parameters.h"

#include "frei0r/frei0r_api.h"

#include <climits>
#include <cmath>

namespace {
const ParameterDescription kParameters[kParamCount] = {
    {"show", F0R_PARAM_STRING, "The Kestrelmove show file (.kmv) to put over the clip"},
    {"rate", F0R_PARAM_STRING, "The clip's frames per second: \"29.97\", \"25\", \"24\", \"30000/1001\", ..."},
    {"aspect", F0R_PARAM_STRING, "The stage: \"4:3\", \"16:9\" or \"auto\" (16:9 for frames wider than 1.5)"},
    {"fields", F0R_PARAM_STRING, "The field each frame holds: \"progressive\", \"top\" or \"bottom\""},
    {"time unit", F0R_PARAM_STRING,
     "The unit of the host's frame time: \"seconds\" (MLT, the frei0r rule) or \"milliseconds\" (FFmpeg)"},
};

constexpr long kAspectStandard = 7500;  // 640 x 480 stage units
constexpr long kAspectWide = 5625;      // 853 x 480
}  // namespace

const ParameterDescription& parameterDescription(int index) { return kParameters[index]; }

bool parseAspect(const std::string& text, AspectChoice& out) {
  if (text == "auto") out = AspectChoice::automatic;
  else if (text == "4:3") out = AspectChoice::standard;
  else if (text == "16:9") out = AspectChoice::wide;
  else return false;
  return true;
}

bool parseFields(const std::string& text, FieldChoice& out) {
  if (text == "progressive") out = FieldChoice::progressive;
  else if (text == "top") out = FieldChoice::top;
  else if (text == "bottom") out = FieldChoice::bottom;
  else return false;
  return true;
}

bool parseTimeUnit(const std::string& text, TimeUnit& out) {
  if (text == "seconds") out = TimeUnit::seconds;
  else if (text == "milliseconds") out = TimeUnit::milliseconds;
  else return false;
  return true;
}

int frameNumberAt(double time, TimeUnit unit, const FrameRate& rate) {
  const double seconds = unit == TimeUnit::milliseconds ? time / 1000.0 : time;
  const double frame = std::round(seconds * rate.num / rate.den);
  if (!std::isfinite(frame)) return 0;
  if (frame >= double(INT_MAX)) return INT_MAX;
  if (frame <= double(INT_MIN)) return INT_MIN;
  return int(frame);
}

long aspectModeFor(AspectChoice aspect, unsigned width, unsigned height, FieldChoice fields) {
  if (aspect == AspectChoice::standard) return kAspectStandard;
  if (aspect == AspectChoice::wide) return kAspectWide;
  const double pictureHeight = double(height) * (fields == FieldChoice::progressive ? 1 : 2);
  return pictureHeight > 0 && double(width) / pictureHeight > 1.5 ? kAspectWide : kAspectStandard;
}

FieldArguments fieldArguments(FieldChoice fields) {
  switch (fields) {
    case FieldChoice::top: return {1, 0};
    case FieldChoice::bottom: return {2, 1};
    default: return {0, 0};
  }
}
