#include "platform/screen/screen.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/screen/builtin_classes.h"
#include "platform/screen/png_file.h"

namespace ws {

namespace {
// Owned by hand rather than by a static unique_ptr: a static's destructor is queued when its file
// starts, and the plug-in library's start-up creates the screen before that (a constructor function
// runs first), so at unloading the screen would be gone before the screenshot is taken. Its end is
// queued when it is created instead, after the font libraries it draws with.
Screen* theScreen = nullptr;

void writeScreenshot() {
  if (!theScreen) return;
  if (const char* path = std::getenv("KESTRELMOVE_SCREENSHOT"); path && *path) {
    if (!theScreen->saveScreenshot(path)) std::fprintf(stderr, "kestrelmove: cannot write the screenshot %s\n", path);
  }
}

void endScreen() {
  writeScreenshot();
  delete std::exchange(theScreen, nullptr);
}

void replaceScreen(std::unique_ptr<Backend> backend, int width, int height) {
  delete std::exchange(theScreen, nullptr);
  theScreen = new Screen(std::move(backend), width, height);
  static const bool registered = std::atexit(endScreen) == 0;
  (void)registered;
}

bool usableScreenSize(int w, int h) { return w >= 320 && h >= 200 && w <= 8192 && h <= 8192; }

void screenSize(Backend& backend, int& w, int& h) {
  w = 1280, h = 800;
  if (const char* s = std::getenv("KESTRELMOVE_SCREEN_SIZE")) {
    int a = 0, b = 0;
    if (std::sscanf(s, "%dx%d", &a, &b) == 2 && usableScreenSize(a, b)) {
      w = a, h = b;
      return;
    }
  }
  int a = 0, b = 0;
  if (backend.usableSize(a, b) && usableScreenSize(a, b)) w = a, h = b;
}
}  // namespace

Screen& screen() {
  if (!theScreen) {
    std::unique_ptr<Backend> backend = chooseBackend();
    int w, h;
    screenSize(*backend, w, h);
    replaceScreen(std::move(backend), w, h);
  }
  return *theScreen;
}

bool hasScreen() { return theScreen != nullptr; }

Screen& startScreen(std::unique_ptr<Backend> backend, int width, int height) {
  replaceScreen(std::move(backend), width, height);
  return *theScreen;
}

void stopScreen() { endScreen(); }

Screen::Screen(std::unique_ptr<Backend> backend, int width, int height)
    : backend_(std::move(backend)), framebuffer_(std::make_shared<Surface>(width, height, 0x3A6EA5)) {
  registerBuiltinClasses(*this);
}

Screen::~Screen() {
  // Windows go without their procedures running: the objects behind them may be gone already.
  windows_.clear();
}

void Screen::resizeScreen(int width, int height) {
  framebuffer_->resize(width, height, 0x3A6EA5);
  for (auto& [h, w] : windows_)
    if (w->maximized) moveWindow(h, 0, 0, width, height, true);
}

// ---- classes and windows ----

bool Screen::hasVisibleTopLevel() const {
  for (WindowHandle h : zOrder_)
    if (const ScreenWindow* w = window(h); w && w->visible) return true;
  return false;
}

bool Screen::registerClass(const WindowClass& c) {
  if (c.name.empty() || !c.proc || classes_.count(c.name)) return false;
  classes_[c.name] = c;
  return true;
}

bool Screen::unregisterClass(const std::string& name) {
  for (auto& [h, w] : windows_)
    if (w->className == name) return false;  // still in use
  classIcons_.erase(name);
  return classes_.erase(name) > 0;
}

void Screen::setClassIcon(const std::string& name, std::shared_ptr<const Cursor> picture) {
  if (!findClass(name)) return;
  if (picture) classIcons_[name] = std::move(picture);
  else classIcons_.erase(name);
}

const WindowClass* Screen::findClass(const std::string& name) const {
  auto it = classes_.find(name);
  return it == classes_.end() ? nullptr : &it->second;
}

ScreenWindow* Screen::window(WindowHandle h) {
  auto it = windows_.find(h);
  return it == windows_.end() ? nullptr : it->second.get();
}

const ScreenWindow* Screen::window(WindowHandle h) const {
  auto it = windows_.find(h);
  return it == windows_.end() ? nullptr : it->second.get();
}

WindowHandle Screen::createWindow(const std::string& className, const std::string& title, uint32_t style, int x, int y,
                                  int width, int height, WindowHandle parentOrOwner, MenuHandle menu, int id) {
  const WindowClass* c = findClass(className);
  if (!c) return 0;
  if ((style & WS_CHILD) && !window(parentOrOwner)) return 0;
  auto w = std::make_unique<ScreenWindow>();
  const WindowHandle h = nextHandle_++;
  w->handle = h;
  w->className = className;
  w->proc = c->proc;
  w->classStyle = c->style;
  if (auto icon = classIcons_.find(className); icon != classIcons_.end()) w->icon = icon->second;
  w->style = style & ~WS_VISIBLE;
  w->rect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
  w->title = title;
  w->id = id;
  w->surface = std::make_shared<Surface>(0, 0);
  if (style & WS_CHILD) {
    w->parent = parentOrOwner;
    window(parentOrOwner)->children.push_back(h);
  } else {
    w->owner = parentOrOwner ? topLevelOf(parentOrOwner) : 0;
    w->menu = menu && this->menu(menu) ? menu : 0;
    zOrder_.push_back(h);
  }
  windows_[h] = std::move(w);
  const FrameLayout f = frameLayout(h);
  window(h)->surface->resize(f.client.width(), f.client.height(), 0xFFFFFF);
  window(h)->invalid = {0, 0, f.client.width(), f.client.height()};
  if (!(style & WS_CHILD)) bringToFront(h);
  if (sendMessage(h, WM_CREATE, 0, 0) == -1) {
    destroyWindow(h);
    return 0;
  }
  if (style & WS_VISIBLE) showWindow(h, SW_SHOW);
  return h;
}

void Screen::removeFromZOrder(WindowHandle h) { zOrder_.erase(std::remove(zOrder_.begin(), zOrder_.end(), h), zOrder_.end()); }

bool Screen::destroyWindow(WindowHandle h) {
  ScreenWindow* w = window(h);
  if (!w) return false;
  if (h == menuOwner_ || h == menuPopup_) closeMenu();
  // Owned windows go first, then the children, as the system does.
  std::vector<WindowHandle> owned;
  for (auto& [oh, ow] : windows_)
    if (ow->owner == h) owned.push_back(oh);
  for (WindowHandle o : owned) destroyWindow(o);
  w->visible = false;
  sendMessage(h, WM_DESTROY, 0, 0);
  if ((w = window(h)) == nullptr) return true;
  const std::vector<WindowHandle> children = w->children;
  for (WindowHandle c : children) destroyWindow(c);
  sendMessage(h, WM_NCDESTROY, 0, 0);
  if ((w = window(h)) == nullptr) return true;
  if (w->parent)
    if (ScreenWindow* p = window(w->parent)) p->children.erase(std::remove(p->children.begin(), p->children.end(), h), p->children.end());
  removeFromZOrder(h);
  const bool wasActive = active_ == h;
  if (capture_ == h) capture_ = 0, captureImplicit_ = false;
  if (tracking_.window == h) tracking_ = Tracking{};
  windows_.erase(h);
  if (focus_ && !window(focus_)) focus_ = 0;
  if (wasActive || (active_ && !window(active_))) {
    active_ = 0;
    for (auto it = zOrder_.rbegin(); it != zOrder_.rend(); ++it)
      if (window(*it)->visible && *it != menuPopup_) {
        activate(*it);
        break;
      }
  }
  return true;
}

bool Screen::showWindow(WindowHandle h, int command) {
  ScreenWindow* w = window(h);
  if (!w) return false;
  const bool was = w->visible;
  if (command == SW_HIDE) {
    if (!was) return false;
    w->visible = false;
    sendMessage(h, WM_SHOWWINDOW, 0, 0);
    if (active_ == h) active_ = 0;
    if (focus_ && topLevelOf(focus_) == h) focus_ = 0;
    return true;
  }
  if (command == SW_SHOWMAXIMIZED && !w->parent) {
    w->maximized = true;
    moveWindow(h, 0, 0, width(), height(), true);
    w = window(h);
    if (!w) return was;
  }
  w->visible = true;
  if (!was) sendMessage(h, WM_SHOWWINDOW, 1, 0);
  invalidateRect(h, nullptr);
  if (!w->parent && h != menuPopup_) activate(h);
  return was;
}

bool Screen::moveWindow(WindowHandle h, int x, int y, int width, int height, bool repaint) {
  ScreenWindow* w = window(h);
  if (!w) return false;
  const Rect before = w->rect;
  w->rect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
  const FrameLayout f = frameLayout(h);
  const bool resized = f.client.width() != w->surface->width() || f.client.height() != w->surface->height();
  w->surface->resize(f.client.width(), f.client.height(), 0xFFFFFF);
  if (before.left != x || before.top != y) sendMessage(h, WM_MOVE, 0, makeLParam(x, y));
  if ((w = window(h)) == nullptr) return true;
  if (resized || before.width() != width || before.height() != height)
    sendMessage(h, WM_SIZE, w->maximized ? 2 : 0, makeLParam(f.client.width(), f.client.height()));
  if (repaint || resized) invalidateRect(h, nullptr);
  return true;
}

void Screen::setTopmost(WindowHandle h, bool topmost) {
  if (ScreenWindow* w = window(h)) {
    w->topmost = topmost;
    bringToFront(h);
  }
}

void Screen::setWindowText(WindowHandle h, const std::string& text) {
  if (ScreenWindow* w = window(h)) w->title = text;
}

std::string Screen::windowText(WindowHandle h) const {
  const ScreenWindow* w = window(h);
  return w ? w->title : std::string();
}

Rect Screen::windowRect(WindowHandle h) const {
  const ScreenWindow* w = window(h);
  if (!w) return {};
  if (!w->parent) return w->rect;
  const Point o = clientToScreen(w->parent, {0, 0});
  return w->rect.offset(o.x, o.y);
}

Rect Screen::clientRect(WindowHandle h) const {
  const ScreenWindow* w = window(h);
  if (!w) return {};
  const FrameLayout f = frameLayout(h);
  return {0, 0, f.client.width(), f.client.height()};
}

Point Screen::clientToScreen(WindowHandle h, Point p) const {
  const Rect wr = windowRect(h);
  const FrameLayout f = frameLayout(h);
  return {p.x + wr.left + f.client.left, p.y + wr.top + f.client.top};
}

Point Screen::screenToClient(WindowHandle h, Point p) const {
  const Point o = clientToScreen(h, {0, 0});
  return {p.x - o.x, p.y - o.y};
}

WindowHandle Screen::topLevelOf(WindowHandle h) const {
  const ScreenWindow* w = window(h);
  while (w && w->parent) w = window(w->parent);
  return w ? w->handle : 0;
}

WindowHandle Screen::childFromId(WindowHandle parent, int id) const {
  const ScreenWindow* p = window(parent);
  if (!p) return 0;
  for (WindowHandle c : p->children)
    if (const ScreenWindow* w = window(c); w && w->id == id) return c;
  return 0;
}

WindowHandle Screen::windowAt(Point p, int* hitTest) const {
  for (auto it = zOrder_.rbegin(); it != zOrder_.rend(); ++it) {
    const ScreenWindow* w = window(*it);
    if (!w || !w->visible || !w->rect.contains(p.x, p.y)) continue;
    // Descend into the children under the point.
    WindowHandle h = *it;
    for (bool deeper = true; deeper;) {
      deeper = false;
      const ScreenWindow* cur = window(h);
      const Point c = screenToClient(h, p);
      if (!clientRect(h).contains(c.x, c.y)) break;
      for (auto ci = cur->children.rbegin(); ci != cur->children.rend(); ++ci) {
        const ScreenWindow* cw = window(*ci);
        if (cw && cw->visible && cw->rect.contains(c.x, c.y)) {
          h = *ci;
          deeper = true;
          break;
        }
      }
    }
    if (hitTest) {
      const Rect wr = windowRect(h);
      const FrameLayout f = frameLayout(h);
      const int x = p.x - wr.left, y = p.y - wr.top;
      *hitTest = f.client.contains(x, y) ? HTCLIENT
                 : f.closeBox.contains(x, y) ? HTCLOSE
                 : f.caption.contains(x, y)  ? HTCAPTION
                 : f.menuBar.contains(x, y)  ? HTMENU
                 : f.vScroll.contains(x, y)  ? HTVSCROLL
                 : f.hScroll.contains(x, y)  ? HTHSCROLL
                                             : HTBORDER;
    }
    return h;
  }
  if (hitTest) *hitTest = HTNOWHERE;
  return 0;
}

bool Screen::enableWindow(WindowHandle h, bool enable) {
  ScreenWindow* w = window(h);
  if (!w) return false;
  const bool was = !w->enabled;
  w->enabled = enable;
  return was;
}

void Screen::bringToFront(WindowHandle h) {
  if (!window(h) || window(h)->parent) return;
  // h goes on top, followed by everything it owns (directly or through others), in their order.
  std::vector<WindowHandle> lifted{h};
  for (size_t i = 0; i < lifted.size(); ++i)
    for (WindowHandle z : zOrder_)
      if (window(z)->owner == lifted[i] && std::find(lifted.begin(), lifted.end(), z) == lifted.end()) lifted.push_back(z);
  std::vector<WindowHandle> rest;
  for (WindowHandle z : zOrder_)
    if (std::find(lifted.begin(), lifted.end(), z) == lifted.end()) rest.push_back(z);
  std::vector<WindowHandle> ownedInOrder{h};
  for (WindowHandle z : zOrder_)
    if (z != h && std::find(lifted.begin(), lifted.end(), z) != lifted.end()) ownedInOrder.push_back(z);
  rest.insert(rest.end(), ownedInOrder.begin(), ownedInOrder.end());
  // Topmost windows (message boxes, the open menu) stay above all others.
  std::stable_partition(rest.begin(), rest.end(), [&](WindowHandle z) { return !window(z)->topmost && z != menuPopup_; });
  zOrder_ = rest;
}

// ---- messages ----

bool Screen::postMessage(WindowHandle h, uint32_t message, WParam w, LParam l) {
  if (h && !window(h)) return false;
  queue_.push_back(Message{h, message, w, l, tickCount(), mouse_, currentModifiers()});
  return true;
}

void Screen::postQuitMessage(int code) { queue_.push_back(Message{0, WM_QUIT, WParam(int64_t(code)), 0, tickCount(), mouse_, 0}); }

LResult Screen::sendMessage(WindowHandle h, uint32_t message, WParam w, LParam l) {
  ScreenWindow* win = window(h);
  if (!win || !win->proc) return 0;
  return win->proc(h, message, w, l);
}

std::optional<Message> Screen::nextPaint() {
  std::function<std::optional<Message>(WindowHandle)> visit = [&](WindowHandle h) -> std::optional<Message> {
    const ScreenWindow* w = window(h);
    if (!w || !w->visible) return std::nullopt;
    if (!w->invalid.empty()) return Message{h, WM_PAINT, 0, 0, tickCount(), mouse_, 0};
    for (WindowHandle c : w->children)
      if (auto m = visit(c)) return m;
    return std::nullopt;
  };
  for (WindowHandle h : zOrder_)
    if (auto m = visit(h)) return m;
  return std::nullopt;
}

bool Screen::peekMessage(Message& m, bool remove) {
  backend_->pollInput(*this);
  repeatHeldScroll();
  if (!queue_.empty()) {
    m = queue_.front();
    if (remove) queue_.pop_front();
    messageModifiers_ = m.modifiers;
    return true;
  }
  if (auto p = nextPaint()) {
    m = *p;
    return true;
  }
  backend_->present(*this);
  // A loop that peeks (playback) takes the driver's next input as soon as it has nothing else.
  if (driveInput(false) && !queue_.empty()) {
    m = queue_.front();
    if (remove) queue_.pop_front();
    messageModifiers_ = m.modifiers;
    return true;
  }
  return false;
}

bool Screen::hasQueuedInput(WindowHandle h, uint32_t message) {
  backend_->pollInput(*this);
  for (const Message& m : queue_)
    if (m.window == h && m.message == message) return true;
  return false;
}

bool Screen::getMessage(Message& m, WindowHandle filter) {
  for (;;) {
    backend_->pollInput(*this);
    repeatHeldScroll();
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
      if (filter && it->message != WM_QUIT && it->window != filter && topLevelOf(it->window) != filter) continue;
      m = *it;
      queue_.erase(it);
      messageModifiers_ = m.modifiers;
      return m.message != WM_QUIT;
    }
    if (auto p = nextPaint()) {
      m = *p;
      return true;
    }
    backend_->present(*this);
    if (inputDriver_ && !driving_) {
      if (!driveInput(true)) postQuitMessage(kNoMoreInput);
      continue;
    }
    if (!backend_->waitInput(*this) && queue_.empty() && !nextPaint()) postQuitMessage(kNoMoreInput);
  }
}

bool Screen::driveInput(bool mayBlock) {
  // Input the driver feeds is only queued, but a step that reads the screen must not find itself
  // asked again from inside a window procedure it caused to run.
  if (!inputDriver_ || driving_) return false;
  driving_ = true;
  const bool more = inputDriver_(mayBlock);
  driving_ = false;
  if (!more) inputDriver_ = nullptr;
  return more;
}

bool Screen::runIdleAction() {
  if (idleActions_.empty()) return false;
  auto action = std::move(idleActions_.front());
  idleActions_.pop_front();
  action();
  return true;
}

bool Screen::keyState(int vk) const {
  if (vk == VK_SHIFT) return messageModifiers_ & kShift;
  if (vk == VK_CONTROL) return messageModifiers_ & kCtrl;
  return keyPressed(vk);
}

int Screen::characterFor(int vk, uint32_t modifiers) {
  const bool shift = modifiers & kShift, ctrl = modifiers & kCtrl;
  if (vk >= 'A' && vk <= 'Z') return ctrl ? vk - 'A' + 1 : shift ? vk : vk + 32;
  if (ctrl) return 0;
  if (vk >= '0' && vk <= '9') return shift ? ")!@#$%^&*("[vk - '0'] : vk;
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return '0' + vk - VK_NUMPAD0;
  switch (vk) {
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_RETURN: return 13;
    case VK_ESCAPE: return 27;
    case VK_SPACE: return ' ';
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    case VK_OEM_1: return shift ? ':' : ';';
    case VK_OEM_PLUS: return shift ? '+' : '=';
    case VK_OEM_COMMA: return shift ? '<' : ',';
    case VK_OEM_MINUS: return shift ? '_' : '-';
    case VK_OEM_PERIOD: return shift ? '>' : '.';
    case VK_OEM_2: return shift ? '?' : '/';
    case VK_OEM_3: return shift ? '~' : '`';
    case VK_OEM_4: return shift ? '{' : '[';
    case VK_OEM_5: return shift ? '|' : '\\';
    case VK_OEM_6: return shift ? '}' : ']';
    case VK_OEM_7: return shift ? '"' : '\'';
  }
  return 0;
}

bool Screen::translateMessage(const Message& m) {
  if (m.message != WM_KEYDOWN) return false;
  const int c = characterFor(int(m.wParam), m.modifiers);
  if (!c) return false;
  // The character follows its key-down directly, ahead of later input.
  queue_.push_front(Message{m.window, WM_CHAR, WParam(c), m.lParam, m.time, m.point, m.modifiers});
  return true;
}

LResult Screen::dispatchMessage(const Message& m) {
  if (!m.window || !window(m.window)) return 0;
  const LResult r = sendMessage(m.window, m.message, m.wParam, m.lParam);
  // A window that does not validate its paint would otherwise be asked to paint forever.
  if (m.message == WM_PAINT) validate(m.window);
  ++generation_;
  return r;
}

// ---- painting ----

void Screen::invalidateRect(WindowHandle h, const Rect* r) {
  ScreenWindow* w = window(h);
  if (!w) return;
  const Rect all{0, 0, w->surface->width(), w->surface->height()};
  w->invalid = w->invalid.unite(r ? r->intersect(all) : all);
}

void Screen::validate(WindowHandle h) {
  if (ScreenWindow* w = window(h)) w->invalid = {};
}

bool Screen::hasInvalid(WindowHandle h) const {
  const ScreenWindow* w = window(h);
  return w && !w->invalid.empty();
}

void Screen::updateWindow(WindowHandle h) {
  if (hasInvalid(h) && window(h)->visible) {
    sendMessage(h, WM_PAINT, 0, 0);
    validate(h);
  }
}

std::unique_ptr<DrawingContext> Screen::getDC(WindowHandle h) {
  ScreenWindow* w = window(h);
  if (!w) return nullptr;
  auto dc = std::make_unique<DrawingContext>(w->surface);
  if (w->font) dc->selectFont(w->font);
  return dc;
}

const Surface& Screen::compose() {
  framebuffer_->fill(framebuffer_->bounds(), 0x3A6EA5);
  for (WindowHandle h : zOrder_) composeWindow(h, framebuffer_->bounds());
  return *framebuffer_;
}

void Screen::composeWindow(WindowHandle h, const Rect& clip) {
  ScreenWindow* w = window(h);
  if (!w || !w->visible) return;
  const Rect wr = windowRect(h);
  const Rect visible = wr.intersect(clip);
  if (visible.empty()) return;
  {
    DrawingContext dc(framebuffer_, visible);
    paintFrame(*w, dc, wr);
  }
  const FrameLayout f = frameLayout(h);
  const Rect client = f.client.offset(wr.left, wr.top).intersect(clip);
  framebuffer_->blit(*w->surface, w->surface->bounds(), wr.left + f.client.left, wr.top + f.client.top, client);
  for (WindowHandle c : w->children) composeWindow(c, client);
}

bool Screen::saveScreenshot(const std::string& path) { return writePng(path, compose()); }

// ---- focus, capture, activation ----

WindowHandle Screen::setFocus(WindowHandle h) {
  if (h && !window(h)) return 0;
  const WindowHandle old = focus_;
  if (old == h) return old;
  focus_ = h;
  if (ScreenWindow* top = window(topLevelOf(h))) top->lastFocus = h;
  if (old) sendMessage(old, WM_KILLFOCUS, h, 0);
  if (h && focus_ == h) sendMessage(h, WM_SETFOCUS, old, 0);
  return old;
}

WindowHandle Screen::setCapture(WindowHandle h) {
  const WindowHandle old = capture_;
  capture_ = window(h) ? h : 0;
  captureImplicit_ = false;
  return old;
}

void Screen::releaseCapture() {
  capture_ = 0;
  captureImplicit_ = false;
}

void Screen::activate(WindowHandle h) {
  const WindowHandle top = topLevelOf(h);
  if (!top || top == menuPopup_) return;
  bringToFront(top);
  if (active_ != top) {
    const WindowHandle old = active_;
    active_ = top;
    if (old) sendMessage(old, WM_ACTIVATE, 0, LParam(top));
    sendMessage(top, WM_ACTIVATE, 1, LParam(old));
  }
  if (!focus_ || topLevelOf(focus_) != top) {
    const WindowHandle remembered = window(top)->lastFocus;
    setFocus(remembered && window(remembered) && topLevelOf(remembered) == top ? remembered : top);
  }
}

// ---- input ----

uint32_t Screen::mouseKeyState() const {
  uint32_t s = 0;
  if (buttons_[0]) s |= MK_LBUTTON;
  if (buttons_[1]) s |= MK_RBUTTON;
  if (buttons_[2]) s |= MK_MBUTTON;
  if (keys_[VK_SHIFT]) s |= MK_SHIFT;
  if (keys_[VK_CONTROL]) s |= MK_CONTROL;
  return s;
}

void Screen::postInput(WindowHandle h, uint32_t message, WParam w, LParam l) {
  queue_.push_back(Message{h, message, w, l, tickCount(), mouse_, currentModifiers()});
}

void Screen::mouseMove(int x, int y) {
  mouse_ = {x, y};
  if (tracking_.window) {
    scrollTrackMove(mouse_);
    return;
  }
  if (menuOpen() && routeMenuInput(WM_MOUSEMOVE, mouse_)) return;
  int hit = HTNOWHERE;
  WindowHandle target = capture_ ? capture_ : windowAt(mouse_, &hit);
  if (!target) return;
  if (capture_ || hit == HTCLIENT) {
    const Point c = screenToClient(target, mouse_);
    postInput(target, WM_MOUSEMOVE, mouseKeyState(), makeLParam(c.x, c.y));
  } else {
    postInput(target, WM_NCMOUSEMOVE, WParam(hit), makeLParam(x, y));
  }
}

void Screen::mouseButton(int button, bool down, int x, int y) {
  if (button < 0 || button > 2) return;
  mouse_ = {x, y};
  buttons_[button] = down;
  static constexpr uint32_t downMsg[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  static constexpr uint32_t upMsg[3] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
  static constexpr uint32_t dblMsg[3] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};
  if (!down && tracking_.window && button == 0) {
    scrollTrackEnd();
    return;
  }
  if (menuOpen() && routeMenuInput(down ? downMsg[button] : upMsg[button], mouse_)) return;
  int hit = HTNOWHERE;
  WindowHandle target = capture_ ? capture_ : windowAt(mouse_, &hit);
  if (capture_) hit = HTCLIENT;
  if (!target) return;
  if (down) {
    const ScreenWindow* w = window(target);
    const WindowHandle top = topLevelOf(target);
    if (!w->enabled || (top && !window(top)->enabled)) {
      beep(MB_SIMPLEBEEP);
      return;
    }
    if (top != menuPopup_) activate(target);
    if (!window(target)) return;
  }
  if (hit == HTCLIENT) {
    const Point c = screenToClient(target, mouse_);
    uint32_t msg = down ? downMsg[button] : upMsg[button];
    if (down) {
      const uint32_t now = tickCount();
      if ((window(target)->classStyle & CS_DBLCLKS) && lastClick_.window == target && lastClick_.button == button &&
          now - lastClick_.time <= 500 && std::abs(lastClick_.point.x - x) <= 4 && std::abs(lastClick_.point.y - y) <= 4) {
        msg = dblMsg[button];
        lastClick_ = LastClick{};
      } else {
        lastClick_ = LastClick{target, button, now, mouse_};
      }
      // The window that got the press keeps the mouse until the buttons are released.
      if (!capture_) capture_ = target, captureImplicit_ = true;
    }
    postInput(target, msg, mouseKeyState(), makeLParam(c.x, c.y));
    if (!down && captureImplicit_ && !buttons_[0] && !buttons_[1] && !buttons_[2]) releaseCapture();
  } else if (button == 0) {
    postInput(target, down ? WM_NCLBUTTONDOWN : WM_NCLBUTTONUP, WParam(hit), makeLParam(x, y));
  }
}

void Screen::mouseWheel(int delta, int x, int y) {
  mouse_ = {x, y};
  if (menuOpen()) return;
  const WindowHandle target = focus_ ? focus_ : windowAt(mouse_);
  if (!target) return;
  postInput(target, WM_MOUSEWHEEL, makeWParam(int(mouseKeyState()), delta), makeLParam(x, y));
}

void Screen::keyDown(int vk) {
  if (vk < 0 || vk > 255) return;
  keys_[vk] = true;
  if (menuOpen() && menuKey(vk)) return;
  const WindowHandle target = focus_ ? focus_ : active_;
  if (target) postInput(target, WM_KEYDOWN, WParam(vk), 1);
}

void Screen::keyUp(int vk) {
  if (vk < 0 || vk > 255) return;
  keys_[vk] = false;
  const WindowHandle target = focus_ ? focus_ : active_;
  if (target && !menuOpen()) postInput(target, WM_KEYUP, WParam(vk), LParam(0xC0000001));
}

void Screen::click(int x, int y, int button) {
  mouseMove(x, y);
  mouseButton(button, true, x, y);
  mouseButton(button, false, x, y);
}

void Screen::doubleClick(int x, int y) {
  click(x, y);
  click(x, y);
}

void Screen::pressKey(int vk) {
  keyDown(vk);
  keyUp(vk);
}

void Screen::pressCtrl(int vk) {
  keyDown(VK_CONTROL);
  pressKey(vk);
  keyUp(VK_CONTROL);
}

bool Screen::keyForCharacter(int c, int& vk, bool& shift) {
  vk = 0, shift = false;
  if (c >= 'a' && c <= 'z') vk = c - 32;
  else if (c >= 'A' && c <= 'Z') vk = c, shift = true;
  else if (c >= '0' && c <= '9') vk = c;
  else if (c == ' ') vk = VK_SPACE;
  else if (c == '\n' || c == '\r') vk = VK_RETURN;
  else {
    // Punctuation: the key of the US layout that gives it, with or without Shift.
    static const int oem[] = {VK_OEM_1, VK_OEM_PLUS, VK_OEM_COMMA, VK_OEM_MINUS, VK_OEM_PERIOD, VK_OEM_2, VK_OEM_3, VK_OEM_4, VK_OEM_5, VK_OEM_6, VK_OEM_7};
    for (int k : oem)
      for (int s = 0; s < 2 && !vk; ++s)
        if (characterFor(k, s ? kShift : 0) == c) vk = k, shift = s;
    for (int d = '0'; d <= '9' && !vk; ++d)
      if (characterFor(d, kShift) == c) vk = d, shift = true;
  }
  return vk != 0;
}

void Screen::typeText(const std::string& text) {
  for (unsigned char c : text) {
    int vk = 0;
    bool shift = false;
    if (!keyForCharacter(c, vk, shift)) continue;
    if (shift) keyDown(VK_SHIFT);
    pressKey(vk);
    if (shift) keyUp(VK_SHIFT);
  }
}

// ---- time, cursor, beep, metrics ----

int64_t Screen::performanceCounter() const {
  if (manualClock_) return manualMicros_;
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start_).count();
}

uint32_t Screen::tickCount() const { return uint32_t(performanceCounter() / 1000); }

void Screen::setCursor(std::shared_ptr<const Cursor> cursor) {
  cursor_ = std::move(cursor);
  backend_->showCursor(cursor_.get());
}

void Screen::beep(uint32_t kind) {
  ++beeps_;
  backend_->beep(kind);
}

int Screen::systemMetric(int index) const {
  switch (index) {
    case SM_CXSCREEN: return width();
    case SM_CYSCREEN: return height();
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CXHSCROLL: case SM_CYVSCROLL: return 17;
    case SM_CYCAPTION: return 22;
    case SM_CYMENU: return 20;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
  }
  return 0;
}

}  // namespace ws
