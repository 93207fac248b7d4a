#pragma once
// The stage's arithmetic, apart from any window: where the frame goes, where a picture's corners,
// centre and rotate handle lie on screen, what a pointer position hits, and how a drag step changes a
// picture's state. Every conversion to whole pixels truncates toward zero, as the drawing does.
#include "platform/screen/win_defs.h"
#include "show/key_frame.h"

// The frame rectangle: the stage image of stageWidth x stageHeight scaled by zoom and centred in a
// client area of clientWidth x clientHeight, never left of or above 0.
ws::Rect stageFrameRect(int clientWidth, int clientHeight, int stageWidth, int stageHeight, float zoom);

// A point turned about a centre by `degrees` (clockwise on screen), rounded as the drawing rounds.
ws::Point rotatePoint(ws::Point p, ws::Point centre, double degrees);

// A picture's outline as drawn and hit: its centre at (originX + trunc(x * zoom), originY +
// trunc(y * zoom)), half sizes, the four turned corners and the turned rotate handle.
struct PictureGeometry {
  ws::Point centre;
  int halfWidth = 0;
  int halfHeight = 0;
  ws::Point corners[4];
  ws::Point rotateHandle;
};
PictureGeometry pictureGeometry(const KeyFrame& state, float zoom, int originX, int originY);

// The arm of the centre cross: half width / 8, at least 4.
int crossArm(const PictureGeometry& g);

// What a point hits on a picture (coordinates in the geometry's terms): 9 the first corner (rotate),
// 10 another corner (size), 8 the central square of half the height on both axes (move), else 0.
int hitPicture(const PictureGeometry& g, int px, int py);
// The corner tolerance: half width / 6, at least 4.
int hitTolerance(const PictureGeometry& g);

// Whether a point falls in the central box of a picture: half its unrotated width and height.
bool inCentralBox(const KeyFrame& state, float zoom, int originX, int originY, int px, int py);

// The effect slider's value for a pointer `offset` pixels right of the frame's left edge: 0 to 100.
int sliderValue(int offset);

// The drag steps. px, py and the centre are in the same terms (relative to the frame, scroll
// positions taken off the centre); grab offsets and drag starts as the press recorded them.
void moveStep(KeyFrame& state, float zoom, int px, int py, int grabOffsetX, int grabOffsetY, int dragStartX,
              int dragStartY, bool shift);
void rotateStep(KeyFrame& state, int px, int grabOffsetX, bool shift);
// aspect: height / width of the picture's own image.
void sizeStep(KeyFrame& state, float zoom, ws::Point centre, int px, int py, double aspect, bool shift);

// The TV-safe guides of a frame: the inner (action-safe text) rectangle drawn rounded and the outer
// one, and the inner one's corner size.
struct TvSafeGuides {
  ws::Rect inner;
  ws::Rect outer;
  int cornerSize = 0;
};
TvSafeGuides tvSafeGuides(const ws::Rect& frame);
