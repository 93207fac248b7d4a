#pragma once
// The editor window open on a fresh headless screen, with what a user does to it: menu choices by
// their texts, keys, clicks in the window's client area, and a message loop that runs until the
// editor posts its quit code.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "editor/shell/editor_window.h"
#include "tests/editor/editor_test_support.h"
#include "platform/menu_bar.h"
#include "platform/screen/dialog_boxes.h"

class ShellTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    folder = configDir / "files";
    std::filesystem::create_directories(folder);
    editor = std::make_unique<EditorWindow>(0);
    editor->paint();
    pump();
  }

  void TearDown() override {
    editor.reset();
    EditorTest::TearDown();
  }

  static ws::Screen& s() { return ws::screen(); }

  // Dispatches what is queued; a quit message stays for the loop that runs the editor.
  static void pump() {
    WindowMessage m;
    while (peekMessage(m)) {
      if (m.message == ws::WM_QUIT) {
        postQuitMessage(int(m.wParam));
        return;
      }
      dispatch(m);
    }
  }
  // The box or dialog on top.
  static ws::WindowHandle top() { return s().zOrder().empty() ? 0 : s().zOrder().back(); }

  // Runs the editor's messages as the edit run's loop would, until a quit message; its code, or
  // ws::Screen::kNoMoreInput when the input ran out first.
  static int runUntilQuit() {
    WindowMessage m;
    while (getMessage(m)) dispatch(m);
    return int(m.wParam);
  }

  // Opens a menu by its title and clicks the item with this text (without its shortcut).
  void chooseMenu(const std::string& title, const std::string& item) {
    const ws::WindowHandle h = editor->handle();
    const ws::Menu* bar = s().menu(s().window(h)->menu);
    ASSERT_NE(bar, nullptr);
    int index = -1;
    for (size_t i = 0; i < bar->items.size(); ++i)
      if (bar->items[i].text == title) index = int(i);
    ASSERT_GE(index, 0) << title;
    const ws::Rect t = s().menuBarItemRect(h, index);
    s().click(t.left + 5, t.top + 5);
    pump();
    const ws::Menu* drop = s().openDropDown();
    ASSERT_NE(drop, nullptr) << title;
    int row = -1;
    for (size_t i = 0; i < drop->items.size(); ++i)
      if (drop->items[i].text.substr(0, drop->items[i].text.find('\t')) == item) row = int(i);
    ASSERT_GE(row, 0) << item;
    const ws::Rect r = s().menuPopupItemRect(row);
    s().click(r.left + 20, (r.top + r.bottom) / 2);
    pump();
  }

  // The menu flags of an item (MF_CHECKED, MF_GRAYED).
  uint32_t itemFlags(int id) const {
    ws::MenuItem* item = s().findMenuItem(context.menuBar.menuBar(), id, ws::MF_BYCOMMAND);
    return item ? item->flags : 0xFFFFFFFFu;
  }
  bool checked(int id) const { return (itemFlags(id) & ws::MF_CHECKED) != 0; }
  bool grayed(int id) const { return (itemFlags(id) & ws::MF_GRAYED) != 0; }

  std::string title() const { return s().windowText(editor->handle()); }

  // A point of the editor's client area in screen coordinates.
  ws::Point onEditor(int x, int y) const { return s().clientToScreen(editor->handle(), {x, y}); }
  void clickEditor(int x, int y) {
    const ws::Point p = onEditor(x, y);
    s().click(p.x, p.y);
    pump();
  }
  int clientBottom() const { return s().clientRect(editor->handle()).bottom; }

  // Answers the next file dialog by typing a path into its name field.
  void answerFileDialogWith(const std::string& path) {
    s().whenIdle([path] {
      s().pressCtrl('A');
      s().typeText(path);
      s().pressKey(ws::VK_RETURN);
    });
  }
  // Answers the next message box with a key, keeping its text.
  void answerBox(int key, std::string* text = nullptr) {
    s().whenIdle([key, text] {
      if (text) *text = ws::dialogText(top());
      s().pressKey(key);
    });
  }

  // A picture file the readers take: a 24-bit BMP of one colour.
  std::string writePicture(const std::string& name, int w = 8, int h = 8) {
    const int rowStep = (w * 3 + 3) & ~3;
    std::vector<uint8_t> bytes(54 + size_t(rowStep) * h, 0);
    auto put32 = [&](size_t at, uint32_t v) {
      for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(v >> (8 * i));
    };
    bytes[0] = 'B', bytes[1] = 'M';
    put32(2, uint32_t(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    bytes[26] = 1, bytes[28] = 24;
    for (size_t i = 54; i < bytes.size(); i += 3) bytes[i + 2] = 200;
    const std::string path = (folder / name).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
  }

  static std::vector<uint8_t> fileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }

  std::filesystem::path folder;
  std::unique_ptr<EditorWindow> editor;
};
