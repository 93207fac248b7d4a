#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/edit_field.h"
#include "platform/menu_bar.h"
#include "platform/messages.h"
#include "platform/platform_state.h"
#include "platform/resource_store.h"
#include "platform/screen/icon_file.h"
#include "platform/screen/headless_backend.h"
#include "platform/screen/screen.h"
#include "platform/window.h"

namespace {

struct Recorded {
  uint32_t message;
  ws::WParam wParam;
};

class TestWindow : public Window {
 public:
  int handleMessage(uint32_t message, ws::WParam wParam, ws::LParam lParam) override {
    log.push_back({message, wParam});
    if (message == ws::WM_VSCROLL || message == ws::WM_HSCROLL) handleScroll(message, wParam, 60);
    (void)lParam;
    return 1;
  }
  std::vector<Recorded> log;
  std::vector<uint32_t> commands() const {
    std::vector<uint32_t> out;
    for (const Recorded& r : log)
      if (r.message == ws::WM_COMMAND) out.push_back(uint32_t(ws::loWord(r.wParam)));
    return out;
  }
};

TestWindow* liveTest = nullptr;
ws::LResult testProcedure(ws::WindowHandle h, uint32_t m, ws::WParam w, ws::LParam l) { return forwardMessage(liveTest, h, m, w, l); }

class WindowLayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ws::startScreen(std::make_unique<ws::HeadlessBackend>(), 1024, 768);
    setenv("KESTRELMOVE_CONFIG_DIR", ::testing::TempDir().c_str(), 1);
    platformInit(nullptr, "Kestrelmove", 101);
    liveTest = &window;
  }
  void TearDown() override {
    liveTest = nullptr;
    window.destroy();
    platformExit();
    ws::stopScreen();
  }
  static void pump() {
    WindowMessage m;
    while (peekMessage(m)) dispatch(m);
  }
  // A shown 300 x 300 client with both bars, ranges 0..4096, a page of 300 and a manual clock.
  ws::Screen& showScrolledWindowOnManualClock() {
    ws::Screen& s = ws::screen();
    s.useManualClock(true);
    EXPECT_TRUE(window.create(0, kWindowPopup | kWindowVScroll | kWindowHScroll, testProcedure));
    window.move(0, 0, 317, 317, false);
    window.setScrollRanges(4096, 4096, 300, 0, false);
    window.show(1);
    pump();
    return s;
  }
  TestWindow window;
};

}  // namespace

TEST(WindowStyles, FlagsMapToTheirStyles) {
  EXPECT_EQ(windowStyleFor(kWindowResizable), 0xCD0000u);
  EXPECT_EQ(windowStyleFor(kWindowOverlapped), ws::WS_OVERLAPPEDWINDOW);
  EXPECT_EQ(windowStyleFor(kWindowPopup | kWindowBorder | kWindowHScroll | kWindowVScroll),
            ws::WS_POPUP | ws::WS_BORDER | ws::WS_HSCROLL | ws::WS_VSCROLL);
  EXPECT_EQ(windowStyleFor(kWindowUnlisted), 0x22u);
}

TEST(MenuText, SlashGivesTheCtrlAccelerator) {
  EXPECT_EQ(menuItemText("Load Show/O"), "Load Show\tCtrl+O");
  EXPECT_EQ(menuItemText("Quit - DON'T Apply changes"), "Quit - DON'T Apply changes");
  EXPECT_EQ(menuItemText("Enlarge Timeline/>"), "Enlarge Timeline\tCtrl+>");
}

TEST(Accelerators, KeyCodesBecomeTheirLetters) {
  const int in[] = {1, 3, 5, 11, 12, 14, 15, 17, 19, 20, 22, 24, 25, 26, 188, 190, 192};
  const char out[] = "acekl" "noqst" "vxyz" "><~";
  for (size_t i = 0; i < sizeof in / sizeof in[0]; ++i) {
    int code = in[i];
    EXPECT_TRUE(keyToCharacter(code));
    EXPECT_EQ(code, out[i]);
  }
  int other = 2;
  EXPECT_FALSE(keyToCharacter(other));
  EXPECT_EQ(other, 2);
}

TEST_F(WindowLayerTest, CreateListsTheWindowUnlessUnlistedAndDestroyRemovesIt) {
  ASSERT_TRUE(window.create(0, kWindowResizable, testProcedure));
  EXPECT_EQ(std::string(window.className()).rfind("Win", 0), 0u);
  TestWindow second, third, unlisted;
  ASSERT_TRUE(second.create(window.handle(), kWindowPopup | kWindowBorder, testProcedure));
  ASSERT_TRUE(third.create(window.handle(), kWindowPopup, testProcedure));
  ASSERT_TRUE(unlisted.create(window.handle(), kWindowPopup | kWindowUnlisted, testProcedure));
  EXPECT_EQ(ownWindows(), (std::vector<ws::WindowHandle>{window.handle(), second.handle(), third.handle()}));
  EXPECT_FALSE(isOwnWindow(unlisted.handle()));
  second.destroy();
  EXPECT_EQ(ownWindows(), (std::vector<ws::WindowHandle>{window.handle(), third.handle()}));
  EXPECT_EQ(second.handle(), 0u);
  third.destroy();
  unlisted.destroy();
}

TEST_F(WindowLayerTest, ModalLoopFilteringSeesOnlyOwnWindows) {
  // A window of the host: not created through the layer, so not in the list.
  ws::screen().registerClass(ws::WindowClass{"HostWindow", 0, [](ws::WindowHandle h, uint32_t m, ws::WParam w, ws::LParam l) {
                                                return ws::screen().defWindowProc(h, m, w, l);
                                              }});
  const ws::WindowHandle host = ws::screen().createWindow("HostWindow", "", ws::WS_POPUP, 0, 0, 50, 50, 0);
  ASSERT_TRUE(window.create(host, kWindowResizable, testProcedure));
  EditField edit;
  ASSERT_TRUE(edit.createEdit(window.handle(), 5, 5, 100, 20, 1003, standardFont(10)));
  postMessage(host, ws::WM_USER + 1, 0, 0);
  postMessage(window.handle(), ws::WM_USER + 2, 0, 0);
  postMessage(edit.handle(), ws::WM_USER + 3, 0, 0);
  postQuitMessage(0);
  std::vector<std::pair<ws::WindowHandle, uint32_t>> kept;
  WindowMessage m;
  while (getMessage(m))
    if (isOwnWindow(m.window) && m.message >= ws::WM_USER) kept.push_back({m.window, m.message});
  EXPECT_EQ(kept, (std::vector<std::pair<ws::WindowHandle, uint32_t>>{{window.handle(), ws::WM_USER + 2}, {edit.handle(), ws::WM_USER + 3}}));
  EXPECT_EQ(int(m.wParam), 0);
  edit.destroy();
  EXPECT_FALSE(isOwnWindow(edit.handle()));
}

TEST_F(WindowLayerTest, MoveShowAndMetrics) {
  ASSERT_TRUE(window.create(0, kWindowResizable, testProcedure));
  window.move(10, 20, 650, 500, false);
  EXPECT_EQ(window.windowRect(), (ws::Rect{10, 20, 650, 500}));
  window.show(3);
  EXPECT_FALSE(ws::screen().window(window.handle())->visible);
  window.show(1);
  EXPECT_TRUE(ws::screen().window(window.handle())->visible);
  window.show(2);
  EXPECT_EQ(window.windowRect(), (ws::Rect{0, 0, 1024, 768}));
  window.show(0);
  EXPECT_FALSE(ws::screen().window(window.handle())->visible);
  EXPECT_EQ(Window::captionHeight(), ws::screen().systemMetric(ws::SM_CYCAPTION));
  EXPECT_GT(Window::menuBarHeight(), 0);
  Window none;
  none.move(0, 0, 10, 10, true);  // no handle: nothing happens
  none.show(1);
  EXPECT_EQ(none.clientRect(), ws::Rect{});
}

TEST_F(WindowLayerTest, HandleScrollMovesByLineStepPageAndThumb) {
  ASSERT_TRUE(window.create(0, kWindowPopup | kWindowVScroll | kWindowHScroll, testProcedure));
  window.move(0, 0, 317, 317, false);  // a client area of 300 x 300 beside the bars
  ASSERT_EQ(window.clientRect().height(), 300);
  window.setScrollRanges(4096, 4096, 300, 0, false);
  window.handleScroll(ws::WM_VSCROLL, ws::SB_PAGEDOWN, 0);
  EXPECT_EQ(window.scrollPosition(ws::SB_VERT), 300);
  window.handleScroll(ws::WM_VSCROLL, ws::SB_LINEDOWN, 60);
  EXPECT_EQ(window.scrollPosition(ws::SB_VERT), 360);
  window.handleScroll(ws::WM_VSCROLL, ws::SB_LINEUP, 500);
  EXPECT_EQ(window.scrollPosition(ws::SB_VERT), 0);
  window.handleScroll(ws::WM_HSCROLL, ws::SB_PAGEDOWN, 0);
  EXPECT_EQ(window.scrollPosition(ws::SB_HORZ), 300);
  window.setScrollRanges(4096, 4096, 300, 0, false);  // both back to 0
  EXPECT_EQ(window.scrollPosition(ws::SB_HORZ), 0);
  // A click on the vertical bar's down arrow reaches the window, whose handler scrolls by its step.
  window.show(1);
  pump();
  const ws::Rect wr = window.windowRect();
  ws::screen().click(wr.right - 5, wr.bottom - 17 - 5);
  pump();
  EXPECT_EQ(window.scrollPosition(ws::SB_VERT), 60);
}

TEST_F(WindowLayerTest, HoldingAScrollArrowRepeatsItsStepWhileThePointerStaysOnIt) {
  ws::Screen& s = showScrolledWindowOnManualClock();
  ASSERT_FALSE(HasFailure());
  const ws::Rect wr = window.windowRect();
  const int x = wr.right - 5, y = wr.bottom - 17 - 5;  // the vertical bar's down arrow
  s.mouseMove(x, y);
  s.mouseButton(0, true, x, y);
  pump();
  EXPECT_EQ(window.scrollPosition(ws::SB_VERT), 60);
  s.advanceClock(349999);
  pump();
  EXPECT_EQ(window.scrollPosition(ws::SB_VERT), 60);  // not before the first delay
  s.advanceClock(1);
  pump();
  EXPECT_EQ(window.scrollPosition(ws::SB_VERT), 120);
  s.advanceClock(49999);
  pump();
  EXPECT_EQ(window.scrollPosition(ws::SB_VERT), 120);
  s.advanceClock(1);
  pump();
  EXPECT_EQ(window.scrollPosition(ws::SB_VERT), 180);
  s.mouseMove(x, y - 40);  // off the arrow: held, but no steps
  s.advanceClock(50000);
  pump();
  EXPECT_EQ(window.scrollPosition(ws::SB_VERT), 180);
  s.mouseMove(x, y);
  s.advanceClock(50000);
  pump();
  EXPECT_EQ(window.scrollPosition(ws::SB_VERT), 240);
  s.mouseButton(0, false, x, y);
  pump();
  s.advanceClock(500000);
  pump();
  EXPECT_EQ(window.scrollPosition(ws::SB_VERT), 240);
}

TEST_F(WindowLayerTest, HoldingTheTrackPagesUntilTheThumbReachesThePointer) {
  ws::Screen& s = showScrolledWindowOnManualClock();
  ASSERT_FALSE(HasFailure());
  // The track runs from 17 to 283 with a 17-pixel thumb; its top is at 17 + pos * 249 / 4096.
  const int x = window.windowRect().right - 5, y = 100;
  s.mouseMove(x, y);
  s.mouseButton(0, true, x, y);
  pump();
  EXPECT_EQ(window.scrollPosition(ws::SB_VERT), 300);  // thumb 35..52
  s.advanceClock(350000);
  pump();
  EXPECT_EQ(window.scrollPosition(ws::SB_VERT), 600);  // 53..70
  s.advanceClock(50000);
  pump();
  EXPECT_EQ(window.scrollPosition(ws::SB_VERT), 900);  // 71..88
  s.advanceClock(50000);
  pump();
  EXPECT_EQ(window.scrollPosition(ws::SB_VERT), 1200);  // 89..106: now under the pointer
  s.advanceClock(50000);
  pump();
  EXPECT_EQ(window.scrollPosition(ws::SB_VERT), 1200);
  s.mouseButton(0, false, x, y);
  pump();
}

TEST_F(WindowLayerTest, ARangeWithNothingToScrollHidesItsBar) {
  ASSERT_TRUE(window.create(0, kWindowPopup | kWindowVScroll | kWindowHScroll, testProcedure));
  window.move(0, 0, 317, 317, false);
  ASSERT_EQ(window.clientRect(), (ws::Rect{0, 0, 300, 300}));
  // Vertically 0..200 with a page of 300: everything fits, the bar goes and the client grows into it.
  window.setScrollRanges(4096, 200, 300, 300, false);
  EXPECT_EQ(window.clientRect(), (ws::Rect{0, 0, 317, 300}));
  // A range that needs scrolling again brings it back.
  window.setScrollRanges(4096, 4096, 300, 0, false);
  EXPECT_EQ(window.clientRect(), (ws::Rect{0, 0, 300, 300}));
  // Empty ranges hide both.
  window.setScrollRanges(0, 0, 0, 0, false);
  EXPECT_EQ(window.clientRect(), (ws::Rect{0, 0, 317, 317}));
  // The window may still ask for its bars, and setting the same ranges again leaves them.
  window.showScrollBars(true, true);
  EXPECT_EQ(window.clientRect(), (ws::Rect{0, 0, 300, 300}));
  window.setScrollRanges(0, 0, 0, 0, false);
  EXPECT_EQ(window.clientRect(), (ws::Rect{0, 0, 300, 300}));
  window.showScrollBars(false, true);
  EXPECT_EQ(window.clientRect(), (ws::Rect{0, 0, 300, 317}));
}

TEST_F(WindowLayerTest, MenuBarItemsCommandsAndStates) {
  ASSERT_TRUE(window.create(0, kWindowResizable, testProcedure));
  window.move(0, 0, 640, 480, false);
  MenuBar bar;
  bar.attachMenuBar(window);
  bar.addMenu("File", 0);
  bar.addItem(2004, "Load Show/O", 0);
  bar.addItem(-1, "", 0);
  bar.addItem(2003, "Save Show/S", 2);
  bar.addMenu("Options", 0);
  bar.addItem(1001, "Auto-Add Keys", 1);
  bar.addMenu("Help", 4);
  ws::Screen& s = ws::screen();
  char text[64];
  s.getMenuString(bar.menuBar(), 2004, text, sizeof text, ws::MF_BYCOMMAND);
  EXPECT_STREQ(text, "Load Show\tCtrl+O");
  EXPECT_TRUE(s.findMenuItem(bar.menuBar(), 2003, 0)->flags & ws::MF_GRAYED);
  EXPECT_TRUE(s.findMenuItem(bar.menuBar(), 1001, 0)->flags & ws::MF_CHECKED);
  bar.setItemState(2003, 0);
  EXPECT_FALSE(s.findMenuItem(bar.menuBar(), 2003, 0)->flags & ws::MF_GRAYED);
  bar.setItemState(2003, 4);
  EXPECT_TRUE(s.findMenuItem(bar.menuBar(), 2003, 0)->flags & ws::MF_DISABLED);
  s.getMenuString(bar.menuBar(), 2003, text, sizeof text, ws::MF_BYCOMMAND);
  EXPECT_STREQ(text, "Save Show\tCtrl+S");  // the text survives the state change
  bar.checkItem(1001, false);
  EXPECT_FALSE(s.findMenuItem(bar.menuBar(), 1001, 0)->flags & ws::MF_CHECKED);
  bar.checkItem(1001, true);
  EXPECT_TRUE(s.findMenuItem(bar.menuBar(), 1001, 0)->flags & ws::MF_CHECKED);
  s.getMenuString(bar.menuBar(), 1001, text, sizeof text, ws::MF_BYCOMMAND);
  EXPECT_STREQ(text, "Auto-Add Keys");
  // setItemState: bit 0 checks, bit 1 greys; checking a greyed item does not make it available.
  bar.setItemState(2003, 3);
  EXPECT_TRUE(s.findMenuItem(bar.menuBar(), 2003, 0)->flags & ws::MF_CHECKED);
  EXPECT_TRUE(s.findMenuItem(bar.menuBar(), 2003, 0)->flags & ws::MF_GRAYED);
  EXPECT_FALSE(s.findMenuItem(bar.menuBar(), 2003, 0)->flags & ws::MF_DISABLED);
  bar.checkItem(2003, false);
  EXPECT_FALSE(s.findMenuItem(bar.menuBar(), 2003, 0)->flags & ws::MF_CHECKED);
  EXPECT_TRUE(s.findMenuItem(bar.menuBar(), 2003, 0)->flags & ws::MF_GRAYED);
  bar.setItemState(2003, 0);
  EXPECT_EQ(s.findMenuItem(bar.menuBar(), 2003, 0)->flags & (ws::MF_CHECKED | ws::MF_GRAYED | ws::MF_DISABLED), 0u);
  // The user opens File and clicks Load Show: the window gets command 2004.
  window.show(1);
  pump();
  const ws::Rect title = s.menuBarItemRect(window.handle(), 0);
  s.click(title.left + 4, title.top + 4);
  pump();
  ASSERT_TRUE(s.menuOpen());
  const ws::Rect item = s.menuPopupItemRect(0);
  s.click(item.left + 30, item.top + 4);
  pump();
  EXPECT_EQ(window.commands(), (std::vector<uint32_t>{2004}));
  // The disabled Help title does not open.
  const ws::Rect help = s.menuBarItemRect(window.handle(), 2);
  s.click(help.left + 4, help.top + 4);
  pump();
  EXPECT_FALSE(s.menuOpen());
}

TEST_F(WindowLayerTest, EditFieldTextSelectionAndMultiLine) {
  ASSERT_TRUE(window.create(0, kWindowPopup, testProcedure));
  window.move(0, 0, 300, 200, false);
  window.show(1);
  EditField edit;
  ASSERT_TRUE(edit.createEdit(window.handle(), 10, 10, 200, 22, 1003, nullptr));
  EXPECT_EQ(ws::screen().focus(), edit.handle());
  EXPECT_TRUE(isOwnWindow(edit.handle()));
  edit.setText("00:00:01:15", true);
  ws::screen().typeText("12");
  pump();
  char buffer[80];
  EXPECT_EQ(edit.getText(buffer, sizeof buffer), 2);
  EXPECT_STREQ(buffer, "12");
  edit.select(0, 1);
  ws::screen().typeText("3");
  pump();
  edit.getText(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "32");
  edit.destroy();
  EditField multi;
  ASSERT_TRUE(multi.createEdit(window.handle(), 10, 40, 200, 80, kMultiLineEditId, standardFont(12)));
  ws::screen().typeText("one\ntwo");
  pump();
  multi.getText(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "one\ntwo");
  multi.destroy();
  EditField none;
  EXPECT_EQ(none.getText(buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");
}

TEST_F(WindowLayerTest, IconOneHundredAndOneIsCarriedAndShownInTheCaption) {
  const ResourceBytes r = findResource(ResourceKind::icon, 101);
  ASSERT_TRUE(r);
  auto icon = ws::readIconFile(r.bytes, r.size);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->image.width(), 16);
  EXPECT_EQ(icon->mask[0], 0);                   // a transparent corner
  EXPECT_EQ(icon->mask[1 * 16 + 1], 1);
  EXPECT_EQ(icon->image.pixel(1, 1), 0x143C78u);  // the frame's blue
  EXPECT_EQ(icon->image.pixel(8, 5), 0xFFFFFFu);  // the eye
  ASSERT_TRUE(window.create(0, kWindowResizable, testProcedure));
  window.move(0, 0, 640, 480, false);
  window.show(1);
  pump();
  // A sizing frame of 4 pixels, then a 22-pixel caption whose icon sits 3 pixels in, centred.
  EXPECT_EQ(ws::screen().pixelAt(7 + 1, 7 + 1), 0x143C78u);
  EXPECT_EQ(ws::screen().pixelAt(7 + 8, 7 + 5), 0xFFFFFFu);
  EXPECT_EQ(ws::screen().pixelAt(7, 7), ws::pixelOf(ws::rgb(10, 36, 106)));  // transparent: the caption
}

TEST_F(WindowLayerTest, InitCreatesFiveFontsAndReadsTheWorkArea) {
  const PlatformState& p = platformState();
  EXPECT_EQ(p.iconId, 101);
  EXPECT_STREQ(p.productName, "Kestrelmove");
  EXPECT_EQ(p.workRight, 1024);
  EXPECT_EQ(p.workBottom, 768);
  for (const FontHandle& f : p.fonts) ASSERT_TRUE(f && f->valid());
  EXPECT_LT(standardFont(8)->height(), standardFont(12)->height());
  EXPECT_LT(standardFont(12)->height(), standardFont(20)->height());
  EXPECT_EQ(standardFont(13)->request().weight, 700);
  EXPECT_EQ(standardFont(10)->request().weight, 500);
  EXPECT_EQ(standardFont(11), nullptr);
  // Character heights (negative: the em size) 8, 10, 12 normal, 13 bold, 20 normal, all "Arial".
  const int heights[5] = {-8, -10, -12, -13, -20}, weights[5] = {500, 500, 500, 700, 500};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(p.fonts[i]->request().height, heights[i]) << i;
    EXPECT_EQ(p.fonts[i]->request().weight, weights[i]) << i;
    EXPECT_EQ(p.fonts[i]->request().face, "Arial") << i;
    EXPECT_FALSE(p.fonts[i]->request().italic || p.fonts[i]->request().underline) << i;
  }
}
