#pragma once
// The filter's parameters as frei0r hosts see them, and the small rules that turn their values into
// what the renderer takes: a frame number from the host's time, a stage aspect from the frame's shape,
// a field mode and line flag from the field a frame holds.
#include <string>

#include "show/frame_rate.h"

enum class AspectChoice { automatic, standard, wide };
enum class FieldChoice { progressive, top, bottom };
enum class TimeUnit { seconds, milliseconds };

// Parameter positions; hosts address them by position (FFmpeg) or by name (MLT).
enum FilterParameter { kParamShow = 0, kParamRate, kParamAspect, kParamFields, kParamTimeUnit, kParamCount };

struct ParameterDescription {
  const char* name;
  int type;  // an F0R_PARAM_* type
  const char* explanation;
};
const ParameterDescription& parameterDescription(int index);

// Every parameter is a string: frei0r holds a double parameter to [0, 1] (GStreamer refuses anything
// else), and a rate is not a fraction of one. The rate takes the texts of "kestrelmove render --rate".
constexpr const char* kDefaultRateText = "29.97";

// Texts as the parameters take them. An unknown text leaves the choice as it was (false).
bool parseAspect(const std::string& text, AspectChoice& out);
bool parseFields(const std::string& text, FieldChoice& out);
bool parseTimeUnit(const std::string& text, TimeUnit& out);

// The frame at the host's time: time (in `unit`) times the rate, rounded to the nearest frame and
// held inside the int range; a time that is not finite gives frame 0.
int frameNumberAt(double time, TimeUnit unit, const FrameRate& rate);

// The "AspectMode" value (the stage's height over its width, times 10000) for frames of width x
// height. "auto" takes 16:9 for frames wider than 1.5; a frame holding one field has half the picture's
// lines, so its shape is judged on twice its height.
long aspectModeFor(AspectChoice aspect, unsigned width, unsigned height, FieldChoice fields);

// renderShow's field mode and line flag for the field a frame holds: the top field is the host's
// first field (its even frame lines), the bottom field its second.
struct FieldArguments {
  int fieldMode = 0;
  int lineFlag = 0;
};
FieldArguments fieldArguments(FieldChoice fields);
