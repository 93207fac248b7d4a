#pragma once
// The plug-in's rate code, which knows only 29.97, 25 and 24 frames per second, for the exact rates
// of show/frame_rate.h.
#include <cstdint>

#include "show/frame_rate.h"

// The ActionRecord's rate code nearest to the rate: 29.97, 25 or 24 frames per second. The plug-in
// times keys in frames and uses the code only for its seconds, so frame numbers stay the host's.
int32_t rateCodeNearest(const FrameRate& rate);
