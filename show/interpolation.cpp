#include "show/interpolation.h"

#include <algorithm>
#include <cmath>

namespace {

// A quarter turn as the curves have always used it (not pi / 2), so that shows keep their motion.
constexpr double kQuarter = 1.5707;
constexpr double kRest = 0.5 / 1.5707;

enum class SegmentKind { First, Middle, Last };

struct Cubic {
  double a0, a1, a2, a3;
  double at(double r) const { return ((a3 * r + a2) * r + a1) * r + a0; }
};

// Coefficients of one segment; carried is the tangent handed from the previous segment and becomes
// this segment's end tangent.
Cubic segmentCubic(SegmentKind kind, double pa, double pb, double pn, double tension, double& carried) {
  double m = 0;
  double t = 0;
  switch (kind) {
    case SegmentKind::First:
      m = 0;
      t = tension * (pn - pa) * 0.5;
      break;
    case SegmentKind::Middle:
      m = carried;
      t = tension * (pn - pa) * 0.5;
      break;
    case SegmentKind::Last:
      // As if a key after the last one mirrored Pa.
      m = carried;
      t = tension * (pb - pa);
      break;
  }
  carried = t;
  return Cubic{pa, m, 3 * (pb - pa) - 2 * m - t, 2 * (pa - pb) + m + t};
}

// Size of a step between key values as the tension compares them: whole units, toward zero.
double stepSize(double from, double to) { return std::fabs(std::trunc(to - from)); }

}  // namespace

double ease(float s, float easeInEnd, float easeOutStart) {
  const double sd = s;
  const double e = easeInEnd;
  const double f = easeOutStart;
  const double a = 2 * e * kRest;
  const double b = 2 * (1 - f) * kRest;
  const double middle = a + (f - e);
  const double total = middle + b;
  double p;
  if (sd < e) {
    p = a * (1 + std::sin(kQuarter * sd / e - kQuarter));
  } else if (sd > f) {
    p = middle + b * std::sin(kQuarter * (sd - f) / (1 - f));
  } else {
    p = a + (sd - e);
  }
  return p / total;
}

double interpolate(int count, const KeyFrame* keys, int field, int t, bool halfFrame, int mode) {
  if (count <= 1) return keys[0].field(field);

  const double offset = halfFrame ? 0.5 : 0.0;
  const int defaultEase = mode & 15;
  double pa = keys[0].field(field);
  double pb = keys[1].field(field);
  double previousStep = stepSize(pa, pb);
  double carried = 0;
  SegmentKind kind = SegmentKind::First;

  // Before the first key the picture rests at its first key. Resting at the last key instead would
  // show a track whose first key comes later at its end position and then jump back to its start.
  if (t < keys[0].time) return pa;

  for (int i = 0; i <= count - 2; ++i) {
    const int ti = keys[i].time;
    const long long di = (long long)keys[i + 1].time - ti;
    const bool last = i == count - 2;
    double pn = pb;
    double tension = 1;
    double nextStep = 0;
    if (last) {
      kind = SegmentKind::Last;
    } else {
      pn = keys[i + 2].field(field);
      nextStep = stepSize(pb, pn);
      if (nextStep == 0) nextStep = 1;
      tension = std::min(1.0, 3 * std::min(previousStep, nextStep) / std::max(previousStep, nextStep));
    }
    const Cubic cubic = segmentCubic(kind, pa, pb, pn, tension, carried);

    if (ti <= t && t < ti + di) {
      if (defaultEase == kEaseHold) return pa;
      const double s = (double(t) - ti + offset) / double(di);

      int curve = defaultEase;  // 0 in & out, 1 in, 2 out, 3 none
      double speed = 0;
      bool straight = (mode & kModeStraight) != 0;
      const float code = keys[i].easeCode;
      if (code > 0) {
        const double type = std::trunc((double(code) - 900) * 0.001);
        curve = type >= 0 && type <= double(kEaseNone) ? int(type) : int(kEaseNone);
        // Codes beyond any real option keep their easing off rather than overflow the conversion.
        const double whole = std::trunc(double(code));
        const long long n = whole < 1e9 ? (long long)whole : 0;
        speed = double(n % 1000) * 0.01;
        straight = (n % 2) != 0;
      } else if (defaultEase == kEaseEnds && count != 2) {
        curve = i == 0 ? kEaseIn : (last ? kEaseOut : kEaseNone);
      } else if (defaultEase == kEaseIn) {
        curve = i == 0 ? kEaseIn : kEaseNone;
      } else if (defaultEase == kEaseOut) {
        curve = last ? kEaseOut : kEaseNone;
      }
      // A speed above 1 would start the segment away from its key; 1 already means no easing.
      speed = std::min(speed, 1.0);

      double r;
      switch (curve) {
        case 0:
          r = ease(float(s), float(0.5 - 0.5 * speed), float(0.5 + 0.5 * speed));
          break;
        case 1:
          r = ease(float(s), float(1 - speed), 1.0f);
          break;
        case 2:
          r = ease(float(s), 0.0f, float(speed));
          break;
        default:
          r = s;
          break;
      }
      if (straight) return pa + r * (pb - pa);
      return cubic.at(r);
    }

    pa = pb;
    pb = pn;
    previousStep = nextStep;
    kind = SegmentKind::Middle;
  }
  return keys[count - 1].field(field);
}

KeyFrame trackStateAt(int count, const KeyFrame* keys, int time, bool halfFrame) {
  KeyFrame out;
  out.x = float(interpolate(count, keys, kFieldX, time, halfFrame, kEaseEnds));
  out.y = float(interpolate(count, keys, kFieldY, time, halfFrame, kEaseEnds));
  out.width = float(interpolate(count, keys, kFieldWidth, time, halfFrame, kEaseEnds));
  out.height = float(interpolate(count, keys, kFieldHeight, time, halfFrame, kEaseEnds));
  out.amount = float(interpolate(count, keys, kFieldAmount, time, halfFrame, kEaseEnds));
  out.rotation = float(interpolate(count, keys, kFieldRotation, time, halfFrame, kEaseEnds | kModeStraight));
  out.easeCode = float(interpolate(count, keys, kFieldEaseCode, time, halfFrame, kEaseHold));
  return out;
}

std::vector<PathSegment> sampleMotionPath(int count, const KeyFrame* keys, int mode) {
  std::vector<PathSegment> path;
  for (int i = 0; i + 1 < count; ++i) {
    PathSegment segment;
    const int ti = keys[i].time;
    const long long di = (long long)keys[i + 1].time - ti;
    segment.startFrame = ti;
    segment.startX = keys[i].x;
    segment.startY = keys[i].y;
    for (int j = 1; j <= 16; ++j) {
      PathSample& p = segment.points[j - 1];
      p.frame = int(ti + (long long)std::trunc(j * 0.0625 * double(di)));
      p.x = interpolate(count, keys, kFieldX, p.frame, false, mode);
      p.y = interpolate(count, keys, kFieldY, p.frame, false, mode);
    }
    path.push_back(segment);
  }
  return path;
}
