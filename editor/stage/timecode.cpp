#include "editor/stage/timecode.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

// A rate that rounds to no frame a second would divide by zero; such a rate counts as one frame a
// second.
int64_t usableRate(int rate) { return rate < 50 ? 100 : rate; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int timecodeFramesPerSecond(int rate) { return int((usableRate(rate) + 50) / 100); }

std::string timecodeText(int frames, bool shortForm, int rate) {
  const int64_t r = usableRate(rate);
  int64_t f = frames;
  char frameSeparator = ':';
  if (f < 0) {
    f = -f;
    frameSeparator = '.';
  }
  const int64_t perHour = 36 * r;
  const int64_t hours = (f / perHour) % 12;
  f -= hours * perHour;
  const int64_t perMinute = (60 * r) / 100;
  const int64_t minutes = (f / perMinute) % 60;
  f -= minutes * perMinute;
  const int64_t perSecond = (r + 50) / 100;
  const int64_t seconds = (f / perSecond) % 60;
  const int64_t frameField = (f % perSecond) % 60;

  char text[16];
  if (shortForm)
    std::snprintf(text, sizeof text, "%02d:%02d%c%02d", int(minutes), int(seconds), frameSeparator, int(frameField));
  else
    std::snprintf(text, sizeof text, "%02d:%02d:%02d%c%02d", int(hours), int(minutes), int(seconds), frameSeparator,
                  int(frameField));
  return text;
}

bool parseTimecode(const char* text, int& frame, int rate) {
  if (!text) return false;
  const int64_t perSecond = timecodeFramesPerSecond(rate);
  // Minutes are read back as 60 seconds, although the text was written with (60 x rate) / 100 frames a
  // minute: at 29.97 frames a second the two differ by two frames.
  const int64_t weights[4] = {1, perSecond, perSecond * 60, perSecond * 3600};
  int64_t value = 0;
  int fields = 0;
  for (int64_t i = int64_t(std::strlen(text)) - 1; i >= 0 && fields < 4;) {
    if (!isDigit(text[i])) {
      --i;
      continue;
    }
    int field = text[i] - '0';
    if (i > 0 && isDigit(text[i - 1])) field += 10 * (text[i - 1] - '0');
    value += field * weights[fields++];
    i -= 2;
  }
  if (fields == 0) return false;
  const int64_t old = frame;
  if (text[0] == '+') value = old + value;
  else if (text[0] == '-') value = old - value;
  frame = int(std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
  return true;
}
