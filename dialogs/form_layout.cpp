#include "dialogs/form_layout.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/drawing.h"
#include "platform/screen/font.h"

ControlKind controlKind(const char* label) {
  if (!label || label[0] != '@') return ControlKind::plain;
  switch (label[1]) {
    case 'C': return ControlKind::checkBox;
    case 'R': return ControlKind::radio;
    case 'S': return ControlKind::slider;
    case 'L': return ControlKind::colour;
    case 'F': return ControlKind::folder;
    default: return ControlKind::plain;
  }
}

std::string formText(const char* text) { return text ? std::string(text, strnlen(text, kFormTextSize - 1)) : std::string(); }

void setFormText(FormText& value, const std::string& text) {
  const size_t n = std::min(text.size(), size_t(kFormTextSize - 1));
  std::memcpy(value, text.data(), n);
  value[n] = 0;
}

std::string controlCaption(const char* label) {
  const std::string text = formText(label);
  const ControlKind kind = controlKind(label);
  if (kind == ControlKind::plain) return text;
  const std::string rest = text.substr(2);
  switch (kind) {
    case ControlKind::radio: {
      const size_t bar = rest.find('|');
      return bar == std::string::npos ? rest : rest.substr(bar + 1);
    }
    case ControlKind::slider:
    case ControlKind::colour:
    case ControlKind::folder: return rest + ":";
    default: return rest;
  }
}

std::string radioGroupTitle(const char* label) {
  if (controlKind(label) != ControlKind::radio) return "";
  const std::string rest = formText(label).substr(2);
  const size_t bar = rest.find('|');
  return bar == std::string::npos ? "" : rest.substr(0, bar);
}

bool FormLayout::inPanel(int px, int py) const {
  const ws::Rect p = panel();
  return px >= p.left && px <= p.right && py >= p.top && py <= p.bottom;
}

int FormLayout::sliderValueAt(int pointerX) const {
  const double offset = double((pointerX - (x + e)) - 16);
  // A label column of 34 pixels or less leaves no slider to measure against: the pointer is then
  // simply left or right of its start.
  double v = e - 34 > 0 ? offset / double(e - 34) : (offset > 0 ? 1.0 : 0.0);
  v = std::clamp(v, 0.0, 1.0);
  return int(v * 100);
}

FormLayout measureForm(int x, int y, int rows, const FormText* labels, bool withApply) {
  FormLayout l;
  l.x = x;
  l.y = y;
  l.rows = std::max(rows, 0);
  l.withApply = withApply;
  for (int i = 0; i < l.rows; ++i) l.e = std::max(l.e, textWidth(formText(labels[i]).c_str()));
  return l;
}

std::string fitText(const char* text, int width) {
  std::string s = text ? text : "";
  if (textWidth(s.c_str()) <= width) return s;
  // Text that decodes as UTF-8 loses whole characters; any other text is one character per byte.
  const bool multiByte = ws::decodeText(s).size() != s.size();
  std::string suffix = "...";
  if (textWidth(suffix.c_str()) > width) {
    s = suffix;
    suffix.clear();
  }
  while (!s.empty() && textWidth((s + suffix).c_str()) > width) {
    // The continuation bytes of the last character, then its first byte.
    while (multiByte && !s.empty() && (uint8_t(s.back()) & 0xC0) == 0x80) s.pop_back();
    if (!s.empty()) s.pop_back();
  }
  return s + suffix;
}
