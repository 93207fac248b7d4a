#pragma once
// The window system: one screen with its windows in z-order, one message queue, the mouse, the keyboard
// focus and the menus. Its calls and messages follow the user-interface conventions the platform layer
// was written for (window procedures, posted and sent messages, default processing, invalid regions
// producing paint messages), so that layer runs on it as written.
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/screen/backend.h"
#include "platform/screen/drawing_context.h"
#include "platform/screen/surface.h"
#include "platform/screen/win_defs.h"

namespace ws {

struct Message {
  WindowHandle window = 0;
  uint32_t message = 0;
  WParam wParam = 0;
  LParam lParam = 0;
  uint32_t time = 0;
  Point point;
  uint32_t modifiers = 0;  // kShift, kCtrl: the keyboard state when the message was queued
};

constexpr uint32_t kShift = 1, kCtrl = 2;

struct ScrollInfo {
  int min = 0, max = 100, page = 0, pos = 0, trackPos = 0;
};

struct WindowClass {
  std::string name;
  uint32_t style = 0;
  WindowProc proc = nullptr;
  int icon = 0;
  int cursor = IDC_ARROW;
};

struct MenuItem {
  uint32_t flags = 0;
  int id = 0;
  MenuHandle subMenu = 0;
  std::string text;
};

struct Menu {
  bool bar = false;
  std::vector<MenuItem> items;
};

struct ScreenWindow {
  WindowHandle handle = 0;
  std::string className;
  WindowProc proc = nullptr;
  uint32_t classStyle = 0;
  std::shared_ptr<const Cursor> icon;
  uint32_t style = 0;
  bool topmost = false;
  WindowHandle owner = 0;   // top-level windows: the owning window
  WindowHandle parent = 0;  // child windows: the parent
  int id = 0;
  Rect rect;  // screen coordinates, or the parent's client coordinates for a child
  bool visible = false;
  bool enabled = true;
  bool maximized = false;
  std::string title;
  MenuHandle menu = 0;
  ScrollInfo scroll[2];
  std::shared_ptr<Surface> surface;  // the client area
  Rect invalid;                      // client coordinates
  FontRef font;
  std::vector<WindowHandle> children;
  WindowHandle lastFocus = 0;  // top-level windows: where the focus was, given back on activation
};

// The parts of a window's frame, in window coordinates (relative to its top-left corner).
struct FrameLayout {
  Rect caption, closeBox, menuBar, vScroll, hScroll, client;
};

class Screen {
 public:
  Screen(std::unique_ptr<Backend> backend, int width, int height);
  ~Screen();
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  Backend& backend() { return *backend_; }
  int width() const { return framebuffer_->width(); }
  int height() const { return framebuffer_->height(); }
  Rect workArea() const { return {0, 0, width(), height()}; }
  void resizeScreen(int width, int height);

  // Classes and windows.
  bool registerClass(const WindowClass& c);
  bool unregisterClass(const std::string& name);
  const WindowClass* findClass(const std::string& name) const;
  // The picture of a class's icon, shown at the caption's left of its windows that have a system menu
  // (none: the caption shows no icon). Windows created afterwards take it.
  void setClassIcon(const std::string& name, std::shared_ptr<const Cursor> picture);
  WindowHandle createWindow(const std::string& className, const std::string& title, uint32_t style, int x, int y,
                            int width, int height, WindowHandle parentOrOwner, MenuHandle menu = 0, int id = 0);
  bool destroyWindow(WindowHandle h);
  ScreenWindow* window(WindowHandle h);
  const ScreenWindow* window(WindowHandle h) const;
  bool isWindow(WindowHandle h) const { return window(h) != nullptr; }
  // Whether some top-level window is shown: until then a backend with a real window keeps it closed.
  bool hasVisibleTopLevel() const;
  bool showWindow(WindowHandle h, int command);
  bool moveWindow(WindowHandle h, int x, int y, int width, int height, bool repaint);
  void setTopmost(WindowHandle h, bool topmost);
  void setWindowText(WindowHandle h, const std::string& text);
  std::string windowText(WindowHandle h) const;
  Rect windowRect(WindowHandle h) const;  // screen coordinates
  Rect clientRect(WindowHandle h) const;  // (0, 0, width, height)
  Point clientToScreen(WindowHandle h, Point p) const;
  Point screenToClient(WindowHandle h, Point p) const;
  FrameLayout frameLayout(WindowHandle h) const;
  WindowHandle topLevelOf(WindowHandle h) const;
  WindowHandle childFromId(WindowHandle parent, int id) const;
  const std::vector<WindowHandle>& zOrder() const { return zOrder_; }  // bottom first
  WindowHandle windowAt(Point screenPoint, int* hitTest = nullptr) const;
  bool enableWindow(WindowHandle h, bool enable);
  void bringToFront(WindowHandle h);

  // Messages.
  bool postMessage(WindowHandle h, uint32_t message, WParam w, LParam l);
  void postQuitMessage(int code);
  LResult sendMessage(WindowHandle h, uint32_t message, WParam w, LParam l);
  bool getMessage(Message& m, WindowHandle filter = 0);  // false on the quit message
  bool peekMessage(Message& m, bool remove = true);
  bool translateMessage(const Message& m);
  LResult dispatchMessage(const Message& m);
  LResult defWindowProc(WindowHandle h, uint32_t message, WParam w, LParam l);
  size_t queuedMessages() const { return queue_.size(); }
  // Whether input of this kind for this window already waits in the queue (the backend's input polled
  // first): a drag can leave to the next move the work that move would overtake at once.
  bool hasQueuedInput(WindowHandle h, uint32_t message);
  // The code of the quit message that ends a blocking get when the input runs out (headless).
  static constexpr int kNoMoreInput = -1;

  // Painting.
  void invalidateRect(WindowHandle h, const Rect* r);
  void validate(WindowHandle h);
  bool hasInvalid(WindowHandle h) const;
  void updateWindow(WindowHandle h);  // sends the paint message now if something is invalid
  std::unique_ptr<DrawingContext> getDC(WindowHandle h);
  // Composes all windows into the framebuffer and returns it.
  const Surface& compose();
  uint32_t pixelAt(int x, int y) { return compose().pixel(x, y); }
  bool saveScreenshot(const std::string& path);

  // Focus, capture, activation.
  WindowHandle setFocus(WindowHandle h);
  WindowHandle focus() const { return focus_; }
  WindowHandle setCapture(WindowHandle h);
  void releaseCapture();
  WindowHandle capture() const { return capture_; }
  WindowHandle activeWindow() const { return active_; }
  void activate(WindowHandle h);

  // Scroll bars. A new range or page that leaves nothing to scroll hides the bar, and one that gives
  // something to scroll again shows it, as the standard bars do without SIF_DISABLENOSCROLL.
  // Holding an arrow or the track repeats its scroll message after kScrollRepeatDelay, then every
  // kScrollRepeatInterval, while the pointer stays on the pressed part (microseconds).
  static constexpr int64_t kScrollRepeatDelay = 350000, kScrollRepeatInterval = 50000;
  void setScrollInfo(WindowHandle h, int bar, uint32_t mask, const ScrollInfo& info, bool redraw);
  ScrollInfo scrollInfo(WindowHandle h, int bar) const;
  void showScrollBar(WindowHandle h, int bar, bool show);

  // Menus.
  MenuHandle createMenu(bool bar);
  bool destroyMenu(MenuHandle m);
  Menu* menu(MenuHandle m);
  bool appendMenu(MenuHandle m, uint32_t flags, int idOrSubMenu, const std::string& text);
  // Finds an item by command (searching sub-menus) or by position; null when there is none.
  MenuItem* findMenuItem(MenuHandle m, int idOrPosition, uint32_t flags);
  bool modifyMenu(MenuHandle m, int idOrPosition, uint32_t flags, int newId, const std::string& text);
  int checkMenuItem(MenuHandle m, int id, uint32_t flags);
  int enableMenuItem(MenuHandle m, int id, uint32_t flags);
  int getMenuString(MenuHandle m, int id, char* buffer, int max, uint32_t flags);
  bool setMenu(WindowHandle h, MenuHandle m);
  void drawMenuBar(WindowHandle h);
  // The drop-down of menu bar item `index` of window h (no-op for an invalid index).
  void openMenu(WindowHandle h, int index);
  void closeMenu();
  bool menuOpen() const { return menuPopup_ != 0; }
  WindowHandle menuPopup() const { return menuPopup_; }
  WindowHandle menuOwner() const { return menuOwner_; }
  int menuHotItem() const { return menuHot_; }
  const Menu* openDropDown();
  // The screen rectangle of bar item index, or of item `item` in the open drop-down.
  Rect menuBarItemRect(WindowHandle h, int index) const;
  Rect menuPopupItemRect(int item) const;

  // Input, from a backend or from a test.
  void mouseMove(int x, int y);
  void mouseButton(int button, bool down, int x, int y);  // 0 left, 1 right, 2 middle
  void mouseWheel(int delta, int x, int y);
  void keyDown(int vk);
  void keyUp(int vk);
  // The state of a key as input has reached it (the physical state).
  bool keyPressed(int vk) const { return vk >= 0 && vk < 256 && keys_[vk]; }
  // Shift and Ctrl as they were when the message being handled was queued, as a window procedure
  // must see them: input may have moved on since.
  bool keyState(int vk) const;
  Point mousePosition() const { return mouse_; }
  // Conveniences that press and release.
  void click(int x, int y, int button = 0);
  void doubleClick(int x, int y);
  void pressKey(int vk);
  void pressCtrl(int vk);
  void typeText(const std::string& text);
  // The key of the US layout that gives character c, and whether it needs Shift; false when no key
  // gives it.
  static bool keyForCharacter(int c, int& vk, bool& shift);
  // What a key-down produces as a character with the current Shift and Ctrl state; 0 for none.
  int characterFor(int vk) const { return characterFor(vk, currentModifiers()); }
  static int characterFor(int vk, uint32_t modifiers);
  uint32_t currentModifiers() const { return (keys_[VK_SHIFT] ? kShift : 0) | (keys_[VK_CONTROL] ? kCtrl : 0); }

  // Work the headless backend runs when a blocking get finds nothing to do (tests script modal
  // dialogs with it); each action is run once, in order.
  void whenIdle(std::function<void()> action) { idleActions_.push_back(std::move(action)); }
  bool runIdleAction();
  size_t idleActionsLeft() const { return idleActions_.size(); }

  // A source of input that is asked for more whenever a get or a peek finds nothing to do (the queue
  // is empty and no paint is pending), with either backend: a replayed input script drives the
  // program's own loops and every modal loop inside them alike. The driver feeds input through the
  // calls below and returns true while it has more to give (it may also feed nothing, to let time
  // pass); mayBlock tells it that the caller would otherwise wait, so it may sleep a little. Once it
  // returns false it is dropped, and a blocking get then ends with a quit message of kNoMoreInput.
  using InputDriver = std::function<bool(bool mayBlock)>;
  void setInputDriver(InputDriver driver) { inputDriver_ = std::move(driver); }
  bool hasInputDriver() const { return bool(inputDriver_); }

  // Time. A manual clock (tests) only moves when advanced.
  uint32_t tickCount() const;
  int64_t performanceCounter() const;
  int64_t performanceFrequency() const { return 1000000; }
  void useManualClock(bool manual) { manualClock_ = manual; }
  void advanceClock(int64_t microseconds) { manualMicros_ += microseconds; }

  // Cursor and beep.
  void setCursor(std::shared_ptr<const Cursor> cursor);
  const Cursor* cursor() const { return cursor_.get(); }
  void beep(uint32_t kind);
  int beeps() const { return beeps_; }

  // The system metric of a GetSystemMetrics index.
  int systemMetric(int index) const;

  // Mouse messages are those the routing delivered; exposed so that tests can check where a drag went.
  uint64_t generation() const { return generation_; }

 private:
  friend class ScreenAccess;
  void composeWindow(WindowHandle h, const Rect& clip);
  void paintFrame(ScreenWindow& w, DrawingContext& dc, const Rect& where);
  void postInput(WindowHandle h, uint32_t message, WParam w, LParam l);
  uint32_t mouseKeyState() const;
  bool routeMenuInput(uint32_t message, Point p);
  bool menuKey(int vk);
  void ncButtonDown(WindowHandle h, int hit, Point screenPoint);
  void scrollTrackMove(Point screenPoint);
  void scrollTrackEnd();
  void repeatHeldScroll();
  Rect scrollParts(WindowHandle h, int bar, Rect* up, Rect* down, Rect* thumb) const;
  void layoutMenuPopup();
  void removeFromZOrder(WindowHandle h);
  bool pumpOnce(bool wait);
  // Asks the input driver for more; false when there is none or it has nothing left.
  bool driveInput(bool mayBlock);
  std::optional<Message> nextPaint();

  std::unique_ptr<Backend> backend_;
  std::shared_ptr<Surface> framebuffer_;
  std::map<std::string, WindowClass> classes_;
  std::map<std::string, std::shared_ptr<const Cursor>> classIcons_;
  std::map<WindowHandle, std::unique_ptr<ScreenWindow>> windows_;
  std::vector<WindowHandle> zOrder_;
  std::map<MenuHandle, Menu> menus_;
  std::deque<Message> queue_;
  std::deque<std::function<void()>> idleActions_;
  InputDriver inputDriver_;
  bool driving_ = false;
  WindowHandle nextHandle_ = 0x100;
  MenuHandle nextMenu_ = 0x1000;
  WindowHandle focus_ = 0, capture_ = 0, active_ = 0;
  bool captureImplicit_ = false;
  Point mouse_;
  bool buttons_[3] = {};
  bool keys_[256] = {};
  struct LastClick {
    WindowHandle window = 0;
    int button = -1;
    uint32_t time = 0;
    Point point;
  } lastClick_;
  // Menu tracking.
  WindowHandle menuOwner_ = 0, menuPopup_ = 0;
  int menuIndex_ = -1, menuHot_ = -1;
  // Scroll-bar and caption tracking.
  struct Tracking {
    WindowHandle window = 0;
    int bar = -1;       // scroll bar, or -1
    int part = -1;      // scroll code of the pressed part
    int grabOffset = 0; // pointer to thumb start
    bool moving = false;
    Point moveStart;
    Rect moveRect;
    int64_t repeatAt = 0;  // performance-counter time of the next repeat while an arrow or the track is held
  } tracking_;
  std::shared_ptr<const Cursor> cursor_;
  int beeps_ = 0;
  bool manualClock_ = false;
  int64_t manualMicros_ = 0;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  uint64_t generation_ = 0;
  uint32_t messageModifiers_ = 0;
};

// The process's screen, created on first use with chooseBackend() (size from KESTRELMOVE_SCREEN_SIZE,
// "WIDTHxHEIGHT", else the display's usable area, else 1280x800). Creating it opens no window.
Screen& screen();
bool hasScreen();
// Replaces the process's screen (tests start each case on a fresh headless screen).
Screen& startScreen(std::unique_ptr<Backend> backend, int width, int height);
void stopScreen();

}  // namespace ws
