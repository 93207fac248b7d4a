// The edit field: one line (or several with ES_MULTILINE) of text with a caret, a selection made by
// mouse or Shift and the arrow keys, Backspace, Delete, Home, End and the clipboard keys (Ctrl+A, C, X, V).
#include <algorithm>
#include <cstring>
#include <map>

#include "platform/screen/builtin_classes.h"
#include "platform/screen/screen.h"
#include "platform/screen/ui_style.h"

namespace ws {

namespace {

struct EditState {
  std::string text;
  int anchor = 0, caret = 0;
  int scrollX = 0;
  bool focused = false;
  int limit = 32767;
};

std::map<WindowHandle, EditState>& edits() {
  static std::map<WindowHandle, EditState> all;
  return all;
}

std::string& clipboard() {
  static std::string text;
  return text;
}

bool multiLine(WindowHandle h) {
  const ScreenWindow* w = screen().window(h);
  return w && (w->style & ES_MULTILINE);
}

FontRef fontOf(WindowHandle h) {
  const ScreenWindow* w = screen().window(h);
  return w && w->font ? w->font : style::uiFont();
}

// Line starts of the text (multi-line fields break at '\n').
std::vector<int> lineStarts(const std::string& t) {
  std::vector<int> starts{0};
  for (size_t i = 0; i < t.size(); ++i)
    if (t[i] == '\n') starts.push_back(int(i) + 1);
  return starts;
}

int lineOf(const std::vector<int>& starts, int pos) {
  return int(std::upper_bound(starts.begin(), starts.end(), pos) - starts.begin()) - 1;
}

int lineEnd(const std::string& t, const std::vector<int>& starts, int line) {
  return line + 1 < int(starts.size()) ? starts[size_t(line) + 1] - 1 : int(t.size());
}

// The character position nearest to x within the text from..to.
int positionAt(const Font& f, const std::string& t, int from, int to, int x) {
  int best = from, bestDist = 1 << 30;
  for (int i = from; i <= to; ++i) {
    const int d = std::abs(f.textWidth(t.substr(size_t(from), size_t(i - from))) - x);
    if (d < bestDist) best = i, bestDist = d;
  }
  return best;
}

void replaceSelection(EditState& e, const std::string& with) {
  const int a = std::min(e.anchor, e.caret), b = std::max(e.anchor, e.caret);
  std::string insert = with;
  const int room = e.limit - (int(e.text.size()) - (b - a));
  if (int(insert.size()) > room) insert.resize(size_t(std::max(room, 0)));
  e.text.replace(size_t(a), size_t(b - a), insert);
  e.caret = e.anchor = a + int(insert.size());
}

void keepCaretVisible(WindowHandle h, EditState& e) {
  if (multiLine(h)) return;
  const Font& f = *fontOf(h);
  const int width = screen().clientRect(h).width() - 6;
  const int caretX = f.textWidth(e.text.substr(0, size_t(e.caret)));
  if (caretX - e.scrollX > width) e.scrollX = caretX - width;
  if (caretX < e.scrollX) e.scrollX = std::max(caretX - width / 3, 0);
}

void paint(WindowHandle h, EditState& e) {
  Screen& s = screen();
  auto dc = s.getDC(h);
  if (!dc) return;
  const Rect r = s.clientRect(h);
  const FontRef font = fontOf(h);
  dc->fillRect(r, style::window);
  dc->selectFont(font);
  dc->setBkMode(TRANSPARENT);
  dc->setTextAlign(TA_LEFT | TA_TOP);
  const int a = std::min(e.anchor, e.caret), b = std::max(e.anchor, e.caret);
  const std::vector<int> starts = multiLine(h) ? lineStarts(e.text) : std::vector<int>{0};
  const int lineHeight = font->height();
  const int top = multiLine(h) ? 2 : (r.height() - lineHeight) / 2;
  for (size_t line = 0; line < starts.size(); ++line) {
    const int from = starts[line], to = multiLine(h) ? lineEnd(e.text, starts, int(line)) : int(e.text.size());
    const std::string text = e.text.substr(size_t(from), size_t(to - from));
    const int y = top + int(line) * lineHeight, x0 = 3 - e.scrollX;
    const int sa = std::clamp(a, from, to), sb = std::clamp(b, from, to);
    dc->setTextColor(style::text);
    dc->textOut(x0, y, text);
    if (sb > sa && e.focused) {
      const int xa = x0 + font->textWidth(text.substr(0, size_t(sa - from)));
      const std::string sel = e.text.substr(size_t(sa), size_t(sb - sa));
      dc->fillRect({xa, y, xa + font->textWidth(sel), y + lineHeight}, style::highlight);
      dc->setTextColor(style::highlightText);
      dc->textOut(xa, y, sel);
    }
    if (e.focused && e.caret >= from && e.caret <= to) {
      const int xc = x0 + font->textWidth(text.substr(0, size_t(e.caret - from)));
      dc->fillRect({xc, y, xc + 1, y + lineHeight}, style::text);
    }
  }
  s.validate(h);
}

}  // namespace

std::string editText(WindowHandle h) {
  auto it = edits().find(h);
  return it == edits().end() ? std::string() : it->second.text;
}

void editSelection(WindowHandle h, int& from, int& to) {
  auto it = edits().find(h);
  from = to = 0;
  if (it != edits().end()) from = std::min(it->second.anchor, it->second.caret), to = std::max(it->second.anchor, it->second.caret);
}

LResult editProc(WindowHandle h, uint32_t message, WParam w, LParam l) {
  Screen& s = screen();
  if (message == WM_CREATE) {
    EditState e;
    e.text = s.windowText(h);
    edits()[h] = e;
    return 0;
  }
  auto found = edits().find(h);
  if (found == edits().end()) return s.defWindowProc(h, message, w, l);
  EditState& e = found->second;
  const int length = int(e.text.size());
  const bool shift = s.keyState(VK_SHIFT);
  auto changed = [&] {
    keepCaretVisible(h, e);
    s.invalidateRect(h, nullptr);
  };
  switch (message) {
    case WM_NCDESTROY: edits().erase(found); return s.defWindowProc(h, message, w, l);
    case WM_PAINT: paint(h, e); return 0;
    case WM_SETTEXT:
      e.text = l ? reinterpret_cast<const char*>(l) : "";
      if (int(e.text.size()) > e.limit) e.text.resize(size_t(e.limit));
      e.anchor = e.caret = 0;
      e.scrollX = 0;
      s.setWindowText(h, e.text);
      changed();
      return 1;
    case WM_GETTEXT: {
      char* out = reinterpret_cast<char*>(l);
      if (!out || w == 0) return 0;
      const size_t n = std::min(e.text.size(), size_t(w) - 1);
      std::memcpy(out, e.text.data(), n);
      out[n] = 0;
      return LResult(n);
    }
    case WM_GETTEXTLENGTH: return length;
    case EM_LIMITTEXT: e.limit = w ? int(std::min<WParam>(w, 0x7FFFFFFE)) : 0x7FFFFFFE; return 0;
    case EM_SETSEL: {
      int from = int(int64_t(w)), to = int(l);
      if (from < 0) {
        e.anchor = e.caret;
      } else {
        if (to < 0 || to > length) to = length;
        e.anchor = std::min(from, length);
        e.caret = to;
      }
      changed();
      return 0;
    }
    case EM_GETSEL: {
      const int a = std::min(e.anchor, e.caret), b = std::max(e.anchor, e.caret);
      if (w) *reinterpret_cast<int*>(w) = a;
      if (l) *reinterpret_cast<int*>(l) = b;
      return makeLParam(a, b);
    }
    case WM_SETFOCUS: e.focused = true; changed(); return 0;
    case WM_KILLFOCUS: e.focused = false; changed(); return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDBLCLK: {
      if (message == WM_MOUSEMOVE && !(w & MK_LBUTTON)) return 0;
      if (message != WM_MOUSEMOVE && s.focus() != h) s.setFocus(h);
      const Font& f = *fontOf(h);
      const int x = signedLo(l) - 3 + e.scrollX, y = signedHi(l);
      int pos;
      if (multiLine(h)) {
        const auto starts = lineStarts(e.text);
        const int line = std::clamp((y - 2) / std::max(f.height(), 1), 0, int(starts.size()) - 1);
        pos = positionAt(f, e.text, starts[size_t(line)], lineEnd(e.text, starts, line), x);
      } else {
        pos = positionAt(f, e.text, 0, length, x);
      }
      if (message == WM_LBUTTONDBLCLK) {
        e.anchor = 0, e.caret = length;
      } else {
        e.caret = pos;
        if (message == WM_LBUTTONDOWN && !(w & MK_SHIFT)) e.anchor = pos;
      }
      changed();
      return 0;
    }
    case WM_KEYDOWN: {
      const int vk = int(w);
      const auto starts = lineStarts(e.text);
      switch (vk) {
        case VK_LEFT: e.caret = std::max(e.caret - 1, 0); break;
        case VK_RIGHT: e.caret = std::min(e.caret + 1, length); break;
        case VK_HOME: e.caret = multiLine(h) ? starts[size_t(lineOf(starts, e.caret))] : 0; break;
        case VK_END: e.caret = multiLine(h) ? lineEnd(e.text, starts, lineOf(starts, e.caret)) : length; break;
        case VK_UP:
        case VK_DOWN: {
          if (!multiLine(h)) return 0;
          const int line = lineOf(starts, e.caret), target = line + (vk == VK_UP ? -1 : 1);
          if (target < 0 || target >= int(starts.size())) return 0;
          const int column = e.caret - starts[size_t(line)];
          e.caret = std::min(starts[size_t(target)] + column, lineEnd(e.text, starts, target));
          break;
        }
        case VK_DELETE:
          if (e.anchor == e.caret && e.caret < length) e.anchor = e.caret + 1;
          replaceSelection(e, "");
          changed();
          return 0;
        default: return 0;
      }
      if (!shift) e.anchor = e.caret;
      changed();
      return 0;
    }
    case WM_CHAR: {
      const int c = int(w);
      switch (c) {
        case 1: e.anchor = 0, e.caret = length; break;
        case 3: return editProc(h, WM_COPY, 0, 0);
        case 24: return editProc(h, WM_CUT, 0, 0);
        case 22: return editProc(h, WM_PASTE, 0, 0);
        case 8:
          if (e.anchor == e.caret && e.caret > 0) e.anchor = e.caret - 1;
          replaceSelection(e, "");
          break;
        case 13:
          if (!multiLine(h)) return 0;
          replaceSelection(e, "\n");
          break;
        default:
          if (c < 32 || c == 127 || c > 255) return 0;
          replaceSelection(e, std::string(1, char(c)));
      }
      changed();
      return 0;
    }
    case WM_COPY:
    case WM_CUT: {
      const int a = std::min(e.anchor, e.caret), b = std::max(e.anchor, e.caret);
      if (b > a) {
        clipboard() = e.text.substr(size_t(a), size_t(b - a));
        s.backend().setClipboard(clipboard());
        if (message == WM_CUT) replaceSelection(e, ""), changed();
      }
      return 0;
    }
    case WM_PASTE: {
      std::string text = s.backend().clipboard(clipboard());
      if (!multiLine(h)) text = text.substr(0, text.find_first_of("\r\n"));
      replaceSelection(e, text);
      changed();
      return 0;
    }
  }
  return s.defWindowProc(h, message, w, l);
}

void registerBuiltinClasses(Screen& s) {
  s.registerClass(WindowClass{kEditClass, CS_DBLCLKS, editProc, 0, IDC_IBEAM});
  s.registerClass(WindowClass{kMenuPopupClass, 0, menuPopupProc, 0, IDC_ARROW});
}

}  // namespace ws
