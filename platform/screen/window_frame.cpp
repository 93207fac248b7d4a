// The parts of a window that the system draws and answers for: the frame, the caption with its close
// box, the menu bar and the scroll bars, and the default processing of messages.
#include <algorithm>
#include <cstring>

#include "platform/screen/screen.h"
#include "platform/screen/ui_style.h"

namespace ws {

namespace {
constexpr int kCaption = 22, kMenuBar = 20, kScroll = 17;

int borderOf(uint32_t style) {
  if (style & WS_THICKFRAME) return 4;
  if (style & WS_DLGFRAME) return 3;
  if (style & WS_BORDER) return 1;
  return 0;
}
}  // namespace

FrameLayout Screen::frameLayout(WindowHandle h) const {
  FrameLayout f;
  const ScreenWindow* w = window(h);
  if (!w) return f;
  const int W = w->rect.width(), H = w->rect.height();
  const int b = borderOf(w->style);
  int y = b;
  if ((w->style & WS_CAPTION) == WS_CAPTION) {
    f.caption = {b, y, W - b, y + kCaption};
    if (w->style & WS_SYSMENU) f.closeBox = {W - b - 21, y + 3, W - b - 4, y + 18};
    y += kCaption;
  }
  if (w->menu && !w->parent) {
    f.menuBar = {b, y, W - b, y + kMenuBar};
    y += kMenuBar;
  }
  Rect c{b, y, W - b, H - b};
  const bool v = w->style & WS_VSCROLL, hs = w->style & WS_HSCROLL;
  if (v) c.right -= kScroll;
  if (hs) c.bottom -= kScroll;
  c.right = std::max(c.right, c.left);
  c.bottom = std::max(c.bottom, c.top);
  if (v) f.vScroll = {c.right, c.top, c.right + kScroll, c.bottom};
  if (hs) f.hScroll = {c.left, c.bottom, c.right, c.bottom + kScroll};
  f.client = c;
  return f;
}

Rect Screen::scrollParts(WindowHandle h, int bar, Rect* up, Rect* down, Rect* thumb) const {
  const FrameLayout f = frameLayout(h);
  const Rect wr = windowRect(h);
  const Rect r = (bar == SB_VERT ? f.vScroll : f.hScroll).offset(wr.left, wr.top);
  const ScrollInfo s = scrollInfo(h, bar);
  const bool vert = bar == SB_VERT;
  const int start = (vert ? r.top : r.left) + kScroll, end = (vert ? r.bottom : r.right) - kScroll;
  const int trackLen = std::max(end - start, 0);
  const int range = std::max(s.max - s.min + 1, 1);
  int thumbLen = s.page > 0 ? std::max(8, int(int64_t(trackLen) * s.page / range)) : kScroll;
  thumbLen = std::min(thumbLen, trackLen);
  const int posMax = s.max - std::max(s.page - 1, 0);
  const int pos = s.trackPos;
  const int offset = posMax > s.min ? int(int64_t(pos - s.min) * (trackLen - thumbLen) / (posMax - s.min)) : 0;
  if (up) *up = vert ? Rect{r.left, r.top, r.right, r.top + kScroll} : Rect{r.left, r.top, r.left + kScroll, r.bottom};
  if (down) *down = vert ? Rect{r.left, r.bottom - kScroll, r.right, r.bottom} : Rect{r.right - kScroll, r.top, r.right, r.bottom};
  if (thumb)
    *thumb = vert ? Rect{r.left, start + offset, r.right, start + offset + thumbLen}
                  : Rect{start + offset, r.top, start + offset + thumbLen, r.bottom};
  return r;
}

void Screen::paintFrame(ScreenWindow& w, DrawingContext& dc, const Rect& wr) {
  const FrameLayout f = frameLayout(w.handle);
  const int W = wr.width(), H = wr.height();
  dc.setWindowOrg(-wr.left, -wr.top);
  const int b = borderOf(w.style);
  if (b == 1) {
    dc.fillRect({0, 0, W, 1}, style::darkShadow);
    dc.fillRect({0, H - 1, W, H}, style::darkShadow);
    dc.fillRect({0, 0, 1, H}, style::darkShadow);
    dc.fillRect({W - 1, 0, W, H}, style::darkShadow);
  } else if (b > 1) {
    style::button(dc, {0, 0, W, H}, false);
  }
  if (!f.caption.empty()) {
    const bool active = topLevelOf(w.handle) == active_;
    dc.fillRect(f.caption, active ? style::activeCaption : style::inactiveCaption);
    Rect t = f.caption;
    t.left += 6;
    if (w.icon && w.icon->image.width() > 0 && (w.style & WS_SYSMENU)) {
      // The class icon, brought to 16 x 16 nearest-neighbour, where the system menu would open.
      const Surface& im = w.icon->image;
      const int x0 = f.caption.left + 3, y0 = f.caption.top + (f.caption.height() - 16) / 2;
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
          const int sx = x * im.width() / 16, sy = y * im.height() / 16;
          if (w.icon->mask[size_t(sy) * size_t(im.width()) + size_t(sx)])
            dc.fillRect({x0 + x, y0 + y, x0 + x + 1, y0 + y + 1}, colourOf(im.pixel(sx, sy)));
        }
      t.left = x0 + 16 + 4;
    }
    t.right = f.closeBox.empty() ? t.right - 4 : f.closeBox.left - 4;
    style::label(dc, t, w.title, style::highlightText, 0, true);
    if (!f.closeBox.empty()) {
      style::button(dc, f.closeBox, false);
      const int cx = (f.closeBox.left + f.closeBox.right) / 2 - 1, cy = (f.closeBox.top + f.closeBox.bottom) / 2 - 1;
      for (int i = -3; i <= 3; ++i) {
        dc.fillRect({cx + i, cy + i, cx + i + 2, cy + i + 1}, style::text);
        dc.fillRect({cx + i, cy - i, cx + i + 2, cy - i + 1}, style::text);
      }
    }
  }
  if (!f.menuBar.empty()) {
    dc.fillRect(f.menuBar, style::face);
    const Menu* m = menu(w.menu);
    for (size_t i = 0; m && i < m->items.size(); ++i) {
      const Rect r = menuBarItemRect(w.handle, int(i)).offset(-wr.left, -wr.top);
      const bool open = menuOwner_ == w.handle && menuIndex_ == int(i);
      if (open) dc.fillRect(r, style::highlight);
      const MenuItem& it = m->items[i];
      const ColourRef c = open ? style::highlightText : (it.flags & (MF_GRAYED | MF_DISABLED)) ? style::greyText : style::text;
      style::label(dc, r, it.text.substr(0, it.text.find('\t')), c, 1);
    }
    dc.fillRect({f.menuBar.left, f.menuBar.bottom - 1, f.menuBar.right, f.menuBar.bottom}, style::shadow);
  }
  for (int bar = 0; bar < 2; ++bar) {
    const Rect area = bar == SB_VERT ? f.vScroll : f.hScroll;
    if (area.empty()) continue;
    Rect up, down, thumb;
    scrollParts(w.handle, bar, &up, &down, &thumb);
    const Point o{wr.left, wr.top};
    dc.fillRect(area, style::track);
    const bool pressing = tracking_.window == w.handle && tracking_.bar == bar;
    style::button(dc, up.offset(-o.x, -o.y), pressing && tracking_.part == SB_LINEUP);
    style::button(dc, down.offset(-o.x, -o.y), pressing && tracking_.part == SB_LINEDOWN);
    style::arrow(dc, up.offset(-o.x, -o.y), bar == SB_VERT ? 0 : 3, style::text);
    style::arrow(dc, down.offset(-o.x, -o.y), bar == SB_VERT ? 2 : 1, style::text);
    if (!thumb.empty()) style::button(dc, thumb.offset(-o.x, -o.y), false);
  }
  if (!f.vScroll.empty() && !f.hScroll.empty()) dc.fillRect({f.vScroll.left, f.hScroll.top, f.vScroll.right, f.hScroll.bottom}, style::face);
}

// ---- scroll bars ----

void Screen::setScrollInfo(WindowHandle h, int bar, uint32_t mask, const ScrollInfo& info, bool) {
  ScreenWindow* w = window(h);
  if (!w || (bar != SB_HORZ && bar != SB_VERT)) return;
  ScrollInfo& s = w->scroll[bar];
  const ScrollInfo before = s;
  if (mask & SIF_RANGE) s.min = info.min, s.max = std::max(info.max, info.min);
  if (mask & SIF_PAGE) s.page = std::clamp(info.page, 0, s.max - s.min + 1);
  if (mask & SIF_POS) s.pos = info.pos;
  const int posMax = s.max - std::max(s.page - 1, 0);
  s.pos = std::clamp(s.pos, s.min, std::max(posMax, s.min));
  if (mask & SIF_TRACKPOS) s.trackPos = info.trackPos;
  // The thumb shows the position unless it is being dragged.
  if (!(tracking_.window == h && tracking_.bar == bar && tracking_.part == SB_THUMBTRACK)) s.trackPos = s.pos;
  // Only a change of range or page shows or hides the bar, so that a window may keep a bar it showed
  // itself, and a resize answering the change does not come back here for ever.
  const bool reshaped = (mask & (SIF_RANGE | SIF_PAGE)) && (before.min != s.min || before.max != s.max || before.page != s.page);
  if (!reshaped || (mask & SIF_DISABLENOSCROLL)) return;
  const bool needed = s.min < s.max - std::max(s.page - 1, 0);
  if (!needed) showScrollBar(h, bar, false);
  else if ((mask & (SIF_RANGE | SIF_PAGE)) != SIF_PAGE) showScrollBar(h, bar, true);
}

ScrollInfo Screen::scrollInfo(WindowHandle h, int bar) const {
  const ScreenWindow* w = window(h);
  if (!w || (bar != SB_HORZ && bar != SB_VERT)) return {};
  return w->scroll[bar];
}

void Screen::showScrollBar(WindowHandle h, int bar, bool show) {
  ScreenWindow* w = window(h);
  if (!w) return;
  const uint32_t bit = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
  const uint32_t before = w->style;
  w->style = show ? (w->style | bit) : (w->style & ~bit);
  if (w->style != before) moveWindow(h, w->rect.left, w->rect.top, w->rect.width(), w->rect.height(), true);
}

void Screen::ncButtonDown(WindowHandle h, int hit, Point p) {
  ScreenWindow* w = window(h);
  if (!w) return;
  switch (hit) {
    case HTCLOSE: sendMessage(h, WM_SYSCOMMAND, SC_CLOSE, makeLParam(p.x, p.y)); return;
    case HTMENU: {
      const Menu* m = menu(w->menu);
      for (size_t i = 0; m && i < m->items.size(); ++i)
        if (menuBarItemRect(h, int(i)).contains(p.x, p.y)) {
          if (menuOwner_ == h && menuIndex_ == int(i)) closeMenu();
          else openMenu(h, int(i));
          return;
        }
      return;
    }
    case HTCAPTION:
      if (!w->maximized) {
        tracking_ = Tracking{};
        tracking_.window = h;
        tracking_.moving = true;
        tracking_.moveStart = p;
        tracking_.moveRect = w->rect;
      }
      break;
    case HTVSCROLL:
    case HTHSCROLL: {
      const int bar = hit == HTVSCROLL ? SB_VERT : SB_HORZ;
      const uint32_t msg = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
      Rect up, down, thumb;
      scrollParts(h, bar, &up, &down, &thumb);
      tracking_ = Tracking{};
      tracking_.window = h;
      tracking_.bar = bar;
      const int along = bar == SB_VERT ? p.y : p.x;
      const int thumbStart = bar == SB_VERT ? thumb.top : thumb.left, thumbEnd = bar == SB_VERT ? thumb.bottom : thumb.right;
      if (up.contains(p.x, p.y)) tracking_.part = SB_LINEUP;
      else if (down.contains(p.x, p.y)) tracking_.part = SB_LINEDOWN;
      else if (along < thumbStart) tracking_.part = SB_PAGEUP;
      else if (along >= thumbEnd) tracking_.part = SB_PAGEDOWN;
      else {
        tracking_.part = SB_THUMBTRACK;
        tracking_.grabOffset = along - thumbStart;
        w->scroll[bar].trackPos = w->scroll[bar].pos;
      }
      if (tracking_.part != SB_THUMBTRACK) {
        tracking_.repeatAt = performanceCounter() + kScrollRepeatDelay;
        sendMessage(h, msg, WParam(tracking_.part), 0);
      }
      break;
    }
    default: return;
  }
  // The button may have come up before this press was dispatched: then the press was a click.
  if (!buttons_[0] && tracking_.window == h) scrollTrackEnd();
}

void Screen::scrollTrackMove(Point p) {
  ScreenWindow* w = window(tracking_.window);
  if (!w) {
    tracking_ = Tracking{};
    return;
  }
  if (tracking_.moving) {
    const Rect r = tracking_.moveRect.offset(p.x - tracking_.moveStart.x, p.y - tracking_.moveStart.y);
    moveWindow(tracking_.window, r.left, r.top, r.width(), r.height(), false);
    return;
  }
  if (tracking_.part != SB_THUMBTRACK) return;
  const int bar = tracking_.bar;
  Rect up, down, thumb;
  scrollParts(tracking_.window, bar, &up, &down, &thumb);
  const bool vert = bar == SB_VERT;
  const int start = vert ? up.bottom : up.right, end = vert ? down.top : down.left;
  const int thumbLen = vert ? thumb.height() : thumb.width();
  ScrollInfo& s = w->scroll[bar];
  const int posMax = s.max - std::max(s.page - 1, 0);
  const int free = end - start - thumbLen;
  const int along = (vert ? p.y : p.x) - tracking_.grabOffset - start;
  int pos = free > 0 ? s.min + int(int64_t(std::clamp(along, 0, free)) * (posMax - s.min) / free) : s.min;
  pos = std::clamp(pos, s.min, std::max(posMax, s.min));
  if (pos == s.trackPos) return;
  s.trackPos = pos;
  sendMessage(tracking_.window, vert ? WM_VSCROLL : WM_HSCROLL, makeWParam(SB_THUMBTRACK, pos), 0);
}

void Screen::repeatHeldScroll() {
  const Tracking& t = tracking_;
  if (!t.window || t.moving || t.bar < 0 || t.part < SB_LINEUP || t.part > SB_PAGEDOWN || !buttons_[0]) return;
  const int64_t now = performanceCounter();
  if (now < t.repeatAt) return;
  tracking_.repeatAt = now + kScrollRepeatInterval;
  Rect up, down, thumb;
  const Rect area = scrollParts(t.window, t.bar, &up, &down, &thumb);
  const bool vert = t.bar == SB_VERT;
  const int along = vert ? mouse_.y : mouse_.x;
  bool over = false;
  if (t.part == SB_LINEUP) over = up.contains(mouse_.x, mouse_.y);
  else if (t.part == SB_LINEDOWN) over = down.contains(mouse_.x, mouse_.y);
  else if (area.contains(mouse_.x, mouse_.y) && !up.contains(mouse_.x, mouse_.y) && !down.contains(mouse_.x, mouse_.y))
    // Paging stops once the thumb has reached the pointer.
    over = t.part == SB_PAGEUP ? along < (vert ? thumb.top : thumb.left) : along >= (vert ? thumb.bottom : thumb.right);
  if (over) postMessage(t.window, vert ? WM_VSCROLL : WM_HSCROLL, WParam(t.part), 0);
}

void Screen::scrollTrackEnd() {
  const Tracking t = tracking_;
  tracking_ = Tracking{};
  ScreenWindow* w = window(t.window);
  if (!w || t.moving || t.bar < 0) return;
  const uint32_t msg = t.bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
  if (t.part == SB_THUMBTRACK) sendMessage(t.window, msg, makeWParam(SB_THUMBPOSITION, w->scroll[t.bar].trackPos), 0);
  sendMessage(t.window, msg, SB_ENDSCROLL, 0);
  if ((w = window(t.window)) != nullptr) w->scroll[t.bar].trackPos = w->scroll[t.bar].pos;
}

// ---- default processing ----

LResult Screen::defWindowProc(WindowHandle h, uint32_t message, WParam wp, LParam lp) {
  ScreenWindow* w = window(h);
  if (!w) return 0;
  switch (message) {
    case WM_CLOSE: destroyWindow(h); return 0;
    case WM_PAINT: validate(h); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == SC_CLOSE) sendMessage(h, WM_CLOSE, 0, 0);
      return 0;
    case WM_NCLBUTTONDOWN: ncButtonDown(h, int(wp), {signedLo(lp), signedHi(lp)}); return 0;
    case WM_MOUSEWHEEL: {
      const int delta = int(int16_t(hiWord(wp)));
      if (w->style & WS_VSCROLL) {
        // Three lines a notch, as the system's wheel setting has it by default.
        const int lines = std::max(1, std::abs(delta) / WHEEL_DELTA) * 3;
        for (int i = 0; i < lines && window(h); ++i) sendMessage(h, WM_VSCROLL, delta > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
        if (window(h)) sendMessage(h, WM_VSCROLL, SB_ENDSCROLL, 0);
      } else if (w->parent) {
        return sendMessage(w->parent, message, wp, lp);
      }
      return 0;
    }
    case WM_SETTEXT: w->title = lp ? reinterpret_cast<const char*>(lp) : ""; return 1;
    case WM_GETTEXT: {
      char* out = reinterpret_cast<char*>(lp);
      if (!out || wp == 0) return 0;
      const size_t n = std::min(w->title.size(), size_t(wp) - 1);
      std::memcpy(out, w->title.data(), n);
      out[n] = 0;
      return LResult(n);
    }
    case WM_GETTEXTLENGTH: return LResult(w->title.size());
    case WM_SETFONT:
      // wParam points at the FontRef to use (null for the default font).
      w->font = wp ? *reinterpret_cast<const FontRef*>(wp) : FontRef();
      if (lp) invalidateRect(h, nullptr);
      return 0;
  }
  return 0;
}

}  // namespace ws
