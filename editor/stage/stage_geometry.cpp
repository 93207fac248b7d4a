#include "editor/stage/stage_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
// Degrees to radians as the system has always converted them (not the exact pi / 180).
constexpr double kRadiansPerDegree = 0.0174532;
}  // namespace

ws::Rect stageFrameRect(int clientWidth, int clientHeight, int stageWidth, int stageHeight, float zoom) {
  const int fw = int(zoom * float(stageWidth));
  const int fh = int(zoom * float(stageHeight));
  const int left = std::max((clientWidth - fw) / 2, 0);
  const int top = std::max((clientHeight - fh) / 2, 0);
  return {left, top, left + fw, top + fh};
}

ws::Point rotatePoint(ws::Point p, ws::Point centre, double degrees) {
  const double r = degrees * kRadiansPerDegree;
  const double c = std::cos(r), s = std::sin(r);
  const double dx = p.x - centre.x, dy = p.y - centre.y;
  return {centre.x + int(dx * c - dy * s + 0.5), centre.y + int(dx * s + dy * c + 0.5)};
}

PictureGeometry pictureGeometry(const KeyFrame& state, float zoom, int originX, int originY) {
  PictureGeometry g;
  g.centre = {originX + int(state.x * zoom), originY + int(state.y * zoom)};
  g.halfWidth = int(state.width * zoom * 0.5);
  g.halfHeight = int(state.height * zoom * 0.5);
  const int cx = g.centre.x, cy = g.centre.y, hw = g.halfWidth, hh = g.halfHeight;
  const ws::Point unturned[4] = {{cx - hw, cy - hh}, {cx + hw, cy - hh}, {cx + hw, cy + hh}, {cx - hw, cy + hh}};
  for (int i = 0; i < 4; ++i) g.corners[i] = rotatePoint(unturned[i], g.centre, state.rotation);
  g.rotateHandle = rotatePoint({cx - hw + 7, cy - hh + 7}, g.centre, state.rotation);
  return g;
}

int crossArm(const PictureGeometry& g) { return std::max(g.halfWidth / 8, 4); }

int hitTolerance(const PictureGeometry& g) { return std::max(g.halfWidth / 6, 4); }

int hitPicture(const PictureGeometry& g, int px, int py) {
  const int t = hitTolerance(g);
  for (int i = 0; i < 4; ++i) {
    const ws::Point c = g.corners[i];
    if (px >= c.x - t && px <= c.x + t && py >= c.y - t && py <= c.y + t) return i == 0 ? 9 : 10;
  }
  // The move area is a square of the half height on both axes, whatever the picture's shape or turn.
  const int hh = g.halfHeight;
  if (px >= g.centre.x - hh && px <= g.centre.x + hh && py >= g.centre.y - hh && py <= g.centre.y + hh) return 8;
  return 0;
}

bool inCentralBox(const KeyFrame& state, float zoom, int originX, int originY, int px, int py) {
  const int qw = int(0.25 * zoom * state.width);
  const int qh = int(0.25 * zoom * state.height);
  const int cx = originX + int(state.x * zoom), cy = originY + int(state.y * zoom);
  return px >= cx - qw && px <= cx + qw && py >= cy - qh && py <= cy + qh;
}

int sliderValue(int offset) { return std::clamp(int(offset * 1.3), 0, 100); }

void moveStep(KeyFrame& state, float zoom, int px, int py, int grabOffsetX, int grabOffsetY, int dragStartX,
              int dragStartY, bool shift) {
  state.x = float(px - grabOffsetX) / zoom;
  state.y = float(py - grabOffsetY) / zoom;
  if (!shift) return;
  // Shift keeps the picture on the axis it has moved along most since the press.
  if (std::abs(px - dragStartX) > std::abs(py - dragStartY))
    state.y = float(dragStartY) / zoom;
  else
    state.x = float(dragStartX) / zoom;
}

void rotateStep(KeyFrame& state, int px, int grabOffsetX, bool shift) {
  state.rotation = shift ? 0.0f : float((px - grabOffsetX) * 0.5);
}

void sizeStep(KeyFrame& state, float zoom, ws::Point centre, int px, int py, double aspect, bool shift) {
  // The pointer is turned back into the picture's own axes before its distance is measured.
  const ws::Point q = rotatePoint({px, py}, centre, 360.0 - state.rotation);
  state.width = float(2 * std::abs(q.x - centre.x)) / zoom;
  if (shift)
    state.height = float(2 * std::abs(q.y - centre.y)) / zoom;
  else
    state.height = float(state.width * aspect);
}

TvSafeGuides tvSafeGuides(const ws::Rect& frame) {
  const int w = frame.width(), h = frame.height();
  TvSafeGuides g;
  const int ix = int(0.096 * w), iy = int(0.096 * h);
  const int ox = int(0.048 * w), oy = int(0.048 * h);
  g.inner = {frame.left + ix, frame.top + iy, frame.right - ix, frame.bottom - iy};
  g.outer = {frame.left + ox, frame.top + oy, frame.right - ox, frame.bottom - oy};
  g.cornerSize = int(w * 0.1);
  return g;
}
