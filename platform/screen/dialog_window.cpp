#include "platform/screen/dialog_window.h"

#include <algorithm>
#include <map>

#include "platform/screen/screen.h"
#include "platform/screen/ui_style.h"

namespace ws {

namespace {
constexpr const char* kDialogClass = "#32770";
std::map<WindowHandle, DialogWindow*>& live() {
  static std::map<WindowHandle, DialogWindow*> all;
  return all;
}
}  // namespace

DialogWindow::~DialogWindow() {
  if (handle_) live().erase(handle_);
}

DialogWindow* DialogWindow::find(WindowHandle h) {
  auto it = live().find(h);
  return it == live().end() ? nullptr : it->second;
}

std::vector<std::string> wrapText(const std::string& text, int width) {
  std::vector<std::string> lines;
  const FontRef f = style::uiFont();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    const std::string para = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::string lineText;
    size_t i = 0;
    while (i < para.size()) {
      size_t next = para.find(' ', i);
      const std::string word = para.substr(i, next == std::string::npos ? std::string::npos : next - i);
      const std::string tried = lineText.empty() ? word : lineText + " " + word;
      if (!lineText.empty() && f->textWidth(tried) > width) {
        lines.push_back(lineText);
        lineText = word;
      } else {
        lineText = tried;
      }
      if (next == std::string::npos) break;
      i = next + 1;
    }
    lines.push_back(lineText);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

LResult DialogWindow::proc(WindowHandle h, uint32_t message, WParam w, LParam l) {
  Screen& s = screen();
  DialogWindow* d = find(h);
  if (!d) return s.defWindowProc(h, message, w, l);
  switch (message) {
    case WM_PAINT: {
      auto dc = s.getDC(h);
      dc->fillRect(s.clientRect(h), style::face);
      d->paint(*dc);
      d->paintButtons(*dc);
      s.validate(h);
      return 0;
    }
    case WM_CLOSE: d->command(d->cancelId()); return 0;
    case WM_KEYDOWN:
      if (!d->key(int(w), h)) return s.defWindowProc(h, message, w, l);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const Point p{signedLo(l), signedHi(l)};
      for (size_t i = 0; i < d->buttons_.size(); ++i)
        if (d->buttons_[i].rect.contains(p.x, p.y)) {
          d->pressedButton_ = int(i);
          d->focusButton_ = int(i);
          d->invalidate();
          return 0;
        }
      d->click(p, message == WM_LBUTTONDBLCLK, w & MK_SHIFT, w & MK_CONTROL);
      return 0;
    }
    case WM_LBUTTONUP: {
      const Point p{signedLo(l), signedHi(l)};
      const int pressed = d->pressedButton_;
      d->pressedButton_ = -1;
      d->invalidate();
      if (pressed >= 0 && d->buttons_[size_t(pressed)].rect.contains(p.x, p.y)) d->command(d->buttons_[size_t(pressed)].id);
      return 0;
    }
    case WM_DESTROY: d->destroyed(); return 0;
    case WM_MOUSEWHEEL: d->wheel(int(int16_t(hiWord(w)))); return 0;
  }
  return s.defWindowProc(h, message, w, l);
}

void DialogWindow::invalidate() {
  if (handle_) screen().invalidateRect(handle_, nullptr);
}

void DialogWindow::end(int id) {
  result_ = id;
  done_ = true;
}

bool DialogWindow::key(int vk, WindowHandle from) {
  // In a field only the dialog keys leave it; the arrows edit the field.
  if (from != handle_ && vk != VK_RETURN && vk != VK_ESCAPE && vk != VK_TAB) return false;
  switch (vk) {
    case VK_RETURN:
      if (!buttons_.empty()) command(buttons_[size_t(std::clamp(focusButton_, 0, int(buttons_.size()) - 1))].id);
      return true;
    case VK_ESCAPE: command(cancelId()); return true;
    case VK_TAB:
    case VK_RIGHT:
      if (!buttons_.empty()) focusButton_ = (focusButton_ + 1) % int(buttons_.size());
      invalidate();
      return true;
    case VK_LEFT:
      if (!buttons_.empty()) focusButton_ = (focusButton_ + int(buttons_.size()) - 1) % int(buttons_.size());
      invalidate();
      return true;
  }
  return false;
}

void DialogWindow::click(Point, bool, bool, bool) {}

void DialogWindow::paintButtons(DrawingContext& dc) {
  for (size_t i = 0; i < buttons_.size(); ++i) {
    const Button& b = buttons_[i];
    const bool pressed = pressedButton_ == int(i);
    style::button(dc, b.rect, pressed);
    style::label(dc, b.rect.offset(pressed ? 1 : 0, pressed ? 1 : 0), b.text, style::text, 1);
    if (focusButton_ == int(i)) {
      DrawingContext::StateSaver saver(dc);
      dc.selectPen(Pen{PS_DOT, 1, style::text});
      dc.selectBrush(Brush{true, 0});
      dc.rectangle(b.rect.left + 3, b.rect.top + 3, b.rect.right - 3, b.rect.bottom - 3);
    }
  }
}

int DialogWindow::run(WindowHandle owner, const std::string& caption, int width, int height, bool topmost) {
  Screen& s = screen();
  if (!s.findClass(kDialogClass)) s.registerClass(WindowClass{kDialogClass, CS_DBLCLKS, proc, 0, IDC_ARROW});
  const uint32_t style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  // The frame adds a caption and a 3-pixel border to the client size.
  const int w = width + 6, h = height + 6 + s.systemMetric(SM_CYCAPTION);
  const Rect around = owner && s.isWindow(owner) ? s.windowRect(owner) : s.workArea();
  const int x = std::clamp(around.left + (around.width() - w) / 2, 0, std::max(s.width() - w, 0));
  const int y = std::clamp(around.top + (around.height() - h) / 2, 0, std::max(s.height() - h, 0));
  unanswered_ = false;
  handle_ = s.createWindow(kDialogClass, caption, style, x, y, w, h, owner);
  if (!handle_) return cancelId();
  live()[handle_] = this;
  s.window(handle_)->topmost = topmost;
  create();
  s.showWindow(handle_, SW_SHOW);
  if (!s.focus() || s.topLevelOf(s.focus()) != handle_) s.setFocus(handle_);
  const WindowHandle self = handle_;
  while (!done_ && s.isWindow(self)) {
    Message m;
    if (!s.getMessage(m)) {
      unanswered_ = true;
      s.postQuitMessage(int(int64_t(m.wParam)));
      if (!done_) result_ = cancelId();
      break;
    }
    // Enter, Escape and Tab belong to the dialog even while one of its fields has the focus.
    if (m.message == WM_KEYDOWN && m.window != self && s.window(m.window) && s.window(m.window)->parent == self &&
        key(int(m.wParam), m.window))
      continue;
    s.translateMessage(m);
    s.dispatchMessage(m);
  }
  if (!done_) result_ = cancelId();
  if (s.isWindow(self)) s.destroyWindow(self);
  live().erase(self);
  handle_ = 0;
  return result_;
}

}  // namespace ws
