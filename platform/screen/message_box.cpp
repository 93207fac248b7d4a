#include <algorithm>

#include "platform/screen/dialog_boxes.h"
#include "platform/screen/dialog_window.h"
#include "platform/screen/modal_loops.h"
#include "platform/screen/screen.h"
#include "platform/screen/ui_style.h"

namespace ws {

namespace {

class MessageBoxWindow : public DialogWindow {
 public:
  MessageBoxWindow(const std::string& text, uint32_t type) : type_(type), text_(text) {
    lines_ = wrapText(text, 420);
    const uint32_t kind = type & 0xF;
    if (kind == MB_YESNO || kind == MB_YESNOCANCEL) {
      ids_ = {IDYES, IDNO};
      if (kind == MB_YESNOCANCEL) ids_.push_back(IDCANCEL);
    } else if (kind == MB_OKCANCEL) {
      ids_ = {IDOK, IDCANCEL};
    } else {
      ids_ = {IDOK};
    }
  }

  std::string text() const override { return text_; }

  int width() const {
    int w = 0;
    for (const std::string& l : lines_) w = std::max(w, style::uiFont()->textWidth(l));
    return std::max(w + 80, int(ids_.size()) * 83 + 30);
  }
  int height() const { return std::max(int(lines_.size()) * lineHeight(), 32) + 70; }

 protected:
  static int lineHeight() { return style::uiFont()->height() + 2; }

  void create() override {
    const Rect client = screen().clientRect(handle_);
    const int total = int(ids_.size()) * 75 + (int(ids_.size()) - 1) * 8;
    int x = (client.width() - total) / 2;
    for (int id : ids_) {
      addButton(id, id == IDYES ? "Yes" : id == IDNO ? "No" : id == IDCANCEL ? "Cancel" : "OK", {x, client.bottom - 35, x + 75, client.bottom - 12});
      x += 83;
    }
  }

  void paint(DrawingContext& dc) override {
    const uint32_t icon = type_ & 0xF0;
    if (icon) {
      DrawingContext::StateSaver saver(dc);
      const ColourRef c = icon == MB_ICONERROR ? rgb(200, 0, 0) : icon == MB_ICONWARNING ? rgb(220, 170, 0) : rgb(0, 70, 200);
      dc.selectPen(Pen{PS_NULL, 1, 0});
      dc.selectBrush(Brush{false, c});
      dc.ellipse(14, 14, 46, 46);
      style::label(dc, {14, 14, 45, 45}, icon == MB_ICONQUESTION ? "?" : icon == MB_ICONINFORMATION ? "i" : "!", style::highlightText, 1, true);
    }
    const int left = icon ? 60 : 20;
    const int top = 18 + std::max(0, (32 - int(lines_.size()) * lineHeight()) / 2);
    for (size_t i = 0; i < lines_.size(); ++i)
      style::label(dc, {left, top + int(i) * lineHeight(), left + 900, top + int(i + 1) * lineHeight()}, lines_[i], style::text);
  }

  bool key(int vk, WindowHandle from) override {
    if (vk == 'Y' && std::count(ids_.begin(), ids_.end(), IDYES)) return command(IDYES), true;
    if (vk == 'N' && std::count(ids_.begin(), ids_.end(), IDNO)) return command(IDNO), true;
    if (vk == VK_ESCAPE && cancelId() == 0) return true;  // a Yes/No box has no way out but the answers
    return DialogWindow::key(vk, from);
  }

  void command(int id) override {
    if (id != 0) end(id);
  }

  int cancelId() const override {
    if (std::count(ids_.begin(), ids_.end(), IDCANCEL)) return IDCANCEL;
    if (ids_.size() == 1) return IDOK;
    return 0;
  }

 private:
  uint32_t type_;
  std::string text_;
  std::vector<std::string> lines_;
  std::vector<int> ids_;
};

class ValueDialogWindow : public DialogWindow {
 public:
  explicit ValueDialogWindow(ValueRequest& r) : request_(r) {}

 protected:
  void create() override {
    Screen& s = screen();
    edit_ = s.createWindow("EDIT", "", WS_CHILD | WS_BORDER | WS_VISIBLE, 16, 62, 288, 24, handle_, 0, 1003);
    s.sendMessage(edit_, EM_LIMITTEXT, request_.maxLength, 0);
    if (!request_.value.empty()) s.sendMessage(edit_, WM_SETTEXT, 0, LParam(reinterpret_cast<intptr_t>(request_.value.c_str())));
    s.sendMessage(edit_, EM_SETSEL, 0, -1);
    s.setFocus(edit_);
    addButton(IDOK, "OK", {148, 100, 223, 123});
    addButton(IDCANCEL, "Cancel", {230, 100, 305, 123});
  }

  void paint(DrawingContext& dc) override {
    style::label(dc, {16, 10, 304, 30}, request_.prompt, style::text);
    style::label(dc, {16, 32, 304, 52}, request_.secondPrompt, style::text);
  }

  void command(int id) override {
    if (id != IDOK && id != IDCANCEL) return;
    char buffer[256] = {};
    screen().sendMessage(edit_, WM_GETTEXT, sizeof buffer, LParam(reinterpret_cast<intptr_t>(buffer)));
    request_.value = std::string(buffer).substr(0, request_.maxLength);
    end(id);
  }

  bool key(int vk, WindowHandle from) override {
    if (vk == VK_RETURN) return command(IDOK), true;
    return DialogWindow::key(vk, from);
  }

 private:
  ValueRequest& request_;
  WindowHandle edit_ = 0;
};

}  // namespace

int messageBox(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t type, bool* unanswered) {
  MessageBoxWindow box(text, type);
  ModalLoopScope modal("message");
  const int result = box.run(owner, caption, box.width(), box.height(), (type & MB_TOPMOST) != 0);
  if (unanswered) *unanswered = box.unanswered();
  return result;
}

std::string dialogText(WindowHandle box) {
  const DialogWindow* d = DialogWindow::find(box);
  return d ? d->text() : std::string();
}

int valueDialog(WindowHandle owner, ValueRequest& request) {
  ValueDialogWindow dialog(request);
  ModalLoopScope modal("value");
  return dialog.run(owner, request.title, 320, 135, false);
}

}  // namespace ws
