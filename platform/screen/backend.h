#pragma once
// Where the screen is shown and where input comes from. The headless backend shows nothing and takes
// its input from the program itself (tests and tools); the SDL backend shows the screen in a window.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/screen/surface.h"

namespace ws {

class Screen;

// A mouse cursor: a system shape (IDC_* number) or an image with a hot spot. Pixels whose mask is 0
// are transparent.
struct Cursor {
  int systemShape = 0;
  Surface image;
  std::vector<uint8_t> mask;
  Point hotSpot;
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual std::string name() const = 0;
  // Blocks until at least one input has been fed to the screen; false when no input will ever come.
  virtual bool waitInput(Screen& screen) = 0;
  // Feeds whatever input is pending, without waiting.
  virtual void pollInput(Screen& screen) = 0;
  // Shows the composed screen.
  virtual void present(Screen& screen) = 0;
  // null hides the cursor.
  virtual void showCursor(const Cursor* cursor) = 0;
  virtual void beep(uint32_t kind) = 0;
  // The system clipboard where the backend has one; otherwise the window system keeps its own.
  virtual void setClipboard(const std::string&) {}
  virtual std::string clipboard(const std::string& own) { return own; }
  // The size of the display's area that is free for programs (without panels and docks); false when the
  // backend has no display to ask.
  virtual bool usableSize(int& width, int& height) {
    (void)width, (void)height;
    return false;
  }
};

// The backend KESTRELMOVE_VIDEO asks for ("headless" or "sdl"); without it SDL when a display is
// available, else headless.
std::unique_ptr<Backend> chooseBackend();

}  // namespace ws
