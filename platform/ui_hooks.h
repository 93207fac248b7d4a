#pragma once
// The few user-interface calls that the core (images, show, renderer) makes: message boxes, the mouse
// cursor and the beep. The core calls the free functions below; while the window layer runs it
// registers real implementations, otherwise messages go to standard error and the rest does nothing.
#include <string>

// Appended to a message unless the code is this marker.
constexpr long kNoCode = -9999;

struct UiHooks {
  virtual ~UiHooks() = default;
  virtual int showMessage(const char* text, long code) = 0;
  virtual void setCursor(int kind) = 0;
  virtual void beep() = 0;
};

// Installs hooks (null restores the console fallback). Returns the hooks that were installed before.
UiHooks* registerUiHooks(UiHooks* hooks);

// The message text as the user sees it: text, then "  [ code ]" unless the code is kNoCode.
std::string messageText(const char* text, long code);

int showMessage(const char* text, long code);

// Writes a message as the user sees it to standard error, "kestrelmove: <file>: <text>" while a
// MessageSubject names the file: the console's message, also for a box that no one could answer.
void writeConsoleMessage(const std::string& shown);

// The file the messages shown during a scope are about. The console fallback names it before the
// text, so that a command-line run tells which file failed; message boxes keep their fixed texts and
// may read it with messageSubject().
class MessageSubject {
 public:
  explicit MessageSubject(std::string file);
  ~MessageSubject();
  MessageSubject(const MessageSubject&) = delete;
  MessageSubject& operator=(const MessageSubject&) = delete;

 private:
  std::string file_;
  const MessageSubject* outer_;
  friend std::string messageSubject();
};

// The file of the innermost MessageSubject alive on this thread, or empty.
std::string messageSubject();

void setCursor(int kind);
void beep();
