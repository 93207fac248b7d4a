#pragma once
// The backend with a real window: SDL2 shows the screen in a resizable window (scaled on high-density
// displays, the screen following the window's size) and turns SDL's mouse and keyboard events into the
// window system's input.
#include <memory>
#include <string>

#include "platform/screen/backend.h"

namespace ws {

class SdlBackend : public Backend {
 public:
  // Null when SDL cannot open its video system (lastError says why).
  static std::unique_ptr<SdlBackend> open();
  static std::string lastError();
  ~SdlBackend() override;

  std::string name() const override { return "sdl"; }
  bool waitInput(Screen& screen) override;
  void pollInput(Screen& screen) override;
  void present(Screen& screen) override;
  void showCursor(const Cursor* cursor) override;
  void beep(uint32_t kind) override;
  void setClipboard(const std::string& text) override;
  std::string clipboard(const std::string& own) override;
  bool usableSize(int& width, int& height) override;
  // Whether the real window is open: it opens with the first shown top-level window, not before.
  bool windowOpen() const { return window_ != nullptr; }

  // The virtual-key code of an SDL key code (0 when there is none).
  static int virtualKey(int sdlKey);

 private:
  SdlBackend() = default;
  void handle(Screen& screen, const void* event);
  void ensureWindow(Screen& screen);

  void* window_ = nullptr;    // SDL_Window
  void* renderer_ = nullptr;  // SDL_Renderer
  void* texture_ = nullptr;   // SDL_Texture
  void* cursor_ = nullptr;    // SDL_Cursor
  int textureW_ = 0, textureH_ = 0;
  uint32_t lastPresent_ = 0;
};

}  // namespace ws
