#pragma once
// Repaint to the pixel: at a point of rest, what the screen shows must be what every editor window
// would show if it painted itself whole now. Pixels that differ are the drawing of an earlier state.
#include <string>

#include "platform/screen/win_defs.h"

struct PaintCheck {
  long stale = 0;
  ws::Rect box;  // bounding rectangle of the stale pixels, screen coordinates; empty when none
};

// Why the editor is not at rest (a drag, a modal loop, an open menu), or empty when it is.
std::string restProblem();

// Composes the screen, has the editor, the stage and the timeline paint themselves whole, composes
// again and compares. Call only at rest.
PaintCheck paintCheck();

// {"stale": N, "box": R}, box null when nothing is stale.
std::string paintCheckReadout(const PaintCheck& check);
