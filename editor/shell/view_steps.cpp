#include "editor/shell/view_steps.h"

#include <algorithm>

float zoomedIn(float zoom) {
  if (zoom == 0.5f) return 0.75f;
  if (zoom == 0.75f) return 1.0f;
  if (zoom == 1.0f) return 2.0f;
  return zoom;
}

float zoomedOut(float zoom) {
  if (zoom == 2.0f) return 1.0f;
  if (zoom == 1.0f) return 0.75f;
  if (zoom == 0.75f) return 0.5f;
  return zoom;
}

int zoomSetting(float zoom) { return int(zoom * 100); }

namespace {
int framesPerSecond(int frameRate) { return (frameRate + 50) / 100; }
}  // namespace

int enlargedTimeScale(int scale, int frameRate) {
  const int f = framesPerSecond(frameRate);
  const int h = std::min(64 * f, 2 * scale);
  // Below a second the doubled scale is kept as it is; above, it is cut to whole seconds.
  return h > f && f > 0 ? h - h % f : h;
}

int contractedTimeScale(int scale, int frameRate) {
  const int g = std::max(framesPerSecond(frameRate) / 4, scale / 2);
  return g - g % 5;
}
