#pragma once
// The window base class of the editor's windows and the list of the program's own windows. Each object
// owns one window of a class registered for it alone ("Win" and a pseudo-random number). The window
// kinds forward their messages from one static window procedure each (see forwardMessage) to the live
// object of that kind, and always go on to the system's default processing.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/screen/win_defs.h"

// Style flags of create().
constexpr uint32_t kWindowOverlapped = 0x80;   // caption, system menu, sizing frame, minimise and maximise
constexpr uint32_t kWindowResizable = 0x100;   // caption, system menu, sizing frame and maximise box
constexpr uint32_t kWindowPopup = 0x2;
constexpr uint32_t kWindowThickFrame = 0x4;
constexpr uint32_t kWindowCaption = 0x8;
constexpr uint32_t kWindowBorder = 0x1;
constexpr uint32_t kWindowSystemMenu = 0x10;
constexpr uint32_t kWindowHScroll = 0x20;
constexpr uint32_t kWindowVScroll = 0x40;
constexpr uint32_t kWindowUnlisted = 0x200;    // adds 0x22 to the style and stays out of the window list

// The window style a flag word gives.
uint32_t windowStyleFor(uint32_t styleFlags);

class Window {
 public:
  Window();
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Slot 1: every message of the window. The base does nothing and returns 1.
  virtual int handleMessage(uint32_t message, ws::WParam wParam, ws::LParam lParam);
  // Slot 2: defined by the derived windows (their painting); empty here.
  virtual void paint() {}

  bool create(ws::WindowHandle parent, uint32_t styleFlags, ws::WindowProc windowProcedure);
  void destroy();
  void move(const ws::Rect& r, bool repaint);
  void move(int left, int top, int right, int bottom, bool repaint);
  void show(int mode);  // 0 hide, 1 show, 2 maximise; others do nothing
  void setScrollRanges(int hMax, int vMax, int hPage, int vPage, bool redraw);
  int scrollPosition(int bar) const;
  void setScrollPosition(int bar, int position, bool redraw);
  void showScrollBars(bool horizontal, bool vertical);
  void handleScroll(uint32_t message, ws::WParam wParam, ws::LParam lParam);
  void setTitle(const char* text);
  ws::Rect clientRect() const;
  ws::Rect windowRect() const;  // screen coordinates

  static int menuBarHeight();
  static int captionHeight();
  static int scrollBarHeight();

  ws::WindowHandle handle() const { return handle_; }
  const char* className() const { return className_; }
  void* owner() const { return owner_; }
  void setOwner(void* owner) { owner_ = owner; }

 protected:
  ws::WindowHandle handle_ = 0;
  void* owner_ = nullptr;
  char className_[32] = {};
};

// What a window kind's static procedure does: the live object of the kind (if any) handles the
// message, and the default processing's result is returned whatever the handler did.
ws::LResult forwardMessage(Window* live, ws::WindowHandle h, uint32_t message, ws::WParam wParam, ws::LParam lParam);
ws::LResult defaultProcessing(ws::WindowHandle h, uint32_t message, ws::WParam wParam, ws::LParam lParam);

// The program's own windows, in creation order (at most 256).
constexpr size_t kMaxOwnWindows = 256;
const std::vector<ws::WindowHandle>& ownWindows();
bool isOwnWindow(ws::WindowHandle h);
void addOwnWindow(ws::WindowHandle h);
void removeOwnWindow(ws::WindowHandle h);
void clearOwnWindows();
