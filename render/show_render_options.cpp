#include "render/show_render_options.h"

#include "show/show_state.h"

RenderOptions renderOptionsOf(const ShowState& state) {
  RenderOptions options;
  options.stageWidth = state.stageWidth();
  options.stageHeight = state.stageHeight();
  options.fieldSwap = state.fieldSwap != 0;
  options.flopTopField = state.flopTopField != 0;
  options.fastDisplay = state.fastDisplay != 0;
  options.hostFrame = state.currentTime;
  return options;
}
