// The form's message loop. It owns the whole queue while it runs: every message is taken off and
// dropped unless it belongs to the in-place field (which is dispatched, so that typing works) or is
// one of the presses, releases, moves and keys below.
#include "dialogs/form.h"

#include <cstdio>
#include <cstdlib>

#include "dialogs/colour_picker.h"
#include "dialogs/form_layout.h"
#include "dialogs/panel_loop.h"
#include "platform/dialogs.h"
#include "platform/edit_field.h"
#include "platform/platform_state.h"
#include "platform/screen/modal_loops.h"
#include "platform/screen/screen.h"

FileSpec& folderChooserFile() {
  static FileSpec file;
  return file;
}

namespace {

constexpr int kInPlaceFieldId = 123456;

// The text field edited in place over one plain row.
class InPlaceField {
 public:
  ~InPlaceField() { field_.destroy(); }
  bool open() const { return row_ >= 0; }
  ws::WindowHandle handle() const { return field_.handle(); }

  void openOn(ws::WindowHandle window, const FormLayout& l, int row, const FormText& value) {
    focusBefore_ = ws::screen().focus();
    if (!field_.createEdit(window, l.x + l.e + 15, l.y + 36 + 20 * row, l.e - 8, 20, kInPlaceFieldId, standardFont(10))) return;
    field_.setText(formText(value).c_str(), false);
    field_.focus();
    row_ = row;
  }

  // Commits the text to the row's value and removes the field.
  void close(FormText* values) {
    if (!open()) return;
    FormText text = {};
    field_.getText(text, kFormTextSize);
    setFormText(values[row_], text);
    field_.destroy();
    row_ = -1;
    if (ws::screen().isWindow(focusBefore_)) ws::screen().setFocus(focusBefore_);
  }

 private:
  EditField field_;
  int row_ = -1;
  ws::WindowHandle focusBefore_ = 0;
};

bool isInside(ws::WindowHandle window, ws::WindowHandle h) {
  const ws::Screen& s = ws::screen();
  for (const ws::ScreenWindow* w = s.window(h); w; w = w->parent ? s.window(w->parent) : nullptr)
    if (w->handle == window) return true;
  return false;
}

bool isRightButton(uint32_t message) {
  return message == ws::WM_RBUTTONDOWN || message == ws::WM_RBUTTONUP || message == ws::WM_RBUTTONDBLCLK;
}

void toggle(FormText& value) { setFormText(value, value[0] ? "" : "1"); }

}  // namespace

int runForm(ws::WindowHandle window, int x, int y, int n, FormText* labels, FormText* values, const char* title) {
  const int rows = n < 0 ? -n : n;
  if (!window || !ws::screen().isWindow(window) || (rows > 0 && (!labels || !values))) return kFormCancelled;
  const bool withApply = n < 0;

  PanelDrawing drawing(window, 10);
  ws::ModalLoopScope modal("form");
  const FormLayout l = measureForm(x, y, rows, labels, withApply);
  auto redraw = [&] { drawForm(x, y, rows, labels, values, title, withApply); };
  redraw();

  int result = kFormConfirmed;
  bool sliderDrag = false;
  InPlaceField field;
  for (;;) {
    WindowMessage m;
    if (!getMessage(m)) {
      // The program is ending, which confirms nothing; the loops outside must see the quit as well.
      result = kFormCancelled;
      field.close(values);
      postQuitMessage(int(m.wParam));
      break;
    }
    if (field.open() && m.window == field.handle()) {
      dispatch(m);
      continue;
    }
    if (isRightButton(m.message)) continue;
    if (isLeftPress(m.message) && !isInside(window, m.window)) {
      result = kFormCancelled;
      field.close(values);
      break;
    }
    if (isKey(m, 27) || isKey(m, 13)) {
      if (isKey(m, 27)) result = kFormCancelled;
      field.close(values);
      break;
    }
    if (isLeftRelease(m.message)) {
      sliderDrag = false;
      continue;
    }
    const ws::Point p = pointerIn(window, m);
    if (m.message == ws::WM_MOUSEMOVE) {
      const int row = l.rowAt(p.y);
      if (sliderDrag && row >= 0 && row < rows && controlKind(labels[row]) == ControlKind::slider) {
        setFormText(values[row], std::to_string(l.sliderValueAt(p.x)));
        redraw();
      }
      continue;
    }
    if (!isLeftPress(m.message)) {
      dropMessage(m);
      continue;
    }

    field.close(values);
    const int row = l.rowAt(p.y);
    if (row < 0) {
      redraw();
      continue;
    }
    if (!l.inPanel(p.x, p.y)) {
      result = kFormCancelled;
      break;
    }
    if (row >= rows) {
      if (withApply && p.x < x + 80) result = kFormApplied;
      else if (row > rows) result = kFormCancelled;
      break;
    }
    if (p.x > l.captionEdge()) {
      switch (controlKind(labels[row])) {
        case ControlKind::radio:
          for (int i = 0; i < rows; ++i)
            if (controlKind(labels[i]) == ControlKind::radio) values[i][0] = 0;
          toggle(values[row]);
          break;
        case ControlKind::checkBox: toggle(values[row]); break;
        case ControlKind::slider:
          sliderDrag = true;
          setFormText(values[row], std::to_string(l.sliderValueAt(p.x)));
          break;
        case ControlKind::colour: {
          uint32_t colour = uint32_t(std::strtoll(formText(values[row]).c_str(), nullptr, 10));
          drawing.giveBack();
          pickColour(window, x, y, colour, nullptr, "Choose Color");
          drawing.take();
          char text[24];
          std::snprintf(text, sizeof text, "%ld", long(colour));
          setFormText(values[row], text);
          break;
        }
        case ControlKind::folder: {
          FileSpec& chosen = folderChooserFile();
          drawing.giveBack();
          if (chooseFileToOpen(window, &chosen, "All Files (*.*)|*.*|", nullptr, false))
            setFormText(values[row], folderPart(chosen.pathText()));
          drawing.take();
          break;
        }
        case ControlKind::plain: field.openOn(window, l, row, values[row]); break;
      }
    }
    redraw();
  }
  return result;
}
