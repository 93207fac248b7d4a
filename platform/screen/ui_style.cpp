#include "platform/screen/ui_style.h"

namespace ws::style {

FontRef uiFont() {
  static FontRef f = Font::create(FontRequest{"Arial", -12, 400, false, false});
  return f;
}

FontRef uiBoldFont() {
  static FontRef f = Font::create(FontRequest{"Arial", -12, 700, false, false});
  return f;
}

void button(DrawingContext& dc, const Rect& r, bool pressed) {
  if (r.empty()) return;
  dc.fillRect(r, face);
  const ColourRef tl = pressed ? shadow : light, br = pressed ? light : darkShadow;
  dc.fillRect({r.left, r.top, r.right, r.top + 1}, tl);
  dc.fillRect({r.left, r.top, r.left + 1, r.bottom}, tl);
  dc.fillRect({r.left, r.bottom - 1, r.right, r.bottom}, br);
  dc.fillRect({r.right - 1, r.top, r.right, r.bottom}, br);
  if (!pressed && r.width() > 3 && r.height() > 3) {
    dc.fillRect({r.left + 1, r.bottom - 2, r.right - 1, r.bottom - 1}, shadow);
    dc.fillRect({r.right - 2, r.top + 1, r.right - 1, r.bottom - 1}, shadow);
  }
}

void sunken(DrawingContext& dc, const Rect& r, ColourRef fill) {
  if (r.empty()) return;
  dc.fillRect(r, fill);
  dc.fillRect({r.left, r.top, r.right, r.top + 1}, shadow);
  dc.fillRect({r.left, r.top, r.left + 1, r.bottom}, shadow);
  dc.fillRect({r.left, r.bottom - 1, r.right, r.bottom}, light);
  dc.fillRect({r.right - 1, r.top, r.right, r.bottom}, light);
}

void arrow(DrawingContext& dc, const Rect& r, int direction, ColourRef colour) {
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  for (int i = 0; i < 4; ++i) {
    // Rows of 1, 3, 5, 7 pixels towards the base.
    const int len = i;
    switch (direction) {
      case 0: dc.fillRect({cx - len, cy - 2 + i, cx + len + 1, cy - 1 + i}, colour); break;
      case 2: dc.fillRect({cx - len, cy + 1 - i, cx + len + 1, cy + 2 - i}, colour); break;
      case 3: dc.fillRect({cx - 2 + i, cy - len, cx - 1 + i, cy + len + 1}, colour); break;
      default: dc.fillRect({cx + 1 - i, cy - len, cx + 2 - i, cy + len + 1}, colour); break;
    }
  }
}

void label(DrawingContext& dc, const Rect& r, const std::string& text, ColourRef colour, int align, bool bold) {
  DrawingContext::StateSaver saver(dc);
  dc.selectFont(bold ? uiBoldFont() : uiFont());
  dc.setBkMode(TRANSPARENT);
  dc.setTextColor(colour);
  dc.setTextAlign(TA_TOP | TA_LEFT);
  const Point e = dc.textExtent(text);
  const int x = align == 1 ? (r.left + r.right - e.x) / 2 : align == 2 ? r.right - e.x : r.left;
  dc.textOut(x, r.top + (r.height() - e.y) / 2, text);
}

}  // namespace ws::style
