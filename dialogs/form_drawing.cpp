// The look of a form: a grey bevelled panel, a black title bar, a caption column right-aligned against
// the value column, and the OK, Cancel and Apply outlines below the rows.
#include <cstdlib>

#include "dialogs/form.h"
#include "dialogs/form_layout.h"
#include "dialogs/panel_loop.h"
#include "platform/drawing.h"

namespace {

constexpr ws::ColourRef kBlack = ws::rgb(0, 0, 0);
constexpr ws::ColourRef kWhite = ws::rgb(255, 255, 255);
constexpr ws::ColourRef kLightGrey = ws::rgb(192, 192, 192);

bool isOn(const FormText& value) { return value[0] != 0; }

// The bracket that gathers the radio rows under their group title, drawn left of the first of them.
void drawRadioBracket(const ws::Rect& col, const std::string& title, int radioRows) {
  const int m = textWidth(title.c_str());
  const int g = radioRows - 1;
  const int left = col.left - m, b = col.bottom;
  line(kBlack, {left, b - 8, left, b + 10 * g - 16}, 1, ws::PS_SOLID);
  line(kBlack, {left, b + 10 * g, left, b + 20 * g - 8}, 1, ws::PS_SOLID);
  line(kBlack, {left, b - 8, col.left - 8, b - 8}, 1, ws::PS_SOLID);
  line(kBlack, {left, b + 20 * g - 8, col.left - 8, b + 20 * g - 8}, 1, ws::PS_SOLID);
  drawText(kBlack, title.c_str(), left, b + 10 * g - 14, ws::TA_CENTER);
}

void drawButton(const ws::Rect& r, const char* caption) {
  frameRoundRect(kBlack, r, 10, 1, ws::PS_SOLID);
  drawText(kBlack, caption, (r.left + r.right) / 2, r.bottom - 14, ws::TA_CENTER);
}

}  // namespace

void drawForm(int x, int y, int rows, const FormText* labels, const FormText* values, const char* title, bool withApply) {
  if (!drawingContext() || (rows > 0 && (!labels || !values))) return;
  const FormLayout l = measureForm(x, y, rows, labels, withApply);
  const ws::Rect panel = l.panel();
  fillRect(kLightGrey, panel);
  fillRoundRect(kBlack, l.titleBar(), 4);
  drawText(kWhite, title ? title : "", x + l.e + 8, y + 9, ws::TA_CENTER);

  int radioRows = 0;
  for (int i = 0; i < l.rows; ++i) radioRows += controlKind(labels[i]) == ControlKind::radio;

  for (int i = 0; i < l.rows; ++i) {
    const ws::Rect col = l.column(i);
    const ControlKind kind = controlKind(labels[i]);
    const std::string caption = controlCaption(labels[i]);
    const std::string value = formText(values[i]);
    const int textTop = col.bottom - 14;
    if (kind == ControlKind::radio) drawText(kBlack, caption.c_str(), x + l.e + 30, textTop, ws::TA_LEFT);
    else drawText(kBlack, caption.c_str(), l.captionEdge(), textTop, ws::TA_RIGHT);
    switch (kind) {
      case ControlKind::plain:
        fillRect(kWhite, col);
        frameRect(kBlack, col, 1, ws::PS_SOLID);
        drawText(kBlack, value.c_str(), col.left + 4, textTop, ws::TA_LEFT);
        break;
      case ControlKind::checkBox:
        checkBox(kWhite, {col.left, col.bottom - 14, col.left + 12, col.bottom - 2}, isOn(values[i]));
        break;
      case ControlKind::radio: {
        checkCircle(kBlack, {col.left, col.bottom - 12, col.left + 9, col.bottom - 3}, isOn(values[i]));
        const std::string group = radioGroupTitle(labels[i]);
        if (!group.empty()) drawRadioBracket(col, group, radioRows);
        break;
      }
      case ControlKind::slider: {
        const ws::Rect bar{col.left, col.top + 5, col.right - 19, col.bottom};
        clearSliderNumber(kLightGrey, bar);
        slider(kLightGrey, ws::rgb(96, 96, 96), bar, std::atoi(value.c_str()), 100, false);
        break;
      }
      case ControlKind::colour:
        fillRect(ws::ColourRef(std::strtoll(value.c_str(), nullptr, 10)) & 0xFFFFFF, col);
        frameRect(kBlack, col, 1, ws::PS_SOLID);
        break;
      case ControlKind::folder:
        fillRect(ws::rgb(224, 224, 224), col);
        frameRect(kBlack, col, 1, ws::PS_SOLID);
        drawText(kBlack, fitText(value.c_str(), col.width() - 9).c_str(), col.left + 4, textTop, ws::TA_LEFT);
        break;
    }
  }

  drawButton(l.okButton(), "OK");
  drawButton(l.cancelButton(), "Cancel");
  if (withApply) drawButton(l.applyButton(), "Apply");
  // Last, since the slider numbers reach over the panel's right edge.
  bevelFrame(kWhite, ws::rgb(64, 64, 64), {panel.left, panel.top, panel.right - 1, panel.bottom - 1}, 1);
}
