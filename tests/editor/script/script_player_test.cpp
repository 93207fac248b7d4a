// The player drives plain windows through the screen's input driver: from the program's own loop,
// from a message box's loop and from a loop that only peeks, each command given once the previous
// input has been taken.
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>

#include "editor/script/script_player.h"
#include "platform/dialogs.h"
#include "platform/menu_bar.h"
#include "platform/window.h"
#include "tests/editor/editor_test_support.h"

namespace {

struct Received {
  uint32_t message;
  ws::WParam wParam;
  ws::LParam lParam;
  uint32_t modifiers;
};

constexpr uint32_t kFollowUp = ws::WM_USER + 7;

class ScriptedWindow : public Window {
 public:
  int handleMessage(uint32_t message, ws::WParam wParam, ws::LParam lParam) override {
    if (message == ws::WM_LBUTTONDOWN || message == ws::WM_LBUTTONUP || message == ws::WM_RBUTTONDOWN ||
        message == ws::WM_LBUTTONDBLCLK || message == ws::WM_MOUSEMOVE || message == ws::WM_CHAR ||
        message == ws::WM_COMMAND || message == kFollowUp) {
      const uint32_t mods = (ws::screen().keyState(ws::VK_SHIFT) ? ws::kShift : 0) |
                            (ws::screen().keyState(ws::VK_CONTROL) ? ws::kCtrl : 0);
      got.push_back({message, wParam, lParam, mods});
    }
    // A press makes work of its own; the release must come only once it is done.
    if (message == ws::WM_LBUTTONDOWN) ws::screen().postMessage(handle(), kFollowUp, 0, 0);
    if (message == ws::WM_CHAR && wParam == 'q') askAnswer = askYesNo("Really?", "Question") ? 1 : 0;
    return 1;
  }
  std::vector<Received> of(uint32_t message) const {
    std::vector<Received> out;
    for (const Received& r : got)
      if (r.message == message) out.push_back(r);
    return out;
  }
  std::string typed() const {
    std::string s;
    for (const Received& r : of(ws::WM_CHAR)) s += char(r.wParam);
    return s;
  }
  std::vector<Received> got;
  int askAnswer = -1;
};

ScriptedWindow* live = nullptr;
ws::LResult procedure(ws::WindowHandle h, uint32_t m, ws::WParam w, ws::LParam l) { return forwardMessage(live, h, m, w, l); }

class ScriptPlayerTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    live = &window;
    ASSERT_TRUE(window.create(0, kWindowOverlapped, procedure));
    window.move(100, 50, 500, 350, false);
    window.show(1);
    ws::screen().setFocus(window.handle());
    pump();
    window.got.clear();
  }
  void TearDown() override {
    window.destroy();
    live = nullptr;
    EditorTest::TearDown();
  }

  std::unique_ptr<ScriptPlayer> play(const std::string& text, std::FILE* out = stdout) {
    std::vector<ScriptCommand> commands;
    std::string error;
    EXPECT_TRUE(parseInputScript(text, commands, error)) << error;
    auto player = std::make_unique<ScriptPlayer>(commands, out);
    player->install(ws::screen());
    return player;
  }

  // The program's own loop, until the input runs out; returns the quit code.
  static int runLoop() {
    WindowMessage m;
    while (getMessage(m)) dispatch(m);
    return int(int64_t(m.wParam));
  }

  ws::Point clientOrigin() const { return ws::screen().clientToScreen(window.handle(), {0, 0}); }

  ScriptedWindow window;
};

}  // namespace

TEST_F(ScriptPlayerTest, MouseAndKeysArriveAsAUserGivesThem) {
  const ws::Point o = clientOrigin();
  auto player = play("click " + std::to_string(o.x + 30) + " " + std::to_string(o.y + 40) +
                     "\nrclick editor 5 6\nkey ctrl+Z\ntype Ab.\nclick 0 0\n");
  // The editor window of the context is not there, so "editor" cannot be resolved.
  EXPECT_EQ(runLoop(), ws::Screen::kNoMoreInput);
  EXPECT_TRUE(player->failed());
  EXPECT_EQ(player->error(), "line 2: there is no editor window");
  const auto downs = window.of(ws::WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(ws::loWord(uint64_t(downs[0].lParam)), 30);
  EXPECT_EQ(ws::hiWord(uint64_t(downs[0].lParam)), 40);
  EXPECT_TRUE(window.of(ws::WM_RBUTTONDOWN).empty());
  EXPECT_TRUE(window.of(ws::WM_CHAR).empty()) << "nothing after the failed line runs";
}

TEST_F(ScriptPlayerTest, EachInputWaitsUntilThePreviousOneIsTaken) {
  auto player = play("press 150 150\nrelease 160 150\nkey ctrl+Z\ntype Ab.\nkey shift+x\ndrag 170 150 shift\n");
  EXPECT_EQ(runLoop(), ws::Screen::kNoMoreInput);
  EXPECT_TRUE(player->finished());
  // The follow-up the press posted is handled before the release arrives.
  std::vector<uint32_t> order;
  for (const Received& r : window.got)
    if (r.message == ws::WM_LBUTTONDOWN || r.message == ws::WM_LBUTTONUP || r.message == kFollowUp) order.push_back(r.message);
  EXPECT_EQ(order, (std::vector<uint32_t>{ws::WM_LBUTTONDOWN, kFollowUp, ws::WM_LBUTTONUP}));
  EXPECT_EQ(window.typed(), std::string("\x1a") + "Ab.X");
  const auto chars = window.of(ws::WM_CHAR);
  EXPECT_EQ(chars[0].modifiers, ws::kCtrl);
  EXPECT_EQ(chars[1].modifiers, ws::kShift);
  EXPECT_EQ(chars[2].modifiers, 0u);
  const auto moves = window.of(ws::WM_MOUSEMOVE);
  ASSERT_FALSE(moves.empty());
  EXPECT_EQ(moves.back().modifiers, ws::kShift);
  EXPECT_EQ(ws::loWord(uint64_t(moves.back().lParam)), 170 - clientOrigin().x);
}

TEST_F(ScriptPlayerTest, AMessageBoxTakesTheCommandsThatFollow) {
  // A Yes/No box has no way out with Escape: the Escape goes nowhere, Tab moves to No.
  auto player = play("key q\nkey Escape\nkey Tab\nkey Enter\nkey x\n");
  EXPECT_EQ(runLoop(), ws::Screen::kNoMoreInput);
  EXPECT_TRUE(player->finished());
  EXPECT_EQ(window.askAnswer, 0) << "No answered the box";
  EXPECT_EQ(window.typed(), "qx") << "the box's own key never reached the window";
}

TEST_F(ScriptPlayerTest, MenusAreClickedByTheirTexts) {
  MenuBar bar;
  bar.attachMenuBar(window);
  bar.addMenu("File", 0);
  bar.addItem(7, "Save Show/S", 0);
  bar.addItem(-1, "", 0);
  bar.addItem(8, "Quit - DON'T Apply changes", 0);
  bar.addMenu("Edit", 0);
  bar.addItem(9, "Undo/Z", 2);
  ws::screen().drawMenuBar(window.handle());
  pump();
  auto player = play("menu File/Quit - DON'T Apply changes\nmenu File/Save Show\nmenu Edit/Redo\n");
  EXPECT_EQ(runLoop(), ws::Screen::kNoMoreInput);
  std::vector<int> commands;
  for (const Received& r : window.of(ws::WM_COMMAND)) commands.push_back(ws::loWord(r.wParam));
  EXPECT_EQ(commands, (std::vector<int>{8, 7}));
  EXPECT_EQ(player->error(), "line 3: the menu 'Edit' has no item 'Redo'");

  std::FILE* out = std::tmpfile();
  auto readout = play("menus\n", out);
  EXPECT_EQ(runLoop(), ws::Screen::kNoMoreInput);
  std::rewind(out);
  char line[2048] = {};
  ASSERT_TRUE(std::fgets(line, sizeof line, out));
  std::fclose(out);
  const auto j = nlohmann::json::parse(line);
  ASSERT_EQ(j["menus"].size(), 2u);
  EXPECT_EQ(j["menus"][0]["title"], "File");
  ASSERT_EQ(j["menus"][0]["items"].size(), 2u) << "separators are left out";
  EXPECT_EQ(j["menus"][0]["items"][0]["id"], 7);
  EXPECT_EQ(j["menus"][0]["items"][0]["text"], "Save Show");
  EXPECT_EQ(j["menus"][1]["items"][0]["grayed"], true);
  EXPECT_EQ(j["menus"][1]["items"][0]["checked"], false);
}

TEST_F(ScriptPlayerTest, ALoopThatOnlyPeeksTakesTheInputToo) {
  auto player = play("key a\nwait 40\nkey b\n");
  const auto start = std::chrono::steady_clock::now();
  int peeks = 0;
  while (ws::screen().hasInputDriver()) {
    WindowMessage m;
    if (peekMessage(m)) dispatch(m);
    else ++peeks;
  }
  pump();
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(player->finished());
  EXPECT_EQ(window.typed(), "ab");
  EXPECT_GE(elapsed, std::chrono::milliseconds(40)) << "the wait lets real time pass";
  EXPECT_GT(peeks, 0) << "the wait did not block the peeking loop";
}

TEST_F(ScriptPlayerTest, StateAndLayoutReadOutTheShowAndTheViews) {
  show->currentTime = 12;
  show->modified = 1;
  show->showLength = 300;
  show->frameRate = 2500;
  std::FILE* out = std::tmpfile();
  auto player = play("state\nlayout\nscreenshot " + (configDir / "shot.png").string() + "\n", out);
  EXPECT_EQ(runLoop(), ws::Screen::kNoMoreInput);
  EXPECT_TRUE(player->finished());
  std::rewind(out);
  char line[4096] = {};
  ASSERT_TRUE(std::fgets(line, sizeof line, out));
  const auto state = nlohmann::json::parse(line);
  EXPECT_EQ(state["time"], 12);
  EXPECT_EQ(state["length"], 300);
  EXPECT_EQ(state["rate"], 2500);
  EXPECT_EQ(state["modified"], true);
  EXPECT_EQ(state["selectedKey"], -1);
  EXPECT_TRUE(state["pictures"].is_array());
  ASSERT_TRUE(std::fgets(line, sizeof line, out));
  const auto layout = nlohmann::json::parse(line);
  // Without the editor's windows every view reads as null.
  EXPECT_TRUE(layout["editor"].is_null());
  EXPECT_TRUE(layout["frame"].is_null());
  std::fclose(out);
  EXPECT_TRUE(std::filesystem::exists(configDir / "shot.png"));
}

TEST_F(ScriptPlayerTest, WithoutADriverTheIdleActionsStillRun) {
  bool ran = false;
  ws::screen().whenIdle([&] {
    ran = true;
    ws::screen().pressKey('K');
  });
  EXPECT_EQ(runLoop(), ws::Screen::kNoMoreInput);
  EXPECT_TRUE(ran);
  EXPECT_EQ(window.typed(), "k");
}
