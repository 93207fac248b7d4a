#include "platform/messages.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/screen/screen.h"

extern char** environ;

namespace {
void fill(WindowMessage& out, const ws::Message& m) {
  out.window = m.window;
  out.message = m.message;
  out.wParam = m.wParam;
  out.lParam = m.lParam;
  out.time = m.time;
  out.point = m.point;
}
}  // namespace

bool peekMessage(WindowMessage& m) {
  ws::Message msg;
  if (!ws::screen().peekMessage(msg, true)) return false;
  fill(m, msg);
  return true;
}

bool getMessage(WindowMessage& m) {
  ws::Message msg;
  const bool more = ws::screen().getMessage(msg);
  fill(m, msg);
  return more;
}

void dispatch(ws::WindowHandle window, uint32_t message, ws::WParam wParam, ws::LParam lParam, uint32_t time, ws::Point point) {
  ws::Message m{window, message, wParam, lParam, time, point, 0};
  ws::Screen& s = ws::screen();
  // The key state that came with the message is the one the screen synchronised at get or peek.
  m.modifiers = (s.keyState(ws::VK_SHIFT) ? ws::kShift : 0) | (s.keyState(ws::VK_CONTROL) ? ws::kCtrl : 0);
  s.translateMessage(m);
  s.dispatchMessage(m);
}

bool postMessage(ws::WindowHandle window, uint32_t message, ws::WParam wParam, ws::LParam lParam) {
  return ws::screen().postMessage(window, message, wParam, lParam);
}

void postQuitMessage(int code) { ws::screen().postQuitMessage(code); }

ws::LResult sendMessage(ws::WindowHandle window, uint32_t message, ws::WParam wParam, ws::LParam lParam) {
  return ws::screen().sendMessage(window, message, wParam, lParam);
}

uint32_t tickCount() { return ws::screen().tickCount(); }
int64_t performanceFrequency() { return ws::screen().performanceFrequency(); }
int64_t performanceCounter() { return ws::screen().performanceCounter(); }

void beep(int type) { ws::screen().beep(uint32_t(type)); }

void flushKeys() {
  if (isatty(STDIN_FILENO)) tcflush(STDIN_FILENO, TCIFLUSH);
}

bool keyToCharacter(int& code) {
  switch (code) {
    case 1: code = 'a'; return true;
    case 3: code = 'c'; return true;
    case 5: code = 'e'; return true;
    case 11: code = 'k'; return true;
    case 12: code = 'l'; return true;
    case 14: code = 'n'; return true;
    case 15: code = 'o'; return true;
    case 17: code = 'q'; return true;
    case 19: code = 's'; return true;
    case 20: code = 't'; return true;
    case 22: code = 'v'; return true;
    case 24: code = 'x'; return true;
    case 25: code = 'y'; return true;
    case 26: code = 'z'; return true;
    case 188: code = '>'; return true;
    case 190: code = '<'; return true;
    case 192: code = '~'; return true;
  }
  return false;
}

const char* helpPagePath(const char* helpFile) {
  static std::string path;
  struct stat st {};
  if (helpFile && *helpFile && stat(helpFile, &st) == 0 && S_ISREG(st.st_mode)) path = helpFile;
  else if (const char* env = std::getenv("KESTRELMOVE_HELP"); env && *env) path = env;
  else path = KM_HELP_PAGE;
  return path.c_str();
}

void showHelp(ws::WindowHandle, const char* helpFile) {
  const std::string page = helpPagePath(helpFile);
  // A child that starts the browser and leaves at once, so that nothing waits for it and no zombie stays.
  const pid_t child = fork();
  if (child == 0) {
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) dup2(devNull, STDOUT_FILENO), dup2(devNull, STDERR_FILENO);
    pid_t viewer = 0;
    char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(page.c_str()), nullptr};
    posix_spawnp(&viewer, "xdg-open", nullptr, nullptr, argv, environ);
    _exit(0);
  }
  if (child > 0) waitpid(child, nullptr, 0);
}
