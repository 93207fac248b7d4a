#pragma once
// The render options of a show's owner: its stage, its switches, and the host frame at its current
// time (what the editor's previews show under the pictures).
#include "render/render_show.h"

class ShowState;

RenderOptions renderOptionsOf(const ShowState& state);
