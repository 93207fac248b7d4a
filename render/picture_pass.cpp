#include "render/picture_pass.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kDegreesToRadians = 0.0174532;

double frac(double v) { return v - std::trunc(v); }

}  // namespace

bool setUpPass(const ImageBuffer& picture, const ImageBuffer& output, const KeyFrame& state, int mode,
               int stageWidth, int stageHeight, PicturePass& p) {
  p.picW = picture.width();
  p.picH = picture.height();
  p.outW = output.width();
  p.outH = output.height();
  if (p.picW <= 0 || p.picH <= 0 || p.outW <= 0 || p.outH <= 0) return false;
  if (stageWidth <= 0 || stageHeight <= 0) return false;
  if (mode < 0 || mode > 999) return false;

  const double x = state.x, y = state.y, w = state.width, h = state.height;
  const double rotation = state.rotation;
  // A box without a finite, positive size or position has no pixels; leaving it out here also keeps
  // every later conversion to an integer in range.
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(rotation)) return false;
  if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h)) return false;

  p.lineFactor = mode / 100 + 1;
  p.skipParity = (mode / 10) % 10 + 1 == 2;
  p.parity = mode % 10;

  // The amount as 0..255 in double precision; curves can overshoot 0..100 percent.
  const double g = std::trunc(double(state.amount) * 2.55 + 0.5);
  p.amount255 = g >= 255 ? 255 : g > 0 ? int(g) : 0;

  const double theta = -rotation * kDegreesToRadians;
  const double c = std::cos(theta), s = std::sin(theta);
  p.cosT = c;
  p.sinT = s;

  const double t = p.lineFactor;
  const double kx = p.outW / double(stageWidth);
  const double ky = p.outH * t / double(stageHeight);
  const double F = (p.picW / w) / kx;
  const double E = (p.picH / h) / ky;
  p.stepX = F;
  p.stepY = E;
  p.colStepX = c * F;
  p.colStepY = s * F;

  double minX = 999999, maxX = -999999, minY = 999999, maxY = -999999;
  for (const double dx : {-w / 2, w / 2}) {
    for (const double dy : {-h / 2, h / 2}) {
      const double X = x + c * dx - s * dy;
      const double Y = y + s * dx + c * dy;
      minX = std::min(minX, X);
      maxX = std::max(maxX, X);
      minY = std::min(minY, Y);
      maxY = std::max(maxY, Y);
    }
  }
  const double left = minX * kx, right = (maxX + 1) * kx;
  const double top = minY * ky, bottom = (maxY + 1) * ky;
  if (!std::isfinite(left) || !std::isfinite(right) || !std::isfinite(top) || !std::isfinite(bottom))
    return false;
  p.left = left;
  p.top = top;

  const double columnLimit = std::min(right, double(p.outW));
  if (left >= p.outW || columnLimit <= 0) return false;
  p.firstColumn = int(std::max(left, 0.0));
  p.columnEnd = int(std::ceil(columnLimit));  // columns run while column < columnLimit
  if (p.firstColumn >= p.columnEnd) return false;

  const double lineLimit = std::min(bottom, p.outH * t);
  if (top >= p.outH * t || lineLimit < 1) return false;
  p.firstLine = int(std::max(top, 0.0));
  p.lineEnd = int(lineLimit);
  if (p.firstLine >= p.lineEnd) return false;

  const double columnOffset = std::trunc(std::trunc(left - (x - w / 2) * kx) * F);
  p.lineOffset = std::trunc(std::trunc(top - (y - h / 2) * ky) * E);
  const double cx = left < 0 ? 2 - (1 - frac(left)) : 1 - frac(left);
  p.dx0 = cx * F - p.picW / 2.0 + columnOffset;
  p.lineStart = 1 - frac(top);
  if (top < 0) p.lineStart -= top * E;
  p.startAdvance = left < 0 ? -left : 0;

  // Neighbour distances, limited to one past the picture: any larger distance leaves no position that
  // can be sampled, just as the unlimited one would.
  const double q = std::min(std::fabs(std::trunc(F)), double(p.picW) + 1);
  const double r = std::min(std::fabs(std::trunc(0.5 * E)), double(p.picH) + 1);
  p.neighbourColumns = std::max(1, int(q));
  p.neighbourRows = std::max(1, int(r));
  p.maxSx = p.picW - p.neighbourColumns;
  p.maxSy = p.picH - p.neighbourRows;
  return true;
}
