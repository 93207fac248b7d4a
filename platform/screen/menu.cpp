// Menus: the menu objects, the menu bar of a window and its drop-downs. A drop-down is a top-most
// pop-up window; while one is open the mouse and keyboard go to it, a click on an item posts the
// item's command message to the window that carries the menu bar, and Escape or a click elsewhere
// closes it.
#include <algorithm>
#include <cstring>

#include "platform/screen/builtin_classes.h"
#include "platform/screen/screen.h"
#include "platform/screen/ui_style.h"

namespace ws {

namespace {
constexpr int kItemHeight = 20, kSeparatorHeight = 9, kCheckColumn = 22;

bool selectable(const MenuItem& it) { return !(it.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED | MF_POPUP)); }

std::string labelOf(const std::string& text) { return text.substr(0, text.find('\t')); }
std::string shortcutOf(const std::string& text) {
  const size_t tab = text.find('\t');
  return tab == std::string::npos ? std::string() : text.substr(tab + 1);
}
}  // namespace

MenuHandle Screen::createMenu(bool bar) {
  const MenuHandle h = nextMenu_++;
  menus_[h] = Menu{bar, {}};
  return h;
}

bool Screen::destroyMenu(MenuHandle m) {
  auto it = menus_.find(m);
  if (it == menus_.end()) return false;
  const std::vector<MenuItem> items = it->second.items;
  menus_.erase(it);
  for (const MenuItem& i : items)
    if (i.subMenu) destroyMenu(i.subMenu);
  for (auto& [h, w] : windows_)
    if (w->menu == m) w->menu = 0;
  return true;
}

Menu* Screen::menu(MenuHandle m) {
  auto it = menus_.find(m);
  return it == menus_.end() ? nullptr : &it->second;
}

bool Screen::appendMenu(MenuHandle m, uint32_t flags, int idOrSubMenu, const std::string& text) {
  Menu* menuObj = menu(m);
  if (!menuObj) return false;
  MenuItem item;
  item.flags = flags;
  if (flags & MF_POPUP) item.subMenu = MenuHandle(idOrSubMenu);
  else item.id = idOrSubMenu;
  if (!(flags & MF_SEPARATOR)) item.text = text;
  menuObj->items.push_back(item);
  return true;
}

MenuItem* Screen::findMenuItem(MenuHandle m, int idOrPosition, uint32_t flags) {
  Menu* menuObj = menu(m);
  if (!menuObj) return nullptr;
  if (flags & MF_BYPOSITION) {
    if (idOrPosition < 0 || size_t(idOrPosition) >= menuObj->items.size()) return nullptr;
    return &menuObj->items[size_t(idOrPosition)];
  }
  for (MenuItem& it : menuObj->items) {
    if (!(it.flags & (MF_POPUP | MF_SEPARATOR)) && it.id == idOrPosition) return &it;
    if (it.subMenu)
      if (MenuItem* found = findMenuItem(it.subMenu, idOrPosition, flags)) return found;
  }
  return nullptr;
}

bool Screen::modifyMenu(MenuHandle m, int idOrPosition, uint32_t flags, int newId, const std::string& text) {
  MenuItem* it = findMenuItem(m, idOrPosition, flags);
  if (!it) return false;
  it->flags = flags & ~MF_BYPOSITION;
  if (flags & MF_POPUP) it->subMenu = MenuHandle(newId);
  else it->id = newId, it->subMenu = 0;
  it->text = (flags & MF_SEPARATOR) ? std::string() : text;
  if (menuPopup_) invalidateRect(menuPopup_, nullptr);
  return true;
}

int Screen::checkMenuItem(MenuHandle m, int id, uint32_t flags) {
  MenuItem* it = findMenuItem(m, id, flags);
  if (!it) return -1;
  const int before = int(it->flags & MF_CHECKED);
  it->flags = (it->flags & ~MF_CHECKED) | (flags & MF_CHECKED);
  return before;
}

int Screen::enableMenuItem(MenuHandle m, int id, uint32_t flags) {
  MenuItem* it = findMenuItem(m, id, flags);
  if (!it) return -1;
  const int before = int(it->flags & (MF_GRAYED | MF_DISABLED));
  it->flags = (it->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
  return before;
}

int Screen::getMenuString(MenuHandle m, int id, char* buffer, int max, uint32_t flags) {
  MenuItem* it = findMenuItem(m, id, flags);
  if (!it) {
    if (buffer && max > 0) buffer[0] = 0;
    return 0;
  }
  if (!buffer || max <= 0) return int(it->text.size());
  const int n = std::min(int(it->text.size()), max - 1);
  std::memcpy(buffer, it->text.data(), size_t(n));
  buffer[n] = 0;
  return n;
}

bool Screen::setMenu(WindowHandle h, MenuHandle m) {
  ScreenWindow* w = window(h);
  if (!w || w->parent || (m && !menu(m))) return false;
  w->menu = m;
  moveWindow(h, w->rect.left, w->rect.top, w->rect.width(), w->rect.height(), true);
  return true;
}

void Screen::drawMenuBar(WindowHandle) {
  // The frame, menu bar included, is drawn afresh whenever the screen is composed.
}

Rect Screen::menuBarItemRect(WindowHandle h, int index) const {
  const ScreenWindow* w = window(h);
  if (!w) return {};
  auto it = menus_.find(w->menu);
  if (it == menus_.end() || index < 0 || size_t(index) >= it->second.items.size()) return {};
  const FrameLayout f = frameLayout(h);
  const Rect wr = windowRect(h);
  int x = f.menuBar.left + 4;
  const FontRef font = style::uiFont();
  for (int i = 0;; ++i) {
    const int wdt = font->textWidth(labelOf(it->second.items[size_t(i)].text)) + 16;
    if (i == index) return Rect{x, f.menuBar.top + 1, x + wdt, f.menuBar.bottom - 1}.offset(wr.left, wr.top);
    x += wdt;
  }
}

void Screen::layoutMenuPopup() {
  ScreenWindow* owner = window(menuOwner_);
  if (!owner || !menuPopup_) return;
  const Menu* bar = menu(owner->menu);
  const Menu* m = bar && menuIndex_ >= 0 && size_t(menuIndex_) < bar->items.size() ? menu(bar->items[size_t(menuIndex_)].subMenu) : nullptr;
  const FontRef font = style::uiFont();
  int labelW = 0, shortcutW = 0, h = 4;
  for (const MenuItem& it : m ? m->items : std::vector<MenuItem>{}) {
    labelW = std::max(labelW, font->textWidth(labelOf(it.text)));
    shortcutW = std::max(shortcutW, font->textWidth(shortcutOf(it.text)));
    h += (it.flags & MF_SEPARATOR) ? kSeparatorHeight : kItemHeight;
  }
  const int w = std::max(120, kCheckColumn + labelW + (shortcutW ? 28 + shortcutW : 0) + 18);
  const Rect item = menuBarItemRect(menuOwner_, menuIndex_);
  int x = item.left, y = item.bottom + 1;
  x = std::max(0, std::min(x, width() - w));
  moveWindow(menuPopup_, x, y, w, h, true);
}

Rect Screen::menuPopupItemRect(int index) const {
  const ScreenWindow* owner = window(menuOwner_);
  if (!owner || !menuPopup_) return {};
  auto bar = menus_.find(owner->menu);
  if (bar == menus_.end() || menuIndex_ < 0 || size_t(menuIndex_) >= bar->second.items.size()) return {};
  auto m = menus_.find(bar->second.items[size_t(menuIndex_)].subMenu);
  if (m == menus_.end() || index < 0 || size_t(index) >= m->second.items.size()) return {};
  const Rect wr = windowRect(menuPopup_);
  int y = wr.top + 3;
  for (int i = 0;; ++i) {
    const int h = (m->second.items[size_t(i)].flags & MF_SEPARATOR) ? kSeparatorHeight : kItemHeight;
    if (i == index) return {wr.left + 3, y, wr.right - 3, y + h};
    y += h;
  }
}

const Menu* Screen::openDropDown() {
  ScreenWindow* w = window(menuOwner_);
  const Menu* bar = w ? menu(w->menu) : nullptr;
  if (!bar || !menuPopup_ || menuIndex_ < 0 || size_t(menuIndex_) >= bar->items.size()) return nullptr;
  return menu(bar->items[size_t(menuIndex_)].subMenu);
}

void Screen::openMenu(WindowHandle h, int index) {
  ScreenWindow* w = window(h);
  const Menu* bar = w ? menu(w->menu) : nullptr;
  if (!bar || index < 0 || size_t(index) >= bar->items.size()) return;
  const MenuItem& title = bar->items[size_t(index)];
  if (title.flags & (MF_GRAYED | MF_DISABLED) || !menu(title.subMenu)) return;
  closeMenu();
  menuOwner_ = h;
  menuIndex_ = index;
  menuHot_ = -1;
  menuPopup_ = createWindow(kMenuPopupClass, "", WS_POPUP | WS_BORDER, 0, 0, 10, 10, h);
  if (!menuPopup_) {
    menuOwner_ = 0, menuIndex_ = -1;
    return;
  }
  window(menuPopup_)->topmost = true;
  layoutMenuPopup();
  showWindow(menuPopup_, SW_SHOW);
  bringToFront(menuPopup_);
}

void Screen::closeMenu() {
  const WindowHandle popup = menuPopup_;
  menuPopup_ = 0;
  menuOwner_ = 0;
  menuIndex_ = -1;
  menuHot_ = -1;
  if (popup) destroyWindow(popup);
}

bool Screen::routeMenuInput(uint32_t message, Point p) {
  const WindowHandle owner = menuOwner_;
  const Rect popupRect = windowRect(menuPopup_);
  const bool inPopup = popupRect.contains(p.x, p.y);
  int barIndex = -1;
  if (const ScreenWindow* w = window(owner))
    if (const Menu* bar = menu(w->menu))
      for (size_t i = 0; i < bar->items.size(); ++i)
        if (menuBarItemRect(owner, int(i)).contains(p.x, p.y)) barIndex = int(i);
  const Menu* bar = window(owner) ? menu(window(owner)->menu) : nullptr;
  const Menu* m = bar && menuIndex_ >= 0 ? menu(bar->items[size_t(menuIndex_)].subMenu) : nullptr;
  int item = -1;
  for (size_t i = 0; inPopup && m && i < m->items.size(); ++i)
    if (menuPopupItemRect(int(i)).contains(p.x, p.y)) item = int(i);
  switch (message) {
    case WM_MOUSEMOVE:
      if (inPopup) {
        const int hot = item >= 0 && !(m->items[size_t(item)].flags & MF_SEPARATOR) ? item : -1;
        if (hot != menuHot_) menuHot_ = hot, invalidateRect(menuPopup_, nullptr);
      } else if (barIndex >= 0 && barIndex != menuIndex_) {
        openMenu(owner, barIndex);
      }
      return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      if (inPopup) return true;
      if (barIndex >= 0) {
        if (barIndex == menuIndex_) closeMenu();
        else openMenu(owner, barIndex);
        return true;
      }
      closeMenu();
      return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (inPopup && item >= 0 && selectable(m->items[size_t(item)])) {
        const int id = m->items[size_t(item)].id;
        closeMenu();
        postMessage(owner, WM_COMMAND, makeWParam(id, 0), 0);
      }
      return true;
  }
  return true;
}

bool Screen::menuKey(int vk) {
  const ScreenWindow* w = window(menuOwner_);
  const Menu* bar = w ? menu(w->menu) : nullptr;
  const Menu* m = bar && menuIndex_ >= 0 ? menu(bar->items[size_t(menuIndex_)].subMenu) : nullptr;
  if (!bar || !m) {
    closeMenu();
    return true;
  }
  const int n = int(m->items.size());
  switch (vk) {
    case VK_ESCAPE: closeMenu(); break;
    case VK_UP:
    case VK_DOWN: {
      const int step = vk == VK_DOWN ? 1 : n - 1;
      int i = menuHot_ < 0 ? (vk == VK_DOWN ? n - 1 : 0) : menuHot_;
      for (int k = 0; k < n; ++k) {
        i = (i + step) % n;
        if (!(m->items[size_t(i)].flags & MF_SEPARATOR)) break;
      }
      menuHot_ = i;
      invalidateRect(menuPopup_, nullptr);
      break;
    }
    case VK_LEFT:
    case VK_RIGHT: {
      const int count = int(bar->items.size());
      openMenu(menuOwner_, (menuIndex_ + (vk == VK_RIGHT ? 1 : count - 1)) % count);
      break;
    }
    case VK_RETURN:
      if (menuHot_ >= 0 && selectable(m->items[size_t(menuHot_)])) {
        const WindowHandle owner = menuOwner_;
        const int id = m->items[size_t(menuHot_)].id;
        closeMenu();
        postMessage(owner, WM_COMMAND, makeWParam(id, 0), 0);
      }
      break;
  }
  return true;
}

// The drop-down paints the items of the open menu.
LResult menuPopupProc(WindowHandle h, uint32_t message, WParam w, LParam l) {
  Screen& s = screen();
  if (message != WM_PAINT) return s.defWindowProc(h, message, w, l);
  auto dc = s.getDC(h);
  if (!dc) return 0;
  const Rect wr = s.windowRect(h);
  const Point o = s.clientToScreen(h, {0, 0});
  dc->setWindowOrg(o.x, o.y);  // draw in screen coordinates
  dc->fillRect(wr, style::face);
  const Menu* m = s.openDropDown();
  for (size_t i = 0; m && i < m->items.size(); ++i) {
    const MenuItem& it = m->items[i];
    const Rect r = s.menuPopupItemRect(int(i));
    if (it.flags & MF_SEPARATOR) {
      const int y = (r.top + r.bottom) / 2;
      dc->fillRect({r.left + 1, y - 1, r.right - 1, y}, style::shadow);
      dc->fillRect({r.left + 1, y, r.right - 1, y + 1}, style::light);
      continue;
    }
    const bool hot = s.menuHotItem() == int(i);
    const bool grey = it.flags & (MF_GRAYED | MF_DISABLED);
    if (hot) dc->fillRect(r, style::highlight);
    const ColourRef c = hot ? style::highlightText : grey ? style::greyText : style::text;
    if (grey && !hot) {
      // Greyed text carries the etched white shadow the classic look has.
      style::label(*dc, r.offset(kCheckColumn + 1, 1), labelOf(it.text), style::light);
      style::label(*dc, Rect{r.left, r.top, r.right - 13, r.bottom}.offset(1, 1), shortcutOf(it.text), style::light, 2);
    }
    style::label(*dc, r.offset(kCheckColumn, 0), labelOf(it.text), c);
    style::label(*dc, Rect{r.left, r.top, r.right - 14, r.bottom}, shortcutOf(it.text), c, 2);
    if (it.flags & MF_CHECKED) {
      const int x = r.left + 6, y = (r.top + r.bottom) / 2;
      Pen pen{PS_SOLID, 1, c};
      DrawingContext::StateSaver saver(*dc);
      dc->selectPen(pen);
      for (int k = 0; k < 3; ++k) {
        dc->moveTo(x, y - 1 + k);
        dc->lineTo(x + 3, y + 2 + k);
        dc->lineTo(x + 9, y - 4 + k);
      }
    }
  }
  s.validate(h);
  return 0;
}

}  // namespace ws
