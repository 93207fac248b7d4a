#include "platform/ui_hooks.h"

#include <cstdio>
#include <utility>

namespace {
UiHooks* installed = nullptr;
thread_local const MessageSubject* currentSubject = nullptr;
}  // namespace

MessageSubject::MessageSubject(std::string file) : file_(std::move(file)), outer_(currentSubject) {
  currentSubject = this;
}

MessageSubject::~MessageSubject() { currentSubject = outer_; }

std::string messageSubject() { return currentSubject ? currentSubject->file_ : std::string(); }

UiHooks* registerUiHooks(UiHooks* hooks) {
  UiHooks* before = installed;
  installed = hooks;
  return before;
}

std::string messageText(const char* text, long code) {
  std::string s = text ? text : "";
  if (code != kNoCode) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "  [ %ld ]", code);
    s += suffix;
  }
  return s;
}

void writeConsoleMessage(const std::string& shown) {
  const std::string subject = messageSubject();
  if (subject.empty())
    std::fprintf(stderr, "kestrelmove: %s\n", shown.c_str());
  else
    std::fprintf(stderr, "kestrelmove: %s: %s\n", subject.c_str(), shown.c_str());
}

int showMessage(const char* text, long code) {
  if (installed) return installed->showMessage(text, code);
  writeConsoleMessage(messageText(text, code));
  return 1;
}

void setCursor(int kind) {
  if (installed) installed->setCursor(kind);
}

void beep() {
  if (installed) installed->beep();
}
