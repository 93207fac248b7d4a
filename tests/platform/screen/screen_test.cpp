#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "platform/screen/builtin_classes.h"
#include "platform/screen/headless_backend.h"
#include "platform/screen/png_file.h"
#include "platform/screen/screen.h"

using namespace ws;

namespace {

std::vector<Message> received;

LResult recordingProc(WindowHandle h, uint32_t message, WParam w, LParam l) {
  received.push_back(Message{h, message, w, l, 0, {}, 0});
  return screen().defWindowProc(h, message, w, l);
}

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    received.clear();
    startScreen(std::make_unique<HeadlessBackend>(), 800, 600);
    screen().registerClass(WindowClass{"Plain", 0, recordingProc});
    screen().registerClass(WindowClass{"Clicks", CS_DBLCLKS, recordingProc});
  }
  void TearDown() override { stopScreen(); }

  static WindowHandle popup(int x, int y, int w, int h, uint32_t extra = 0, WindowHandle owner = 0, const char* cls = "Plain") {
    const WindowHandle wnd = screen().createWindow(cls, "", WS_POPUP | extra, x, y, w, h, owner);
    screen().showWindow(wnd, SW_SHOW);
    return wnd;
  }
  // Dispatches everything queued (paint included) and returns the messages that arrived.
  static void pump() {
    Message m;
    while (screen().peekMessage(m)) {
      screen().translateMessage(m);
      screen().dispatchMessage(m);
    }
  }
  static std::vector<Message> arrived(uint32_t message) {
    std::vector<Message> out;
    for (const Message& m : received)
      if (m.message == message) out.push_back(m);
    return out;
  }
};

}  // namespace

TEST_F(ScreenTest, OwnedPopupsStayAboveTheirOwner) {
  const WindowHandle owner = popup(0, 0, 300, 300);
  const WindowHandle owned = popup(50, 50, 100, 100, 0, owner);
  const WindowHandle other = popup(200, 200, 300, 300);
  EXPECT_EQ(screen().zOrder().back(), other);
  screen().bringToFront(owner);
  const auto& z = screen().zOrder();
  ASSERT_EQ(z.size(), 3u);
  EXPECT_EQ(z[0], other);
  EXPECT_EQ(z[1], owner);
  EXPECT_EQ(z[2], owned);
  EXPECT_EQ(screen().windowAt({60, 60}), owned);
  // Destroying the owner takes the owned window along.
  screen().destroyWindow(owner);
  EXPECT_FALSE(screen().isWindow(owned));
  EXPECT_TRUE(screen().isWindow(other));
}

TEST_F(ScreenTest, PostedMessagesArriveInOrderAndQuitEndsTheLoop) {
  const WindowHandle w = popup(0, 0, 100, 100);
  pump();
  screen().postMessage(w, WM_USER + 1, 10, 20);
  screen().postMessage(w, WM_USER + 2, 0, 0);
  screen().postQuitMessage(7);
  Message m;
  ASSERT_TRUE(screen().getMessage(m));
  EXPECT_EQ(m.message, WM_USER + 1);
  EXPECT_EQ(m.wParam, 10u);
  EXPECT_EQ(m.lParam, 20);
  ASSERT_TRUE(screen().getMessage(m));
  EXPECT_EQ(m.message, WM_USER + 2);
  EXPECT_FALSE(screen().getMessage(m));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(int(m.wParam), 7);
  EXPECT_FALSE(screen().postMessage(9999, WM_USER, 0, 0));  // no such window
}

TEST_F(ScreenTest, BlockingGetEndsWithQuitWhenHeadlessInputRunsOut) {
  popup(0, 0, 100, 100);
  pump();
  bool ran = false;
  screen().whenIdle([&] { ran = true; screen().postMessage(0, WM_USER + 5, 0, 0); });
  Message m;
  ASSERT_TRUE(screen().getMessage(m));
  EXPECT_TRUE(ran);
  EXPECT_EQ(m.message, WM_USER + 5);
  EXPECT_FALSE(screen().getMessage(m));
  EXPECT_EQ(int(int64_t(m.wParam)), Screen::kNoMoreInput);
}

TEST_F(ScreenTest, InvalidAreasProducePaintOnlyWhenTheQueueIsEmpty) {
  const WindowHandle w = popup(0, 0, 100, 100);
  screen().postMessage(w, WM_USER, 0, 0);
  Message m;
  ASSERT_TRUE(screen().getMessage(m));
  EXPECT_EQ(m.message, WM_USER);
  ASSERT_TRUE(screen().getMessage(m));
  EXPECT_EQ(m.message, WM_PAINT);
  screen().dispatchMessage(m);
  EXPECT_FALSE(screen().hasInvalid(w));
  EXPECT_FALSE(screen().peekMessage(m));
  const Rect part{10, 10, 20, 20};
  screen().invalidateRect(w, &part);
  EXPECT_TRUE(screen().peekMessage(m));
  EXPECT_EQ(m.message, WM_PAINT);
}

TEST_F(ScreenTest, MousePositionsArePackedInClientCoordinatesWithShift) {
  const WindowHandle w = popup(100, 50, 200, 200, WS_BORDER);
  pump();
  received.clear();
  screen().keyDown(VK_SHIFT);
  screen().click(111, 73);
  screen().keyUp(VK_SHIFT);
  pump();
  const auto downs = arrived(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].window, w);
  EXPECT_EQ(loWord(uint64_t(downs[0].lParam)), 10);  // 1-pixel border
  EXPECT_EQ(hiWord(uint64_t(downs[0].lParam)), 22);
  EXPECT_EQ(downs[0].wParam, WParam(MK_LBUTTON | MK_SHIFT));
  EXPECT_EQ(arrived(WM_LBUTTONUP).at(0).wParam, WParam(MK_SHIFT));
}

TEST_F(ScreenTest, ADragThatLeavesAWindowStillReachesWhereItBegan) {
  const WindowHandle a = popup(0, 0, 200, 200);
  const WindowHandle b = popup(300, 0, 200, 200);
  pump();
  received.clear();
  screen().mouseMove(100, 100);
  screen().mouseButton(0, true, 100, 100);
  screen().mouseMove(400, 100);  // over b now
  screen().mouseButton(0, false, 400, 100);
  screen().mouseMove(410, 100);  // released: b gets the mouse again
  pump();
  std::vector<Message> moves = arrived(WM_MOUSEMOVE);
  ASSERT_EQ(moves.size(), 3u);
  EXPECT_EQ(moves[1].window, a);
  EXPECT_EQ(signedLo(moves[1].lParam), 400);
  const auto ups = arrived(WM_LBUTTONUP);
  ASSERT_EQ(ups.size(), 1u);
  EXPECT_EQ(ups[0].window, a);
  EXPECT_EQ(moves[2].window, b);
  EXPECT_EQ(screen().capture(), 0u);
}

TEST_F(ScreenTest, DoubleClicksOnlyForClassesThatTakeThem) {
  const WindowHandle plain = popup(0, 0, 100, 100);
  const WindowHandle clicks = popup(200, 0, 100, 100, 0, 0, "Clicks");
  pump();
  received.clear();
  screen().useManualClock(true);
  screen().doubleClick(50, 50);
  screen().doubleClick(250, 50);
  pump();
  const auto dbl = arrived(WM_LBUTTONDBLCLK);
  ASSERT_EQ(dbl.size(), 1u);
  EXPECT_EQ(dbl[0].window, clicks);
  EXPECT_EQ(arrived(WM_LBUTTONDOWN).size(), 3u);
  // Too slow for a double click.
  received.clear();
  screen().click(250, 50);
  screen().advanceClock(600000);
  screen().click(250, 50);
  pump();
  EXPECT_TRUE(arrived(WM_LBUTTONDBLCLK).empty());
  (void)plain;
}

TEST_F(ScreenTest, KeysGoToTheFocusAndTranslateIntoCharacters) {
  const WindowHandle a = popup(0, 0, 100, 100);
  const WindowHandle b = popup(200, 0, 100, 100);
  pump();
  screen().setFocus(a);
  received.clear();
  screen().pressKey('A');
  screen().keyDown(VK_SHIFT);
  screen().pressKey('A');
  screen().pressKey('1');
  screen().keyUp(VK_SHIFT);
  screen().pressCtrl('Q');
  screen().pressKey(VK_OEM_COMMA);
  screen().pressKey(VK_DELETE);
  pump();
  std::vector<int> chars;
  for (const Message& m : arrived(WM_CHAR)) {
    EXPECT_EQ(m.window, a);
    chars.push_back(int(m.wParam));
  }
  EXPECT_EQ(chars, (std::vector<int>{'a', 'A', '!', 17, ','}));
  EXPECT_EQ(arrived(WM_KEYDOWN).back().wParam, WParam(VK_DELETE));
  // A click activates b and moves the focus with kill and set messages.
  received.clear();
  screen().click(250, 50);
  pump();
  EXPECT_EQ(screen().focus(), b);
  ASSERT_FALSE(arrived(WM_KILLFOCUS).empty());
  EXPECT_EQ(arrived(WM_KILLFOCUS)[0].window, a);
  EXPECT_EQ(arrived(WM_SETFOCUS)[0].window, b);
}

TEST_F(ScreenTest, CloseBoxClosesAndDefaultProcessingDestroys) {
  const WindowHandle w = screen().createWindow("Plain", "Title", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, 0);
  screen().showWindow(w, SW_SHOW);
  pump();
  const FrameLayout f = screen().frameLayout(w);
  screen().click(10 + f.closeBox.left + 3, 10 + f.closeBox.top + 3);
  pump();
  EXPECT_EQ(arrived(WM_CLOSE).size(), 1u);
  EXPECT_EQ(arrived(WM_DESTROY).size(), 1u);
  EXPECT_FALSE(screen().isWindow(w));
}

TEST_F(ScreenTest, MenuClickDeliversTheCommandAndEscapeCloses) {
  const WindowHandle w = screen().createWindow("Plain", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, 0);
  const MenuHandle bar = screen().createMenu(true);
  const MenuHandle file = screen().createMenu(false);
  screen().appendMenu(file, MF_STRING, 2004, "Load Show\tCtrl+O");
  screen().appendMenu(file, MF_SEPARATOR, 0, "");
  screen().appendMenu(file, MF_GRAYED, 2003, "Save Show\tCtrl+S");
  screen().appendMenu(file, MF_STRING, 2001, "Apply");
  screen().appendMenu(bar, MF_POPUP, int(file), "File");
  screen().setMenu(w, bar);
  screen().showWindow(w, SW_SHOW);
  pump();
  const Rect title = screen().menuBarItemRect(w, 0);
  screen().click(title.left + 5, title.top + 5);
  pump();
  ASSERT_TRUE(screen().menuOpen());
  // A greyed item does nothing; a plain one posts its command.
  Rect grey = screen().menuPopupItemRect(2);
  screen().click(grey.left + 30, grey.top + 5);
  pump();
  EXPECT_TRUE(arrived(WM_COMMAND).empty());
  EXPECT_TRUE(screen().menuOpen());
  Rect item = screen().menuPopupItemRect(3);
  screen().click(item.left + 30, item.top + 5);
  pump();
  ASSERT_EQ(arrived(WM_COMMAND).size(), 1u);
  EXPECT_EQ(loWord(arrived(WM_COMMAND)[0].wParam), 2001);
  EXPECT_EQ(arrived(WM_COMMAND)[0].window, w);
  EXPECT_FALSE(screen().menuOpen());
  // Opened again, Escape closes it without a command; the keys go nowhere else.
  screen().click(title.left + 5, title.top + 5);
  pump();
  ASSERT_TRUE(screen().menuOpen());
  received.clear();
  screen().pressKey(VK_ESCAPE);
  pump();
  EXPECT_FALSE(screen().menuOpen());
  EXPECT_TRUE(arrived(WM_COMMAND).empty());
  EXPECT_TRUE(arrived(WM_KEYDOWN).empty());
  // Keyboard choice: down to the first item, Enter.
  screen().click(title.left + 5, title.top + 5);
  pump();
  screen().pressKey(VK_DOWN);
  screen().pressKey(VK_RETURN);
  pump();
  ASSERT_EQ(arrived(WM_COMMAND).size(), 1u);
  EXPECT_EQ(loWord(arrived(WM_COMMAND)[0].wParam), 2004);
}

TEST_F(ScreenTest, ScrollBarArrowsTrackAndThumbSendScrollCodes) {
  const WindowHandle w = popup(0, 0, 300, 300, WS_VSCROLL | WS_HSCROLL);
  ScrollInfo s;
  s.min = 0, s.max = 1000, s.page = 100, s.pos = 0;
  screen().setScrollInfo(w, SB_VERT, SIF_ALL, s, true);
  pump();
  received.clear();
  Rect up, down, thumb;
  const FrameLayout f = screen().frameLayout(w);
  // Down arrow: bottom of the vertical bar.
  screen().click(f.vScroll.left + 5, f.vScroll.bottom - 5);
  pump();
  auto v = arrived(WM_VSCROLL);
  ASSERT_EQ(v.size(), 2u);
  EXPECT_EQ(loWord(v[0].wParam), SB_LINEDOWN);
  EXPECT_EQ(loWord(v[1].wParam), SB_ENDSCROLL);
  // Left arrow of the horizontal bar.
  received.clear();
  screen().click(f.hScroll.left + 5, f.hScroll.top + 5);
  pump();
  ASSERT_FALSE(arrived(WM_HSCROLL).empty());
  EXPECT_EQ(loWord(arrived(WM_HSCROLL)[0].wParam), SB_LINEUP);
  // The track below the thumb pages down.
  received.clear();
  screen().click(f.vScroll.left + 5, f.vScroll.bottom - 40);
  pump();
  EXPECT_EQ(loWord(arrived(WM_VSCROLL).at(0).wParam), SB_PAGEDOWN);
  // Dragging the thumb to the end of the track reports the largest position, 1000 - 100 + 1.
  received.clear();
  (void)up, (void)down, (void)thumb;
  const int x = f.vScroll.left + 5, y = f.vScroll.top + 17 + 3;
  screen().mouseMove(x, y);
  screen().mouseButton(0, true, x, y);
  pump();
  screen().mouseMove(x, 1000);
  screen().mouseButton(0, false, x, 1000);
  pump();
  v = arrived(WM_VSCROLL);
  ASSERT_GE(v.size(), 3u);
  EXPECT_EQ(loWord(v[0].wParam), SB_THUMBTRACK);
  EXPECT_EQ(hiWord(v[0].wParam), 901);
  EXPECT_EQ(screen().scrollInfo(w, SB_VERT).trackPos, screen().scrollInfo(w, SB_VERT).pos);
  EXPECT_EQ(loWord(v[1].wParam), SB_THUMBPOSITION);
  EXPECT_EQ(loWord(v.back().wParam), SB_ENDSCROLL);
}

TEST_F(ScreenTest, WheelScrollsAWindowWithAVerticalBar) {
  const WindowHandle w = popup(0, 0, 300, 300, WS_VSCROLL);
  pump();
  screen().setFocus(w);
  received.clear();
  screen().mouseWheel(-WHEEL_DELTA, 50, 50);
  pump();
  const auto v = arrived(WM_VSCROLL);
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(loWord(v[0].wParam), SB_LINEDOWN);
  EXPECT_EQ(loWord(v[3].wParam), SB_ENDSCROLL);
}

TEST_F(ScreenTest, EditFieldTakesTypingSelectionAndClipboardKeys) {
  const WindowHandle parent = popup(0, 0, 300, 200);
  const WindowHandle edit = screen().createWindow(kEditClass, "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 200, 24, parent, 0, 1003);
  ASSERT_NE(edit, 0u);
  screen().setFocus(edit);
  screen().typeText("Hello world");
  pump();
  EXPECT_EQ(editText(edit), "Hello world");
  screen().pressKey(VK_BACK);
  screen().pressKey(VK_HOME);
  screen().pressKey(VK_DELETE);
  pump();
  EXPECT_EQ(editText(edit), "ello worl");
  // Shift+End selects to the end; typing replaces the selection.
  screen().pressKey(VK_RIGHT);
  screen().keyDown(VK_SHIFT);
  screen().pressKey(VK_END);
  screen().keyUp(VK_SHIFT);
  screen().typeText("ab");
  pump();
  EXPECT_EQ(editText(edit), "eab");
  // Select all, copy, move to the end, paste; cut empties.
  screen().pressCtrl('A');
  screen().pressCtrl('C');
  screen().pressKey(VK_END);
  screen().pressCtrl('V');
  pump();
  EXPECT_EQ(editText(edit), "eabeab");
  screen().pressCtrl('A');
  screen().pressCtrl('X');
  pump();
  EXPECT_EQ(editText(edit), "");
  char buffer[16];
  screen().sendMessage(edit, WM_SETTEXT, 0, LParam(reinterpret_cast<intptr_t>("value")));
  EXPECT_EQ(screen().sendMessage(edit, WM_GETTEXT, 3, LParam(reinterpret_cast<intptr_t>(buffer))), 2);
  EXPECT_STREQ(buffer, "va");
}

TEST_F(ScreenTest, ScreenshotWritesTheComposedScreen) {
  const WindowHandle w = popup(10, 10, 50, 40);
  pump();
  auto dc = screen().getDC(w);
  dc->fillRect({0, 0, 50, 40}, rgb(255, 0, 0));
  const std::string path = ::testing::TempDir() + "screen_shot.png";
  ASSERT_TRUE(screen().saveScreenshot(path));
  Surface read;
  ASSERT_TRUE(readPng(path, read));
  EXPECT_EQ(read.width(), 800);
  EXPECT_EQ(read.pixel(20, 20), 0xFF0000u);
  EXPECT_EQ(read.pixel(5, 5), screen().pixelAt(5, 5));
  std::remove(path.c_str());
}
