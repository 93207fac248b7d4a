#pragma once
// A show with stand-in views and user-interface hooks, for the editing tests.
#include <memory>
#include <string>
#include <vector>

#include "platform/settings_file.h"
#include "platform/ui_hooks.h"
#include "show/show_state.h"
#include "show/show_views.h"

namespace testshow {

struct RecordingViews : ShowViews {
  KeyFrame states[kSlotCount] = {};
  std::vector<std::string> calls;
  int scale = 0;
  KeyFrame* workingStates() override { return states; }
  void redrawStage() override { calls.push_back("stage"); }
  void redrawTimeline() override { calls.push_back("timeline"); }
  void refreshPictureMenu(int index) override { calls.push_back("menu " + std::to_string(index)); }
  int timelineScale() const override { return scale; }
};

struct CountingHooks : UiHooks {
  int beeps = 0;
  int showMessage(const char*, long) override { return 1; }
  void setCursor(int) override {}
  void beep() override { ++beeps; }
};

// Registers the hooks for the lifetime of a test.
struct HookScope {
  CountingHooks hooks;
  UiHooks* before;
  HookScope() : before(registerUiHooks(&hooks)) {}
  ~HookScope() { registerUiHooks(before); }
};

inline std::unique_ptr<ShowState> makeShow() {
  static SettingsFile settingsText;
  auto show = std::make_unique<ShowState>(settingsText);
  show->showPictureErrors = 0;
  return show;
}

// Gives the show count pictures named P0, P1, ... whose first key's x is their number.
inline void addPictures(ShowState& show, int count) {
  for (int i = 0; i < count; ++i) {
    const int slot = show.pictureCount++;
    show.slots[slot].file.setPath("P" + std::to_string(slot));
    show.slots[slot].keyCount = 1;
    show.slots[slot].keys[0] = KeyFrame{};
    show.slots[slot].keys[0].x = float(slot);
  }
}

inline void setTrack(ShowState& show, int picture, const std::vector<int>& times) {
  PictureSlot& slot = show.slots[picture];
  slot.keyCount = int(times.size());
  for (size_t i = 0; i < times.size(); ++i) {
    slot.keys[i] = KeyFrame{};
    slot.keys[i].time = times[i];
    slot.keys[i].x = float(i * 10);
  }
}

}  // namespace testshow
