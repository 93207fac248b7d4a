#include "editor/script/script_player.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

#include <nlohmann/json.hpp>

#include "editor/editor_context.h"
#include "editor/script/paint_check.h"
#include "editor/script/script_readouts.h"
#include "editor/shell/editor_window.h"
#include "editor/stage/stage_view.h"
#include "editor/timeline/timeline_view.h"
#include "platform/screen/screen.h"

namespace {

std::string labelOf(const std::string& text) { return text.substr(0, text.find('\t')); }

bool windowOrigin(const Window* w, const char* name, ws::Point& out, std::string& why) {
  if (!w || !w->handle() || !ws::screen().isWindow(w->handle())) {
    why = std::string("there is no ") + name + " window";
    return false;
  }
  out = ws::screen().clientToScreen(w->handle(), {0, 0});
  return true;
}

ws::Point centre(const ws::Rect& r) { return {r.left + r.width() / 2, r.top + r.height() / 2}; }

// Presses and releases a key with its modifiers, as the keyboard sends them.
void pressKey(int vk, bool shift, bool ctrl) {
  ws::Screen& s = ws::screen();
  if (ctrl) s.keyDown(ws::VK_CONTROL);
  if (shift) s.keyDown(ws::VK_SHIFT);
  s.keyDown(vk);
  s.keyUp(vk);
  if (shift) s.keyUp(ws::VK_SHIFT);
  if (ctrl) s.keyUp(ws::VK_CONTROL);
}

}  // namespace

ScriptPlayer::ScriptPlayer(std::vector<ScriptCommand> commands, std::FILE* out)
    : commands_(std::move(commands)), out_(out) {
  const char* check = std::getenv("KESTRELMOVE_PAINT_CHECK");
  checkEveryCommand_ = check && std::string(check) == "1";
}

ScriptPlayer::ScriptPlayer(Stream stream, std::FILE* out) : ScriptPlayer(std::vector<ScriptCommand>{}, out) {
  stream_ = stream.fd;
}

ScriptPlayer::~ScriptPlayer() {
  if (stream_ >= 0) ::close(stream_);
}

void ScriptPlayer::install(ws::Screen& screen) {
  screen.setInputDriver([this](bool mayBlock) { return step(mayBlock); });
}

bool ScriptPlayer::resolve(const ScriptPosition& p, ws::Point& out, std::string& why) {
  ws::Point origin{0, 0};
  EditorContext& c = editorContext();
  switch (p.origin) {
    case ScriptOrigin::kScreen: break;
    case ScriptOrigin::kEditor:
      if (!windowOrigin(c.editor, "editor", origin, why)) return false;
      break;
    case ScriptOrigin::kStage:
      if (!windowOrigin(c.stage, "stage", origin, why)) return false;
      break;
    case ScriptOrigin::kTimeline:
      if (!windowOrigin(c.timeline, "timeline", origin, why)) return false;
      break;
    case ScriptOrigin::kFrame:
      if (!stageFrameOrigin(origin)) {
        why = "there is no stage window";
        return false;
      }
      break;
  }
  out = {origin.x + p.x, origin.y + p.y};
  return true;
}

void ScriptPlayer::addMouse(const ScriptCommand& c, std::function<void(int x, int y)> event) {
  const ScriptPosition position = c.position;
  const bool shift = c.shift;
  // The position is worked out when the event is given, from where the windows are then.
  actions_.push_back([position, shift, event](std::string& why) {
    ws::Point p;
    if (!resolve(position, p, why)) return Turn::kFailed;
    ws::Screen& s = ws::screen();
    if (shift) s.keyDown(ws::VK_SHIFT);
    event(p.x, p.y);
    if (shift) s.keyUp(ws::VK_SHIFT);
    return Turn::kDone;
  });
}

void ScriptPlayer::begin(const ScriptCommand& c) {
  actions_.clear();
  phase_ = 0;
  ws::Screen* s = &ws::screen();
  auto move = [s](int x, int y) { s->mouseMove(x, y); };
  auto down = [s](int button) { return [s, button](int x, int y) { s->mouseButton(button, true, x, y); }; };
  auto up = [s](int button) { return [s, button](int x, int y) { s->mouseButton(button, false, x, y); }; };
  switch (c.verb) {
    case ScriptVerb::kMove:
    case ScriptVerb::kDrag: addMouse(c, move); break;
    case ScriptVerb::kClick:
    case ScriptVerb::kRightClick: {
      const int button = c.verb == ScriptVerb::kClick ? 0 : 1;
      addMouse(c, move);
      addMouse(c, down(button));
      addMouse(c, up(button));
      break;
    }
    case ScriptVerb::kDoubleClick:
      addMouse(c, move);
      // Both clicks go in at once, as the double-click time is the system's to judge.
      addMouse(c, [s](int x, int y) {
        for (int i = 0; i < 2; ++i) s->mouseButton(0, true, x, y), s->mouseButton(0, false, x, y);
      });
      break;
    case ScriptVerb::kPress:
      addMouse(c, move);
      addMouse(c, down(0));
      break;
    case ScriptVerb::kRelease:
      addMouse(c, move);
      addMouse(c, up(0));
      break;
    case ScriptVerb::kKey: {
      const int vk = c.key;
      const bool shift = c.keyShift, ctrl = c.keyCtrl;
      actions_.push_back([vk, shift, ctrl](std::string&) {
        pressKey(vk, shift, ctrl);
        return Turn::kDone;
      });
      break;
    }
    case ScriptVerb::kType:
      for (unsigned char ch : c.text) {
        actions_.push_back([ch](std::string& why) {
          int vk = 0;
          bool shift = false;
          if (!ws::Screen::keyForCharacter(ch, vk, shift)) {
            why = "no key types the character " + std::to_string(int(ch));
            return Turn::kFailed;
          }
          pressKey(vk, shift, false);
          return Turn::kDone;
        });
      }
      break;
    case ScriptVerb::kMenu: {
      const size_t slash = c.text.find('/');
      const std::string title = c.text.substr(0, slash), item = c.text.substr(slash + 1);
      actions_.push_back([s, title](std::string& why) {
        const ws::WindowHandle h = menuBarWindow();
        const ws::ScreenWindow* w = s->window(h);
        const ws::Menu* bar = w ? s->menu(w->menu) : nullptr;
        if (!bar) {
          why = "no window has a menu bar";
          return Turn::kFailed;
        }
        for (size_t i = 0; i < bar->items.size(); ++i) {
          if (labelOf(bar->items[i].text) != title) continue;
          // A press on the title of the menu that is open already would close it.
          if (s->menuOpen() && s->openDropDown() == s->menu(bar->items[i].subMenu)) return Turn::kDone;
          const ws::Point p = centre(s->menuBarItemRect(h, int(i)));
          s->mouseMove(p.x, p.y);
          s->mouseButton(0, true, p.x, p.y);
          s->mouseButton(0, false, p.x, p.y);
          return Turn::kDone;
        }
        why = "the menu bar has no menu '" + title + "'";
        return Turn::kFailed;
      });
      actions_.push_back([s, title, item](std::string& why) {
        const ws::Menu* drop = s->menuOpen() ? s->openDropDown() : nullptr;
        if (!drop) {
          why = "the menu '" + title + "' did not open";
          return Turn::kFailed;
        }
        for (size_t i = 0; i < drop->items.size(); ++i) {
          if (drop->items[i].flags & ws::MF_SEPARATOR || labelOf(drop->items[i].text) != item) continue;
          const ws::Point p = centre(s->menuPopupItemRect(int(i)));
          s->mouseMove(p.x, p.y);
          s->mouseButton(0, true, p.x, p.y);
          s->mouseButton(0, false, p.x, p.y);
          // A grey item takes no click and the menu stays open; the user then leaves it with Escape,
          // or every later command would go to the open menu.
          if (drop->items[i].flags & (ws::MF_GRAYED | ws::MF_DISABLED)) pressKey(ws::VK_ESCAPE, false, false);
          return Turn::kDone;
        }
        why = "the menu '" + title + "' has no item '" + item + "'";
        return Turn::kFailed;
      });
      break;
    }
    case ScriptVerb::kWait: {
      const int ms = c.milliseconds;
      actions_.push_back([this, ms](std::string&) {
        const auto now = std::chrono::steady_clock::now();
        if (!waiting_) waiting_ = true, waitUntil_ = now + std::chrono::milliseconds(ms);
        if (now < waitUntil_) return Turn::kAgain;
        waiting_ = false;
        return Turn::kDone;
      });
      break;
    }
    case ScriptVerb::kScreenshot: {
      const std::string file = c.text;
      actions_.push_back([s, file](std::string& why) {
        if (s->saveScreenshot(file)) return Turn::kDone;
        why = "cannot write the screenshot '" + file + "'";
        return Turn::kFailed;
      });
      break;
    }
    case ScriptVerb::kPaintCheck:
      actions_.push_back([this](std::string&) {
        const std::string problem = restProblem();
        const std::string line = problem.empty() ? paintCheckReadout(paintCheck())
                                                 : nlohmann::json{{"stale", nullptr}, {"box", nullptr}, {"notAtRest", problem}}.dump();
        std::fprintf(out_, "%s\n", line.c_str());
        std::fflush(out_);
        return Turn::kDone;
      });
      break;
    case ScriptVerb::kLayout:
    case ScriptVerb::kState:
    case ScriptVerb::kMenus: {
      const ScriptVerb verb = c.verb;
      actions_.push_back([this, verb](std::string&) {
        const std::string line = verb == ScriptVerb::kLayout ? layoutReadout()
                                 : verb == ScriptVerb::kState ? stateReadout()
                                                              : menusReadout();
        std::fprintf(out_, "%s\n", line.c_str());
        std::fflush(out_);
        return Turn::kDone;
      });
      break;
    }
  }
}

bool ScriptPlayer::takeStreamedLines(bool mayBlock) {
  pollfd p{stream_, POLLIN, 0};
  if (::poll(&p, 1, mayBlock ? 20 : 0) <= 0) return true;
  char buffer[4096];
  const ssize_t n = ::read(stream_, buffer, sizeof buffer);
  if (n < 0 && errno == EINTR) return true;
  if (n <= 0) {
    ::close(stream_);
    stream_ = -1;
    return false;
  }
  pending_.append(buffer, size_t(n));
  for (size_t end; (end = pending_.find('\n')) != std::string::npos;) {
    const std::string line = pending_.substr(0, end + 1);
    pending_.erase(0, end + 1);
    ++streamedLines_;
    std::vector<ScriptCommand> parsed;
    std::string error;
    if (!parseInputScript(line, parsed, error)) {
      failed_ = true;
      error_ = "line " + std::to_string(streamedLines_) + error.substr(error.find(':'));
      return false;
    }
    for (ScriptCommand& c : parsed) c.line = streamedLines_, commands_.push_back(c);
  }
  return true;
}

bool ScriptPlayer::checkPaintAtRest() {
  if (!checkEveryCommand_ || lastLine_ == 0 || checkedLine_ == lastLine_) return true;
  checkedLine_ = lastLine_;
  if (!restProblem().empty()) return true;
  const PaintCheck check = paintCheck();
  if (check.stale == 0) return true;
  failed_ = true;
  error_ = "line " + std::to_string(lastLine_) + ": the screen at rest differs from a full repaint: " + paintCheckReadout(check);
  return false;
}

bool ScriptPlayer::step(bool mayBlock) {
  if (failed_) return false;
  if (phase_ >= actions_.size()) {
    // The last command's input has all been taken: the screen is at rest unless a drag or a modal
    // loop is under way.
    if (!checkPaintAtRest()) return false;
    if (next_ >= commands_.size() && stream_ >= 0 && !takeStreamedLines(mayBlock)) return !failed_ && next_ < commands_.size();
    if (next_ >= commands_.size()) return stream_ >= 0;
    const ScriptCommand& c = commands_[next_++];
    lastLine_ = c.line;
    begin(c);
    if (actions_.empty()) return true;  // "type" with nothing to type
  }
  std::string why;
  switch (actions_[phase_](why)) {
    case Turn::kDone: ++phase_; break;
    case Turn::kAgain:
      // Nothing else is waiting to run: let real time pass without spinning.
      if (mayBlock) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      break;
    case Turn::kFailed:
      failed_ = true;
      error_ = "line " + std::to_string(lastLine_) + ": " + why;
      return false;
  }
  return true;
}
