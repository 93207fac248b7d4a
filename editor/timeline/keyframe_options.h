#pragma once
// The form of one key's values and of the ease of the segment that starts at it, drawn on the stage.
#include "platform/screen/win_defs.h"
#include "show/key_frame.h"

// Places the form at (max(x - 250, 8), y) on the stage; the short form shows the first five rows
// only and keeps the key's ease code. True when the user confirmed (the key has been changed).
bool keyframeOptions(int x, int y, KeyFrame& key, bool shortForm);

// The window the form is drawn on: the stage, or while there is none the editor window, or the
// timeline (0 when none of them has a window).
ws::WindowHandle keyframeFormWindow();
