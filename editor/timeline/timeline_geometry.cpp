#include "editor/timeline/timeline_geometry.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
// A scale of 0 or less would divide by zero; the view never sets one, but the Contract command and
// a hand-edited "TimeScale" setting reach it.
int usableScale(int scale) { return scale > 0 ? scale : 1; }
}  // namespace

int timelineFrameX(int frame, int scale) {
  return int(int64_t(frame) * 60 / usableScale(scale)) + kTimelineLeft;
}

int timelineFrameAt(int contentX, int scale) {
  const int64_t frame = int64_t(contentX - kTimelineLeft) * usableScale(scale) / 60;
  return frame < 0 ? 0 : int(std::min<int64_t>(frame, INT32_MAX));
}

int timelineRowAt(int contentY) { return (contentY - 12) / kRowStep; }

int timeScaleForLength(int frames, int framesPerSecond) {
  if (frames < 3 * framesPerSecond) return 5;
  if (frames < 8 * framesPerSecond) return 10;
  return framesPerSecond;
}

int contentWidthFor(int frames, int scale) {
  const int64_t width = int64_t(frames) * 60 / usableScale(scale) + kTimelineLeft;
  return int(std::clamp<int64_t>(width, 0, kMaxContentWidth));
}

std::string pictureRowLabel(const char* path, int brushCode) {
  std::string name;
  if (path) {
    // Shows saved on Windows name their pictures with "\" and drive letters.
    const char* start = path;
    for (const char* p = path; *p; ++p)
      if (*p == '/' || *p == '\\' || *p == ':') start = p + 1;
    name.assign(start, std::strcspn(start, "."));
  }
  static const char* const suffixes[] = {"", " / Blur", " / Pix", " / Dark", " / Light", " / Tint", " / B&W"};
  const int kind = brushCode / 1000;
  if (kind >= 1 && kind <= 6) name += suffixes[kind];
  return name;
}

bool holdsStill(const KeyFrame& a, const KeyFrame& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height && a.rotation == b.rotation &&
         a.amount == b.amount;
}
