#include "platform/window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "platform/platform_state.h"
#include "platform/resource_store.h"
#include "platform/screen/icon_file.h"
#include "platform/screen/screen.h"

namespace {
std::vector<ws::WindowHandle>& list() {
  static std::vector<ws::WindowHandle> handles;
  return handles;
}
}  // namespace

const std::vector<ws::WindowHandle>& ownWindows() { return list(); }
bool isOwnWindow(ws::WindowHandle h) { return h && std::find(list().begin(), list().end(), h) != list().end(); }
void addOwnWindow(ws::WindowHandle h) {
  if (list().size() < kMaxOwnWindows) list().push_back(h);
}
void removeOwnWindow(ws::WindowHandle h) {
  auto it = std::find(list().begin(), list().end(), h);
  if (it != list().end()) list().erase(it);
}
void clearOwnWindows() { list().clear(); }

uint32_t windowStyleFor(uint32_t f) {
  uint32_t style = 0;
  if (f & kWindowOverlapped) style |= ws::WS_OVERLAPPEDWINDOW;
  if (f & kWindowResizable) style |= 0xCD0000;
  if (f & kWindowPopup) style |= ws::WS_POPUP;
  if (f & kWindowCaption) style |= ws::WS_CAPTION;
  if (f & kWindowThickFrame) style |= ws::WS_THICKFRAME;
  if (f & kWindowBorder) style |= ws::WS_BORDER;
  if (f & kWindowSystemMenu) style |= ws::WS_SYSMENU;
  if (f & kWindowHScroll) style |= ws::WS_HSCROLL;
  if (f & kWindowVScroll) style |= ws::WS_VSCROLL;
  if (f & kWindowUnlisted) style |= 0x22;
  return style;
}

ws::LResult defaultProcessing(ws::WindowHandle h, uint32_t message, ws::WParam wParam, ws::LParam lParam) {
  return ws::screen().defWindowProc(h, message, wParam, lParam);
}

ws::LResult forwardMessage(Window* live, ws::WindowHandle h, uint32_t message, ws::WParam wParam, ws::LParam lParam) {
  if (live) live->handleMessage(message, wParam, lParam);
  return defaultProcessing(h, message, wParam, lParam);
}

namespace {
// The picture of an icon resource, read once per number; null when the program carries no such icon.
std::shared_ptr<const ws::Cursor> iconPicture(int number) {
  static std::map<int, std::shared_ptr<const ws::Cursor>> loaded;
  auto it = loaded.find(number);
  if (it != loaded.end()) return it->second;
  const ResourceBytes r = findResource(ResourceKind::icon, number);
  return loaded[number] = r ? ws::readIconFile(r.bytes, r.size) : nullptr;
}
}  // namespace

Window::Window() = default;

Window::~Window() = default;

int Window::handleMessage(uint32_t, ws::WParam, ws::LParam) { return 1; }

bool Window::create(ws::WindowHandle parent, uint32_t styleFlags, ws::WindowProc windowProcedure) {
  ws::Screen& s = ws::screen();
  std::snprintf(className_, sizeof className_, "Win%ld", long(std::rand()));
  if (!s.registerClass(ws::WindowClass{className_, ws::CS_VREDRAW | ws::CS_HREDRAW | ws::CS_DBLCLKS, windowProcedure,
                                       platformState().iconId, ws::IDC_ARROW}))
    return false;
  s.setClassIcon(className_, iconPicture(platformState().iconId));
  handle_ = s.createWindow(className_, "", windowStyleFor(styleFlags), 0, 0, 0, 0, parent);
  if (!handle_) {
    s.unregisterClass(className_);
    return false;
  }
  if (!(styleFlags & kWindowUnlisted)) addOwnWindow(handle_);
  return true;
}

void Window::destroy() {
  if (!handle_) return;
  removeOwnWindow(handle_);
  ws::Screen& s = ws::screen();
  s.destroyWindow(handle_);
  s.unregisterClass(className_);
  handle_ = 0;
}

void Window::move(const ws::Rect& r, bool repaint) { move(r.left, r.top, r.right, r.bottom, repaint); }

void Window::move(int left, int top, int right, int bottom, bool repaint) {
  if (handle_) ws::screen().moveWindow(handle_, left, top, right - left, bottom - top, repaint);
}

void Window::show(int mode) {
  if (!handle_) return;
  switch (mode) {
    case 0: ws::screen().showWindow(handle_, ws::SW_HIDE); break;
    case 1: ws::screen().showWindow(handle_, ws::SW_SHOW); break;
    case 2: ws::screen().showWindow(handle_, ws::SW_SHOWMAXIMIZED); break;
    default: break;
  }
}

void Window::setScrollRanges(int hMax, int vMax, int hPage, int vPage, bool redraw) {
  if (!handle_) return;
  ws::ScrollInfo h{0, hMax, hPage, 0, 0}, v{0, vMax, vPage, 0, 0};
  ws::screen().setScrollInfo(handle_, ws::SB_HORZ, ws::SIF_ALL, h, redraw);
  ws::screen().setScrollInfo(handle_, ws::SB_VERT, ws::SIF_ALL, v, redraw);
}

int Window::scrollPosition(int bar) const { return handle_ ? ws::screen().scrollInfo(handle_, bar).pos : 0; }

void Window::setScrollPosition(int bar, int position, bool redraw) {
  if (!handle_) return;
  ws::ScrollInfo s;
  s.pos = position;
  ws::screen().setScrollInfo(handle_, bar, ws::SIF_POS, s, redraw);
}

void Window::showScrollBars(bool horizontal, bool vertical) {
  if (!handle_) return;
  ws::screen().showScrollBar(handle_, ws::SB_HORZ, horizontal);
  ws::screen().showScrollBar(handle_, ws::SB_VERT, vertical);
}

void Window::handleScroll(uint32_t message, ws::WParam wParam, ws::LParam lParam) {
  if (!handle_ || (message != ws::WM_VSCROLL && message != ws::WM_HSCROLL)) return;
  const int bar = message == ws::WM_VSCROLL ? ws::SB_VERT : ws::SB_HORZ;
  const ws::ScrollInfo info = ws::screen().scrollInfo(handle_, bar);
  const ws::Rect client = clientRect();
  const int pageSize = bar == ws::SB_VERT ? client.height() : client.width();
  // Worked out wide: any step a caller sends lands within the bar's range, never past the int range.
  int64_t pos = info.pos;
  switch (ws::loWord(wParam)) {
    case ws::SB_LINEUP: pos -= int64_t(lParam); break;
    case ws::SB_LINEDOWN: pos += int64_t(lParam); break;
    case ws::SB_PAGEUP: pos -= pageSize; break;
    case ws::SB_PAGEDOWN: pos += pageSize; break;
    case ws::SB_THUMBTRACK: pos = info.trackPos; break;
    default: return;
  }
  setScrollPosition(bar, int(std::clamp<int64_t>(pos, INT32_MIN, INT32_MAX)), true);
}

void Window::setTitle(const char* text) {
  if (handle_) ws::screen().setWindowText(handle_, text ? text : "");
}

ws::Rect Window::clientRect() const { return handle_ ? ws::screen().clientRect(handle_) : ws::Rect{}; }
ws::Rect Window::windowRect() const { return handle_ ? ws::screen().windowRect(handle_) : ws::Rect{}; }

int Window::menuBarHeight() { return ws::screen().systemMetric(ws::SM_CYMENU); }
int Window::captionHeight() { return ws::screen().systemMetric(ws::SM_CYCAPTION); }
int Window::scrollBarHeight() { return ws::screen().systemMetric(ws::SM_CXHSCROLL); }
