// Stand-in until the colour picker is built.
#include "dialogs/colour_picker.h"

HlsColour rgbToHls(int, int, int) { return {}; }
uint32_t hlsToRgb(int, int, int) { return 0; }
int pickColour(ws::WindowHandle, int, int, uint32_t&, const void*, const char*) { return 0; }
void drawPickerBody(uint32_t, int, int, int) {}
int& colourModel() {
  static int model = 1;
  return model;
}
