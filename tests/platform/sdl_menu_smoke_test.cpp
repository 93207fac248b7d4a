// The SDL backend end to end: a real window on an X display, its menu clicked with real pointer input
// that the X server delivers to SDL, and the program's own screenshot of the result. It runs only when a
// display is there and KESTRELMOVE_VIDEO=sdl asks for the SDL backend (scripts/test runs it that way
// under xvfb-run); everywhere else it skips and says why.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "platform/menu_bar.h"
#include "platform/messages.h"
#include "platform/platform_state.h"
#include "platform/screen/png_file.h"
#include "platform/screen/screen.h"
#include "platform/screen/sdl_backend.h"
#include "platform/screen/ui_style.h"
#include "platform/window.h"

namespace {

constexpr int kLoadShowCommand = 2004;
constexpr int kSaveShowCommand = 2005;

class SmokeWindow : public Window {
 public:
  int handleMessage(uint32_t message, ws::WParam wParam, ws::LParam) override {
    if (message == ws::WM_COMMAND) commands.push_back(int(ws::loWord(wParam)));
    return 1;
  }
  bool received(int command) const {
    for (int c : commands)
      if (c == command) return true;
    return false;
  }
  std::vector<int> commands;
};

SmokeWindow* liveSmoke = nullptr;
ws::LResult smokeProcedure(ws::WindowHandle h, uint32_t m, ws::WParam w, ws::LParam l) { return forwardMessage(liveSmoke, h, m, w, l); }

bool displayPresent() {
  const char* display = std::getenv("DISPLAY");
  return display && *display;
}

bool sdlAskedFor() {
  const char* video = std::getenv("KESTRELMOVE_VIDEO");
  return video && std::strcmp(video, "sdl") == 0;
}

bool xdotoolAvailable() { return std::system("command -v xdotool >/dev/null 2>&1") == 0; }

// The backend keeps its SDL window to itself; the process has only the one, so it is the shown one.
SDL_Window* shownSdlWindow() {
  for (Uint32 id = 1; id < 64; ++id)
    if (SDL_Window* w = SDL_GetWindowFromID(id); w && (SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN)) return w;
  return nullptr;
}

// Where a point of the window system's screen lies inside the SDL window: the renderer scales the
// screen to the window (and letterboxes it when the aspect differs).
ws::Point toSdlWindow(SDL_Window* window, ws::Point p) {
  int wx = p.x, wy = p.y;
  if (SDL_Renderer* r = SDL_GetRenderer(window)) SDL_RenderLogicalToWindow(r, float(p.x) + 0.5f, float(p.y) + 0.5f, &wx, &wy);
  return {wx, wy};
}

// Keeps the program's loop running: SDL's events become input, messages are dispatched, the screen is
// shown. Returns as soon as `done` holds, false when it still does not after timeoutMs.
bool pumpUntil(const std::function<bool()>& done, uint32_t timeoutMs) {
  const uint32_t start = SDL_GetTicks();
  for (;;) {
    WindowMessage m;
    while (peekMessage(m)) dispatch(m);
    ws::screen().backend().present(ws::screen());
    if (done()) return true;
    if (SDL_GetTicks() - start > timeoutMs) return false;
    SDL_Delay(10);
  }
}

void pushButton(SDL_Window* window, Uint32 type, ws::Point at) {
  SDL_Event e{};
  e.type = type;
  e.button.windowID = SDL_GetWindowID(window);
  e.button.button = SDL_BUTTON_LEFT;
  e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.button.clicks = 1;
  e.button.x = at.x;
  e.button.y = at.y;
  SDL_PushEvent(&e);
}

// A left click at a screen point: real X pointer input through xdotool, or SDL's own event queue where
// xdotool is missing.
bool clickAt(SDL_Window* window, ws::Point screenPoint, bool realInput) {
  const ws::Point local = toSdlWindow(window, screenPoint);
  if (!realInput) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = SDL_GetWindowID(window);
    e.motion.x = local.x;
    e.motion.y = local.y;
    SDL_PushEvent(&e);
    pushButton(window, SDL_MOUSEBUTTONDOWN, local);
    pushButton(window, SDL_MOUSEBUTTONUP, local);
    return true;
  }
  int left = 0, top = 0;
  SDL_GetWindowPosition(window, &left, &top);
  char command[128];
  std::snprintf(command, sizeof command, "xdotool mousemove --sync %d %d click 1", left + local.x, top + local.y);
  return std::system(command) == 0;
}

class SdlMenuSmoke : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!displayPresent()) GTEST_SKIP() << "no display: the SDL smoke test runs under xvfb-run (scripts/test does this)";
    if (!sdlAskedFor()) GTEST_SKIP() << "KESTRELMOVE_VIDEO is not \"sdl\": the SDL smoke test runs under xvfb-run (scripts/test does this)";
    // The screen comes up with the layer, from the backend KESTRELMOVE_VIDEO names.
    ws::stopScreen();
    setenv("KESTRELMOVE_CONFIG_DIR", ::testing::TempDir().c_str(), 1);
    platformInit(nullptr, "Kestrelmove", 101);
    started_ = true;
    liveSmoke = &window;
  }
  void TearDown() override {
    if (!started_) return;
    liveSmoke = nullptr;
    window.destroy();
    platformExit();
    ws::stopScreen();
  }
  SmokeWindow window;
  bool started_ = false;
};

}  // namespace

TEST_F(SdlMenuSmoke, MenuClickedOnTheDisplayReachesTheWindowAndShowsInTheScreenshot) {
  ws::Screen& s = ws::screen();
  ASSERT_EQ(s.backend().name(), "sdl") << "SDL could not open the display: " << ws::SdlBackend::lastError();

  ASSERT_TRUE(window.create(0, kWindowOverlapped, smokeProcedure));
  window.setTitle("Smoke test");
  MenuBar bar;
  bar.attachMenuBar(window);
  bar.addMenu("File", 0);
  bar.addItem(kLoadShowCommand, "Load Show/O", 0);
  bar.addItem(kSaveShowCommand, "Save Show/S", 0);
  window.move(20, 20, 320, 240, true);
  window.show(1);

  // The real window opens with the first shown top-level window, and only a mapped window gets input.
  SDL_Window* sdlWindow = nullptr;
  ASSERT_TRUE(pumpUntil([&] { return (sdlWindow = shownSdlWindow()) != nullptr; }, 5000)) << "the SDL window never opened: " << ws::SdlBackend::lastError();
  pumpUntil([] { return false; }, 300);

  const bool realInput = xdotoolAvailable();
  std::cout << (realInput ? "[ NOTE     ] clicking with xdotool: real pointer input through the X server\n"
                          : "[ NOTE     ] xdotool not found: clicking with SDL_PushEvent instead of real X input\n");

  const ws::Rect title = s.menuBarItemRect(window.handle(), 0);
  ASSERT_FALSE(title.empty());
  ASSERT_TRUE(clickAt(sdlWindow, {title.left + 4, title.top + 4}, realInput));
  ASSERT_TRUE(pumpUntil([&] { return s.menuOpen(); }, 5000)) << "the click on \"File\" never opened the menu";

  const ws::Rect item = s.menuPopupItemRect(0);
  ASSERT_FALSE(item.empty());
  ASSERT_TRUE(clickAt(sdlWindow, {item.left + 30, item.top + 4}, realInput));
  ASSERT_TRUE(pumpUntil([&] { return window.received(kLoadShowCommand); }, 5000)) << "Load Show's command never reached the window";
  EXPECT_FALSE(window.received(kSaveShowCommand));
  EXPECT_FALSE(s.menuOpen()) << "choosing an item closes the menu";

  const std::string path = ::testing::TempDir() + "sdl_menu_smoke.png";
  ASSERT_TRUE(s.saveScreenshot(path)) << path;
  std::cout << "[ NOTE     ] screenshot: " << path << "\n";
  ws::Surface shot;
  ASSERT_TRUE(ws::readPng(path, shot)) << path;
  ASSERT_EQ(shot.width(), s.width());
  ASSERT_EQ(shot.height(), s.height());

  const ws::Rect at = window.windowRect();
  const ws::FrameLayout frame = s.frameLayout(window.handle());
  ASSERT_FALSE(frame.menuBar.empty());
  ASSERT_FALSE(frame.caption.empty());
  // The bar's free end is bar colour; the caption right of its title is the active caption's colour.
  const int barY = at.top + (frame.menuBar.top + frame.menuBar.bottom) / 2;
  EXPECT_EQ(shot.pixel(at.left + frame.menuBar.right - 8, barY), ws::pixelOf(ws::style::face));
  const int captionY = at.top + (frame.caption.top + frame.caption.bottom) / 2;
  const int captionX = at.left + (frame.closeBox.empty() ? frame.caption.right : frame.closeBox.left) - 6;
  EXPECT_EQ(shot.pixel(captionX, captionY), ws::pixelOf(ws::style::activeCaption));
  // "File" is written on the bar in dark text (smoothed edges, so dark rather than exactly black), and
  // no longer on the highlight now that its menu is closed.
  int letterPixels = 0, highlighted = 0;
  for (int y = title.top; y < title.bottom; ++y)
    for (int x = title.left; x < title.right; ++x) {
      const uint32_t p = shot.pixel(x, y);
      letterPixels += ((p >> 16) & 255) < 96 && ((p >> 8) & 255) < 96 && (p & 255) < 96;
      highlighted += p == ws::pixelOf(ws::style::highlight);
    }
  EXPECT_GT(letterPixels, 10) << "no \"File\" on the menu bar";
  EXPECT_EQ(highlighted, 0);
}
