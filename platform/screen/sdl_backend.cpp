#include "platform/screen/sdl_backend.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/screen/screen.h"

namespace ws {

namespace {
std::string& errorText() {
  static std::string e;
  return e;
}

// SDL falls back to drivers that draw into memory when it reaches no display. A window there is
// invisible, so they count as no display unless the user names them in SDL_VIDEODRIVER.
bool drawsNowhere(const char* driver) {
  return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool driverAskedFor(const char* driver) {
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  return driver && asked && std::strstr(asked, driver) != nullptr;
}
}  // namespace

std::unique_ptr<SdlBackend> SdlBackend::open() {
  // An X server refuses a connection now and then while it is busy with others; a few tries a moment
  // apart keep such a refusal from leaving the user without a window.
  constexpr int kTries = 5;
  for (int attempt = 1;; ++attempt) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0) {
      const char* driver = SDL_GetCurrentVideoDriver();
      if (!drawsNowhere(driver) || driverAskedFor(driver)) return std::unique_ptr<SdlBackend>(new SdlBackend());
      errorText() = std::string("SDL reached no display and offered only its \"") + driver + "\" driver";
      SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    } else {
      errorText() = SDL_GetError();
    }
    if (attempt == kTries) return nullptr;
    SDL_Delay(20 * attempt);
  }
}

std::string SdlBackend::lastError() { return errorText(); }

SdlBackend::~SdlBackend() {
  if (cursor_) SDL_FreeCursor(static_cast<SDL_Cursor*>(cursor_));
  if (texture_) SDL_DestroyTexture(static_cast<SDL_Texture*>(texture_));
  if (renderer_) SDL_DestroyRenderer(static_cast<SDL_Renderer*>(renderer_));
  if (window_) SDL_DestroyWindow(static_cast<SDL_Window*>(window_));
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

bool SdlBackend::usableSize(int& width, int& height) {
  SDL_Rect r{};
  if (SDL_GetNumVideoDisplays() < 1 || SDL_GetDisplayUsableBounds(0, &r) != 0 || r.w <= 0 || r.h <= 0) return false;
  width = r.w, height = r.h;
  return true;
}

void SdlBackend::ensureWindow(Screen& screen) {
  // A program that starts the window layer but never shows a window (a command-line render) must not
  // put an empty window on the desktop.
  if (window_ || !screen.hasVisibleTopLevel()) return;
  SDL_Window* w = SDL_CreateWindow("Kestrelmove", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, screen.width(), screen.height(),
                                   SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
  if (!w) {
    errorText() = SDL_GetError();
    return;
  }
  SDL_Renderer* r = SDL_CreateRenderer(w, -1, 0);
  if (!r) {
    errorText() = SDL_GetError();
    SDL_DestroyWindow(w);
    return;
  }
  window_ = w;
  renderer_ = r;
  // The renderer scales the screen to the drawable's pixels and maps the mouse back to screen points.
  SDL_RenderSetLogicalSize(r, screen.width(), screen.height());
}

void SdlBackend::present(Screen& screen) {
  ensureWindow(screen);
  if (!renderer_) return;
  const uint32_t now = SDL_GetTicks();
  if (now - lastPresent_ < 10) return;
  lastPresent_ = now;
  const Surface& fb = screen.compose();
  auto* r = static_cast<SDL_Renderer*>(renderer_);
  if (!texture_ || textureW_ != fb.width() || textureH_ != fb.height()) {
    if (texture_) SDL_DestroyTexture(static_cast<SDL_Texture*>(texture_));
    texture_ = SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, fb.width(), fb.height());
    textureW_ = fb.width(), textureH_ = fb.height();
    SDL_RenderSetLogicalSize(r, fb.width(), fb.height());
  }
  if (!texture_) return;
  SDL_UpdateTexture(static_cast<SDL_Texture*>(texture_), nullptr, fb.data().data(), fb.width() * 4);
  SDL_RenderClear(r);
  SDL_RenderCopy(r, static_cast<SDL_Texture*>(texture_), nullptr, nullptr);
  SDL_RenderPresent(r);
}

bool SdlBackend::waitInput(Screen& screen) {
  ensureWindow(screen);
  SDL_Event e;
  if (SDL_WaitEventTimeout(&e, 30)) {
    handle(screen, &e);
    pollInput(screen);
  }
  return true;
}

void SdlBackend::pollInput(Screen& screen) {
  SDL_Event e;
  while (SDL_PollEvent(&e)) handle(screen, &e);
}

int SdlBackend::virtualKey(int k) {
  if (k >= SDLK_a && k <= SDLK_z) return 'A' + (k - SDLK_a);
  if (k >= SDLK_0 && k <= SDLK_9) return '0' + (k - SDLK_0);
  if (k >= SDLK_F1 && k <= SDLK_F12) return VK_F1 + (k - SDLK_F1);
  if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return VK_NUMPAD0 + 1 + (k - SDLK_KP_1);
  switch (k) {
    case SDLK_KP_0: return VK_NUMPAD0;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_PERIOD: return VK_DECIMAL;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    case SDLK_SEMICOLON: return VK_OEM_1;
    case SDLK_EQUALS: return VK_OEM_PLUS;
    case SDLK_COMMA: return VK_OEM_COMMA;
    case SDLK_MINUS: return VK_OEM_MINUS;
    case SDLK_PERIOD: return VK_OEM_PERIOD;
    case SDLK_SLASH: return VK_OEM_2;
    case SDLK_BACKQUOTE: return VK_OEM_3;
    case SDLK_LEFTBRACKET: return VK_OEM_4;
    case SDLK_BACKSLASH: return VK_OEM_5;
    case SDLK_RIGHTBRACKET: return VK_OEM_6;
    case SDLK_QUOTE: return VK_OEM_7;
  }
  return 0;
}

void SdlBackend::handle(Screen& screen, const void* event) {
  const SDL_Event& e = *static_cast<const SDL_Event*>(event);
  switch (e.type) {
    case SDL_QUIT:
      // Closing the window closes the program's active window, as its close box would.
      if (screen.activeWindow()) screen.postMessage(screen.activeWindow(), WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED && e.window.data1 >= 320 && e.window.data2 >= 200) {
        screen.resizeScreen(e.window.data1, e.window.data2);
        lastPresent_ = 0;
      }
      if (e.window.event == SDL_WINDOWEVENT_EXPOSED) lastPresent_ = 0;
      break;
    case SDL_MOUSEMOTION: screen.mouseMove(e.motion.x, e.motion.y); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const int b = e.button.button == SDL_BUTTON_LEFT ? 0 : e.button.button == SDL_BUTTON_RIGHT ? 1 : e.button.button == SDL_BUTTON_MIDDLE ? 2 : -1;
      if (b < 0) break;
      const bool down = e.type == SDL_MOUSEBUTTONDOWN;
      screen.mouseButton(b, down, e.button.x, e.button.y);
      break;
    }
    case SDL_MOUSEWHEEL: {
      const Point p = screen.mousePosition();
      screen.mouseWheel(e.wheel.y * WHEEL_DELTA, p.x, p.y);
      break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const int vk = virtualKey(e.key.keysym.sym);
      if (!vk) break;
      if (e.type == SDL_KEYDOWN) screen.keyDown(vk);
      else screen.keyUp(vk);
      break;
    }
  }
}

void SdlBackend::showCursor(const Cursor* cursor) {
  SDL_Cursor* made = nullptr;
  if (cursor && cursor->systemShape) {
    SDL_SystemCursor id = SDL_SYSTEM_CURSOR_ARROW;
    switch (cursor->systemShape) {
      case IDC_IBEAM: id = SDL_SYSTEM_CURSOR_IBEAM; break;
      case IDC_WAIT: id = SDL_SYSTEM_CURSOR_WAIT; break;
      case IDC_CROSS: id = SDL_SYSTEM_CURSOR_CROSSHAIR; break;
      case IDC_SIZENWSE: id = SDL_SYSTEM_CURSOR_SIZENWSE; break;
      case IDC_SIZENESW: id = SDL_SYSTEM_CURSOR_SIZENESW; break;
      case IDC_SIZEWE: id = SDL_SYSTEM_CURSOR_SIZEWE; break;
      case IDC_SIZENS: id = SDL_SYSTEM_CURSOR_SIZENS; break;
      case IDC_SIZEALL: id = SDL_SYSTEM_CURSOR_SIZEALL; break;
      case IDC_NO: id = SDL_SYSTEM_CURSOR_NO; break;
      case IDC_HAND: id = SDL_SYSTEM_CURSOR_HAND; break;
      default: id = SDL_SYSTEM_CURSOR_ARROW; break;  // the up arrow has no SDL shape
    }
    made = SDL_CreateSystemCursor(id);
  } else if (cursor && cursor->image.width() > 0) {
    const Surface& img = cursor->image;
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, img.width(), img.height(), 32, SDL_PIXELFORMAT_ARGB8888);
    if (s) {
      for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < img.width(); ++x) {
          const size_t i = size_t(y) * size_t(img.width()) + size_t(x);
          const bool opaque = i < cursor->mask.size() && cursor->mask[i];
          row[x] = (opaque ? 0xFF000000u : 0u) | img.pixel(x, y);
        }
      }
      made = SDL_CreateColorCursor(s, cursor->hotSpot.x, cursor->hotSpot.y);
      SDL_FreeSurface(s);
    }
  }
  if (made) {
    SDL_SetCursor(made);
    SDL_ShowCursor(SDL_ENABLE);
  } else {
    SDL_ShowCursor(SDL_DISABLE);
  }
  if (cursor_) SDL_FreeCursor(static_cast<SDL_Cursor*>(cursor_));
  cursor_ = made;
}

void SdlBackend::beep(uint32_t) {
  // SDL has no system sound; the terminal's bell is the nearest thing.
  std::fputc('\a', stderr);
  std::fflush(stderr);
}

void SdlBackend::setClipboard(const std::string& text) { SDL_SetClipboardText(text.c_str()); }

std::string SdlBackend::clipboard(const std::string& own) {
  if (!SDL_HasClipboardText()) return own;
  char* t = SDL_GetClipboardText();
  std::string s = t ? t : own;
  SDL_free(t);
  return s;
}

}  // namespace ws
