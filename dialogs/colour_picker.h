#pragma once
// One colour chosen with three sliders in the red-green-blue or the hue-lightness-saturation model,
// or from a grey ramp or a hue ramp, on a panel drawn onto an existing window.
#include <cstdint>

#include "platform/screen/win_defs.h"

struct HlsColour {
  int hue = 0;
  int lightness = 0;
  int saturation = 0;
};

// Integer conversions; channels 0..255 and 0..240.
HlsColour rgbToHls(int red, int green, int blue);
// A colour reference (red in the low byte).
uint32_t hlsToRgb(int hue, int lightness, int saturation);

// 1 when the user confirms, 0 when cancelled (the colour is then the entry colour again) and at once
// without a window. texture: always null in this system (the "Texture" choice is shown greyed).
int pickColour(ws::WindowHandle window, int x, int y, uint32_t& colour, const void* texture, const char* title);
void drawPickerBody(uint32_t colour, int centreX, int top, int model);

// The model of the last use: 0 RGB, 1 HLS (starts at 1).
int& colourModel();
