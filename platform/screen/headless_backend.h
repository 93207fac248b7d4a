#pragma once
// The backend without a display: deterministic, for tests, tools and machines without one. Input comes
// from the program (Screen::mouseButton, keyDown, ...) and, when a blocking get finds nothing to do,
// from the actions queued with Screen::whenIdle. The beep and the cursor are only counted and kept.
#include "platform/screen/backend.h"

namespace ws {

class HeadlessBackend : public Backend {
 public:
  std::string name() const override { return "headless"; }
  bool waitInput(Screen& screen) override;
  void pollInput(Screen&) override {}
  void present(Screen&) override { ++presents_; }
  void showCursor(const Cursor* cursor) override { cursorShown_ = cursor != nullptr; }
  void beep(uint32_t) override {}
  bool cursorShown() const { return cursorShown_; }

 private:
  int presents_ = 0;
  bool cursorShown_ = true;
};

}  // namespace ws
