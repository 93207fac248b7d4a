#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/screen/screen.h"
#include "platform/screen/sdl_backend.h"
#include "tests/scoped_env.h"

using namespace ws;

TEST(SdlKeys, SdlKeysMapToVirtualKeys) {
  EXPECT_EQ(SdlBackend::virtualKey(SDLK_a), 'A');
  EXPECT_EQ(SdlBackend::virtualKey(SDLK_7), '7');
  EXPECT_EQ(SdlBackend::virtualKey(SDLK_RETURN), VK_RETURN);
  EXPECT_EQ(SdlBackend::virtualKey(SDLK_KP_0), VK_NUMPAD0);
  EXPECT_EQ(SdlBackend::virtualKey(SDLK_KP_4), VK_NUMPAD0 + 4);
  EXPECT_EQ(SdlBackend::virtualKey(SDLK_COMMA), VK_OEM_COMMA);
  EXPECT_EQ(SdlBackend::virtualKey(SDLK_PAGEDOWN), VK_NEXT);
  EXPECT_EQ(SdlBackend::virtualKey(SDLK_LCTRL), VK_CONTROL);
  EXPECT_EQ(SdlBackend::virtualKey(SDLK_F13), 0);
}

// Where SDL reaches no display it offers a driver that draws into memory; a window there would be
// invisible, so the backend reports no display and the program runs without a window instead.
TEST(SdlBackendWithoutDisplay, RefusesTheDriversThatDrawNowhere) {
  ScopedEnv display("DISPLAY", ":4242"), wayland("WAYLAND_DISPLAY", nullptr), driver("SDL_VIDEODRIVER", nullptr);
  EXPECT_EQ(SdlBackend::open(), nullptr);
  EXPECT_NE(SdlBackend::lastError().find("no display"), std::string::npos) << SdlBackend::lastError();
  // Named by the user, the memory driver is what was asked for.
  ScopedEnv offscreen("SDL_VIDEODRIVER", "offscreen");
  auto opened = SdlBackend::open();
  ASSERT_NE(opened, nullptr) << SdlBackend::lastError();
  int w = 0, h = 0;
  EXPECT_TRUE(opened->usableSize(w, h));
  EXPECT_GT(w, 0);
}

namespace {
std::vector<uint32_t> seen;
LResult recorder(WindowHandle h, uint32_t m, WParam w, LParam l) {
  seen.push_back(m);
  return screen().defWindowProc(h, m, w, l);
}
}  // namespace

// Runs where a display is available (CI runs it under xvfb-run): SDL's events become the screen's input.
TEST(SdlBackendOnDisplay, ShowsTheScreenAndTranslatesInput) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "no display";
  auto backend = SdlBackend::open();
  ASSERT_TRUE(backend) << SdlBackend::lastError();
  Screen& s = startScreen(std::move(backend), 640, 480);
  s.registerClass(WindowClass{"Seen", 0, recorder});
  const WindowHandle w = s.createWindow("Seen", "", WS_POPUP, 0, 0, 640, 480, 0);
  s.showWindow(w, SW_SHOW);
  s.backend().present(s);
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.sym = SDLK_q;
  SDL_PushEvent(&e);
  e = SDL_Event{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.button = SDL_BUTTON_LEFT;
  e.button.x = 100;
  e.button.y = 50;
  SDL_PushEvent(&e);
  s.backend().pollInput(s);
  Message m;
  while (s.peekMessage(m)) s.dispatchMessage(m);
  EXPECT_NE(std::find(seen.begin(), seen.end(), WM_KEYDOWN), seen.end());
  EXPECT_NE(std::find(seen.begin(), seen.end(), WM_LBUTTONDOWN), seen.end());
  stopScreen();
}

// A program that starts the window layer without showing anything (a command-line render) puts no
// window on the desktop; the first shown top-level window opens it.
TEST(SdlBackendOnDisplay, OpensItsWindowOnlyForAShownTopLevelWindow) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "no display";
  auto opened = SdlBackend::open();
  ASSERT_TRUE(opened) << SdlBackend::lastError();
  SdlBackend* backend = opened.get();
  Screen& s = startScreen(std::move(opened), 640, 480);
  s.registerClass(WindowClass{"Quiet", 0, recorder});
  Message m;
  while (s.peekMessage(m)) s.dispatchMessage(m);
  s.backend().present(s);
  EXPECT_FALSE(backend->windowOpen());
  const WindowHandle w = s.createWindow("Quiet", "", WS_POPUP, 0, 0, 200, 100, 0);
  s.backend().present(s);
  EXPECT_FALSE(backend->windowOpen()) << "a hidden window needs no real window";
  s.showWindow(w, SW_SHOW);
  while (s.peekMessage(m)) s.dispatchMessage(m);
  s.backend().present(s);
  EXPECT_TRUE(backend->windowOpen());
  stopScreen();
}

// Without a size asked for, the process's screen takes the display's usable area.
TEST(SdlBackendOnDisplay, ScreenTakesTheDisplaysUsableArea) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "no display";
  auto probe = SdlBackend::open();
  ASSERT_TRUE(probe) << SdlBackend::lastError();
  int w = 0, h = 0;
  ASSERT_TRUE(probe->usableSize(w, h));
  probe.reset();
  ::setenv("KESTRELMOVE_VIDEO", "sdl", 1);
  ::unsetenv("KESTRELMOVE_SCREEN_SIZE");
  stopScreen();
  Screen& s = screen();
  ASSERT_EQ(s.backend().name(), "sdl");
  EXPECT_EQ(s.workArea().right, std::clamp(w, 320, 8192) == w ? w : 1280);
  EXPECT_EQ(s.workArea().bottom, std::clamp(h, 200, 8192) == h ? h : 800);
  EXPECT_FALSE(static_cast<SdlBackend&>(s.backend()).windowOpen());
  stopScreen();
}
