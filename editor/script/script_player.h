#pragma once
// Replays an input script through the window system's input, as the user's mouse and keyboard
// would give it. The screen asks the player for its next input whenever the program has taken the
// previous one (the queue is empty and nothing waits to be painted), from whichever loop is running:
// the edit run's, a message box's, a file dialog's, a form's or playback's.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "editor/script/input_script.h"

namespace ws {
class Screen;
struct Point;
}  // namespace ws

class ScriptPlayer {
 public:
  // Read-outs (layout, state, menus) go to `out`, one line each.
  explicit ScriptPlayer(std::vector<ScriptCommand> commands, std::FILE* out = stdout);
  // A player whose commands arrive on a stream (a pipe from a program that chooses its next input
  // from the read-outs), a line at a time; the script ends when the stream does. The player owns
  // the descriptor.
  struct Stream {
    int fd = -1;
  };
  explicit ScriptPlayer(Stream stream, std::FILE* out = stdout);
  ~ScriptPlayer();
  // The actions keep pointers to the player.
  ScriptPlayer(const ScriptPlayer&) = delete;
  ScriptPlayer& operator=(const ScriptPlayer&) = delete;

  // After every command that leaves the editor at rest, the screen must equal a full repaint, or the
  // script fails there (KESTRELMOVE_PAINT_CHECK=1 in the environment turns it on as well).
  void checkPaintAfterEachCommand(bool on) { checkEveryCommand_ = on; }

  // Makes the player the screen's input driver. The player must outlive its use there.
  void install(ws::Screen& screen);

  // One turn: the next input event, a read-out, or a little of a wait. False once every command has
  // run or one has failed.
  bool step(bool mayBlock);

  bool failed() const { return failed_; }
  // "line N: problem" of the command that failed.
  const std::string& error() const { return error_; }
  // Every command has run.
  bool finished() const { return !failed_ && stream_ < 0 && next_ >= commands_.size() && phase_ >= actions_.size(); }
  // Commands not started yet, and the line of the last one started (0 before the first).
  size_t remaining() const { return commands_.size() - next_; }
  int lastLine() const { return lastLine_; }

  // The screen point of a script position now; false with the reason when its window is missing.
  static bool resolve(const ScriptPosition& position, ws::Point& out, std::string& why);

 private:
  enum class Turn { kDone, kAgain, kFailed };
  using Action = std::function<Turn(std::string& why)>;
  void begin(const ScriptCommand& c);
  void addMouse(const ScriptCommand& c, std::function<void(int x, int y)> event);
  // Reads what the stream has (waiting a little when the caller would block anyway); false at its end
  // or at a line that is no command.
  bool takeStreamedLines(bool mayBlock);
  bool checkPaintAtRest();

  std::vector<ScriptCommand> commands_;
  std::FILE* out_;
  size_t next_ = 0;
  std::vector<Action> actions_;
  size_t phase_ = 0;
  bool failed_ = false;
  std::string error_;
  int lastLine_ = 0;
  bool waiting_ = false;
  std::chrono::steady_clock::time_point waitUntil_;
  int stream_ = -1;
  std::string pending_;
  int streamedLines_ = 0;
  bool checkEveryCommand_ = false;
  int checkedLine_ = 0;
};
