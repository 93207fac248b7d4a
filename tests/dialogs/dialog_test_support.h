#pragma once
// A fresh headless screen and window layer per test, and a plain window for the panels to be drawn
// on. The window sits away from the screen's corner, so that client and screen positions differ.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "platform/drawing.h"
#include "platform/messages.h"
#include "platform/platform_state.h"
#include "platform/screen/headless_backend.h"
#include "platform/screen/screen.h"
#include "platform/window.h"

namespace dialogtest {

class PanelWindow : public Window {};

inline PanelWindow*& livePanel() {
  static PanelWindow* live = nullptr;
  return live;
}
inline ws::LResult panelProcedure(ws::WindowHandle h, uint32_t m, ws::WParam w, ws::LParam l) {
  return forwardMessage(livePanel(), h, m, w, l);
}

constexpr ws::ColourRef kPanelGrey = ws::rgb(192, 192, 192);

class PanelTest : public ::testing::Test {
 protected:
  static constexpr int kLeft = 40, kTop = 30;

  void SetUp() override {
    folder = std::filesystem::path(::testing::TempDir()) /
             ("km-dialogs-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    setenv("KESTRELMOVE_CONFIG_DIR", folder.c_str(), 1);
    ws::startScreen(std::make_unique<ws::HeadlessBackend>(), 1024, 768);
    platformInit(nullptr, "Kestrelmove", 101);
    livePanel() = &window;
    ASSERT_TRUE(window.create(0, kWindowPopup, panelProcedure));
    window.move(kLeft, kTop, kLeft + 900, kTop + 700, false);
    window.show(1);
    pump();
  }
  void TearDown() override {
    livePanel() = nullptr;
    window.destroy();
    platformExit();
    ws::stopScreen();
    std::filesystem::remove_all(folder);
  }

  static ws::Screen& s() { return ws::screen(); }
  static void pump() {
    WindowMessage m;
    while (peekMessage(m)) dispatch(m);
  }
  ws::WindowHandle handle() const { return window.handle(); }
  ws::Point onScreen(int clientX, int clientY) const { return s().clientToScreen(window.handle(), {clientX, clientY}); }
  void click(int clientX, int clientY) const {
    const ws::Point p = onScreen(clientX, clientY);
    s().click(p.x, p.y);
  }
  void press(int clientX, int clientY) const {
    const ws::Point p = onScreen(clientX, clientY);
    s().mouseMove(p.x, p.y);
    s().mouseButton(0, true, p.x, p.y);
  }
  void moveTo(int clientX, int clientY) const {
    const ws::Point p = onScreen(clientX, clientY);
    s().mouseMove(p.x, p.y);
  }
  void release(int clientX, int clientY) const {
    const ws::Point p = onScreen(clientX, clientY);
    s().mouseButton(0, false, p.x, p.y);
  }
  // The screen's pixel at a client position, as a colour reference.
  ws::ColourRef pixel(int clientX, int clientY) const {
    const ws::Point p = onScreen(clientX, clientY);
    const uint32_t v = s().pixelAt(p.x, p.y);
    return ws::rgb((v >> 16) & 255, (v >> 8) & 255, v & 255);
  }
  // Width of the widest text in a font of the window layer, measured on the window.
  int widest(std::initializer_list<const char*> texts, int fontHeight = 10) const {
    DrawingScope scope(window.handle());
    selectFont(standardFont(fontHeight), 0xFFFFFFFFu, -1);
    int e = 0;
    for (const char* t : texts) e = std::max(e, textWidth(t));
    return e;
  }
  // A screenshot kept beside the tests' temporary files for looking at.
  static std::string screenshot(const std::string& name) {
    const std::string path = (std::filesystem::path(::testing::TempDir()) / ("km-" + name + ".png")).string();
    s().saveScreenshot(path);
    return path;
  }

  PanelWindow window;
  std::filesystem::path folder;
};

}  // namespace dialogtest
