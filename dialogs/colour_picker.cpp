// The colour picker's panel and its loop. Positions: the panel is the 230-pixel square at (x, y), cx
// its centre line, and the body starts 40 pixels down; rows of the pointer are 18 pixels high from
// y + 22 (row 0 is the title band and everything above it).
#include "dialogs/colour_picker.h"

#include <algorithm>
#include <cmath>

#include "dialogs/panel_loop.h"
#include "platform/screen/modal_loops.h"
#include "platform/screen/screen.h"

namespace {

constexpr ws::ColourRef kLightGrey = ws::rgb(192, 192, 192);
constexpr ws::ColourRef kGreyText = ws::rgb(128, 128, 128);
constexpr ws::ColourRef kBlack = ws::rgb(0, 0, 0);
constexpr ws::ColourRef kWhite = ws::rgb(255, 255, 255);
constexpr int kPanelSize = 230;
constexpr int kBodyOffset = 40;

struct Channels {
  int value[3];
};

Channels channelsOf(uint32_t colour, int model) {
  if (model == 0) return {{ws::redOf(colour), ws::greenOf(colour), ws::blueOf(colour)}};
  const HlsColour h = rgbToHls(ws::redOf(colour), ws::greenOf(colour), ws::blueOf(colour));
  return {{h.hue, h.lightness, h.saturation}};
}

uint32_t colourOf(const Channels& c, int model) {
  if (model == 0) return ws::rgb(c.value[0], c.value[1], c.value[2]);
  return hlsToRgb(c.value[0], c.value[1], c.value[2]);
}

int maximumOf(int model) { return model == 0 ? 255 : 240; }

void drawFrame(int x, int y) { bevelFrame(kWhite, ws::rgb(64, 64, 64), {x, y, x + 229, y + 229}, 1); }

void drawPanel(int x, int y, const char* title) {
  fillRect(kLightGrey, {x, y, x + kPanelSize, y + kPanelSize});
  fillRoundRect(kBlack, {x + 4, y + 4, x + 226, y + 24}, 4);
  selectFont(standardFont(12), 0xFFFFFFFFu, -1);
  drawText(kWhite, title ? title : "", x + 115, y + 6, ws::TA_CENTER);
  drawFrame(x, y);
}

// The row of a pointer position: 0 for the title band and above.
int rowAt(int pointerY, int y) {
  const int row = (pointerY - y - 22) / 18;
  return row > 0 ? row : 0;
}

}  // namespace

int& colourModel() {
  static int model = 1;
  return model;
}

void drawPickerBody(uint32_t colour, int cx, int d, int model) {
  static const char* const captions[2][3] = {{"Red", "Green", "Blue"}, {"Hue", "Luminance", "Saturation"}};
  const int maximum = maximumOf(model);
  const Channels c = channelsOf(colour, model);
  for (int i = 0; i < 3; ++i) {
    const int top = d + 18 * i;
    selectFont(standardFont(13), 0xFFFFFFFFu, -1);
    drawText(kBlack, captions[model == 0 ? 0 : 1][i], cx - 8, top, ws::TA_RIGHT);
    selectFont(standardFont(12), 0xFFFFFFFFu, -1);
    const ws::Rect bar{cx + 8, top + 3, cx + 78, top + 14};
    clearSliderNumber(kLightGrey, bar);
    slider(kLightGrey, ws::rgb(96, 96, 96), bar, c.value[i] * 100 / maximum, maximum, false);
  }

  fillRect(ws::ColourRef(colour & 0xFFFFFF), {cx - 40, d + 58, cx - 8, d + 86});
  frameRect(kBlack, {cx - 40, d + 58, cx - 8, d + 86}, 1, ws::PS_SOLID);

  static const char* const models[3] = {"RGB", "HLS", "Texture"};
  for (int i = 0; i < 3; ++i) {
    const ws::Rect box{cx + 8, d + 57 + 18 * i, cx + 19, d + 68 + 18 * i};
    const bool checked = i == model;
    // No texture record is ever given, so "Texture" is shown as a choice that is not there.
    const ws::ColourRef ink = i == 2 ? kGreyText : kBlack;
    if (!checked) fillRect(kLightGrey, box.inset(1, 1));
    checkCircle(ink, box, checked);
    drawText(ink, models[i], cx + 24, d + 55 + 18 * i, ws::TA_LEFT);
  }
  fillRect(kLightGrey, {cx - 100, d + 90, cx - 8, d + 106});
  frameRoundRect(kGreyText, {cx - 100, d + 90, cx - 8, d + 106}, 8, 1, ws::PS_SOLID);
  drawText(kGreyText, "None", cx - 54, d + 91, ws::TA_CENTER);

  for (int i = 0; i < 32; ++i) {
    const int left = cx - 100 + int(6.25 * i);
    fillRect(ws::rgb(8 * i, 8 * i, 8 * i), {left, d + 111, left + 8, d + 130});
    fillRect(hlsToRgb(int(7.5 * i), 120, 240), {left, d + 129, left + 8, d + 148});
  }

  frameRoundRect(kBlack, {cx + 50, d + 166, cx + 100, d + 181}, 8, 1, ws::PS_SOLID);
  drawText(kBlack, "OK", cx + 75, d + 166, ws::TA_CENTER);
  frameRoundRect(kBlack, {cx - 30, d + 166, cx + 40, d + 181}, 8, 1, ws::PS_SOLID);
  drawText(kBlack, "Cancel", cx + 5, d + 166, ws::TA_CENTER);
}

int pickColour(ws::WindowHandle window, int x, int y, uint32_t& colour, const void* texture, const char* title) {
  ws::ModalLoopScope modal("picker");
  if (!window || !ws::screen().isWindow(window)) return 0;
  int& model = colourModel();
  if (!texture && model > 0) model = 1;
  int maximum = maximumOf(model);
  const uint32_t entryColour = colour;
  const int cx = x + 115, d = y + kBodyOffset;

  PanelDrawing drawing(window, 12);
  drawPanel(x, y, title);
  // The slider numbers reach over the panel's right edge; the frame goes back over them.
  auto redrawBody = [&] {
    drawPickerBody(colour, cx, d, model);
    drawFrame(x, y);
  };
  redrawBody();

  int dragChannel = -1;
  int result = 0;
  // The release of the click that opened the picker (a form's colour row) may still be on its way;
  // only a release after a press of the picker's own is the user's answer.
  bool pressed = false;
  for (;;) {
    WindowMessage m;
    if (!getMessage(m)) {
      // The program is ending: leave as cancelled and let the loops outside see the quit too.
      colour = entryColour;
      postQuitMessage(int(m.wParam));
      break;
    }
    const ws::Point p = pointerIn(window, m);
    const int row = rowAt(p.y, y);
    if (isKey(m, 27)) {
      colour = entryColour;
      break;
    }
    if (isLeftPress(m.message)) {
      pressed = true;
      if (row <= 3) dragChannel = row;
      continue;
    }
    if (m.message == ws::WM_MOUSEMOVE && dragChannel >= 0) {
      const int v = std::clamp(int((p.x - cx) * 0.0285714 * 100), 0, maximum);
      Channels c = channelsOf(colour, model);
      c.value[dragChannel <= 1 ? 0 : dragChannel - 1] = v;
      colour = colourOf(c, model);
      redrawBody();
      continue;
    }
    if (!isLeftRelease(m.message)) {
      dropMessage(m);
      continue;
    }
    dragChannel = -1;
    if (!pressed) continue;
    const bool buttonBand = p.y > y + 200 && p.y < y + 220;
    if (buttonBand && p.x > cx + 50 && p.x < cx + 100) {
      result = 1;
      break;
    }
    if ((buttonBand && p.x > cx - 30 && p.x < cx + 40) || !releasedOver(window, m) || p.y < y || p.y > y + kPanelSize ||
        p.x < x || p.x > x + kPanelSize) {
      colour = entryColour;
      break;
    }
    if (row >= 4 && row <= 6 && p.x > cx && p.x < cx + 20) {
      fillRect(kLightGrey, {x + 12, y + 38, cx - 7, y + 96});
      model = row - 4;
      if (model == 2 && !texture) model = 1;
      maximum = row == 4 ? 255 : 240;
    } else if (row == 7) {
      const int v = std::clamp((128 * (p.x - cx) + 12800) / 100, 0, 255);
      colour = ws::rgb(v, v, v);
    } else if (row == 8) {
      const int h = std::min((12 * (p.x - cx) + 1200) / 10, 255);
      colour = hlsToRgb(h, 120, 240);
    }
    redrawBody();
  }
  fillRect(kLightGrey, {x - 1, y - 1, x + 231, y + 231});
  return result;
}
