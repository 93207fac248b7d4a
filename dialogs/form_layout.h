#pragma once
// The geometry of a form and the reading of its control descriptions. Everything is measured from the
// widest label in the current font: e pixels for the caption column and as many for the value column.
#include <string>

#include "dialogs/form.h"
#include "platform/screen/win_defs.h"

enum class ControlKind { plain, checkBox, radio, slider, colour, folder };

ControlKind controlKind(const char* label);
// What is drawn for the row: the caption with ":" for sliders, colours and folders; for a radio the
// part after the group title's "|".
std::string controlCaption(const char* label);
// The group title of a radio description ("@REases|Use Default" gives "Eases"); empty without a "|".
std::string radioGroupTitle(const char* label);

// A label or value as text: at most 63 characters, whether or not the caller's text was terminated.
std::string formText(const char* text);
// Writes text into a value, cut to 63 characters.
void setFormText(FormText& value, const std::string& text);

struct FormLayout {
  int x = 0, y = 0;
  int rows = 0;
  int e = 0;  // the widest label's width
  bool withApply = false;

  ws::Rect panel() const { return {x, y, x + 2 * e + 16, y + 20 * rows + 78}; }
  ws::Rect titleBar() const { return {x + 8, y + 8, x + 2 * e + 8, y + 24}; }
  // The value column of a row; rows at and past `rows` are the button rows.
  ws::Rect column(int row) const { return {x + e + 16, y + 36 + 20 * row, x + 2 * e + 8, y + 52 + 20 * row}; }
  ws::Rect okButton() const { return button(rows); }
  ws::Rect cancelButton() const { return button(rows + 1); }
  ws::Rect applyButton() const { return {x + 8, column(rows + 1).top, x + 68, column(rows + 1).bottom}; }
  // The row under a pointer's y, the division truncating toward zero (so 19 pixels above row 0 still
  // count as row 0, and only a pointer above y + 16 gives a negative row).
  int rowAt(int pointerY) const { return (pointerY - y - 36) / 20; }
  // Inclusive of all four edges.
  bool inPanel(int px, int py) const;
  // Presses at or left of this x on a control row fall on the captions and do nothing.
  int captionEdge() const { return x + e + 12; }
  // The slider value (0..100) for a pointer x.
  int sliderValueAt(int pointerX) const;

 private:
  ws::Rect button(int row) const { return {column(row).right - 60, column(row).top, column(row).right, column(row).bottom}; }
};

// Measures the labels in the current font.
FormLayout measureForm(int x, int y, int rows, const FormText* labels, bool withApply);

