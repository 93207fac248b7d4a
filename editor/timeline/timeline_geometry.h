#pragma once
// The timeline's arithmetic, apart from its window: where a frame sits, which frame and row lie under
// a position, the time scale a show length gets, and the texts and marks the rows carry.
#include <string>

#include "show/key_frame.h"

// Frames start 4 pixels in, so that a key at frame 0 still shows its left half.
constexpr int kTimelineLeft = 4;
// Nothing wider can be scrolled through, whatever the show length.
constexpr int kMaxContentWidth = 32700;
constexpr int kRulerBottom = 13;
constexpr int kFirstRowTop = 14;
constexpr int kRowStep = 15;
constexpr int kRowHeight = 16;

// x of a frame in content coordinates at `scale` frames per 60 pixels.
int timelineFrameX(int frame, int scale);
// The frame at a content x; positions left of frame 0 give 0.
int timelineFrameAt(int contentX, int scale);
// The row under a content y.
int timelineRowAt(int contentY);
// Top of picture row `row` in content coordinates.
inline int timelineRowTop(int row) { return kFirstRowTop + kRowStep * row; }
// Short shows get a finer scale: 5 frames per 60 pixels below 3 seconds, 10 below 8, else a second.
int timeScaleForLength(int frames, int framesPerSecond);
int contentWidthFor(int frames, int scale);

// The picture's file name without folders and without anything from the first "." on, followed by
// the suffix of its brush kind.
std::string pictureRowLabel(const char* path, int brushCode);
// Whether key b holds the picture still where key a left it (same place, size, angle and amount).
bool holdsStill(const KeyFrame& a, const KeyFrame& b);
