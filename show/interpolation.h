#pragma once
// Values of a track at any frame: cubic segments through the key values with tangents that flatten
// where a short step meets a long one, evaluated at a time parameter eased in and out along a sine.
// Pure functions of the keys and the time; the renderer, the stage and the timeline all call them.
#include <array>
#include <vector>

#include "show/key_frame.h"

// Low four bits of a mode: the default ease mode.
enum EaseMode : int {
  kEaseEnds = 0,  // two keys: in and out; otherwise the first segment in, the last out
  kEaseIn = 1,
  kEaseOut = 2,
  kEaseNone = 3,
  kEaseHold = 4,  // a step: the segment's starting key value
};
// Mode bit asking for straight lines between the key values.
constexpr int kModeStraight = 16;

// Bases of a key's easeCode (the ease option of the segment it starts).
constexpr int kEaseCodeInOut = 1000;
constexpr int kEaseCodeIn = 2000;
constexpr int kEaseCodeOut = 3000;
constexpr int kEaseCodeNone = 4000;

// The eased parameter in 0..1 for s in 0..1: sine ease-in up to easeInEnd, constant speed, sine
// ease-out from easeOutStart, the parts joined with equal speed.
double ease(float s, float easeInEnd, float easeOutStart);

// The value of field (0..13, read as a float) of a track of count keys sorted by time, at frame t;
// halfFrame evaluates half a frame later (second field of interlaced output). keys must hold at
// least one key; a count below 1 is taken as 1.
double interpolate(int count, const KeyFrame* keys, int field, int t, bool halfFrame, int mode);

// A picture's state at a time: x, y, width, height and amount along the curves, rotation along
// straight lines, easeCode held, every other field 0.
KeyFrame trackStateAt(int count, const KeyFrame* keys, int time, bool halfFrame);

// The motion path of one segment: the segment's starting key position and 16 sampled points, at
// frames Ti + trunc(j * 0.0625 * Di) for j = 1..16.
struct PathSample {
  int frame = 0;
  double x = 0;
  double y = 0;
};
struct PathSegment {
  int startFrame = 0;
  double startX = 0;
  double startY = 0;
  std::array<PathSample, 16> points{};
};
std::vector<PathSegment> sampleMotionPath(int count, const KeyFrame* keys, int mode);
