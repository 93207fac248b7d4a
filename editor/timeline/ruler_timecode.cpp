#include "editor/timeline/ruler_timecode.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

std::string rulerTimecodeText(int frames, int frameRate) {
  const int64_t rate = frameRate > 0 ? frameRate : 2997;
  int64_t left = frames;
  char separator = ':';
  if (left < 0) {
    left = -left;
    separator = '.';
  }
  const int64_t hours = (left / (36 * rate)) % 12;
  left -= hours * 36 * rate;
  // A minute is counted in real frames here, a second in whole ones: at 29.97 frames per second a
  // minute is 1798 frames, a second 30.
  const int64_t perMinute = std::max<int64_t>(60 * rate / 100, 1);
  const int64_t minutes = (left / perMinute) % 60;
  left -= minutes * perMinute;
  const int64_t perSecond = std::max<int64_t>((rate + 50) / 100, 1);
  const int64_t seconds = (left / perSecond) % 60;
  const int64_t frameField = (left % perSecond) % 60;
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d%c%02d", int(minutes), int(seconds), separator, int(frameField));
  return text;
}
