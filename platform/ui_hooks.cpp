#include "platform/ui_hooks.h"

#include <cstdio>

namespace {
UiHooks* installed = nullptr;
}

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

int showMessage(const char* text, long code) {
  if (installed) return installed->showMessage(text, code);
  std::fprintf(stderr, "kestrelmove: %s\n", messageText(text, code).c_str());
  return 1;
}

void setCursor(int kind) {
  if (installed) installed->setCursor(kind);
}

void beep() {
  if (installed) installed->beep();
}
