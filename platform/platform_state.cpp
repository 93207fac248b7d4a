#include "platform/platform_state.h"

#include <cstring>

#include "platform/dialogs.h"
#include "platform/drawing.h"
#include "platform/messages.h"
#include "platform/settings_file.h"
#include "platform/ui_hooks.h"
#include "platform/window.h"
#include "platform/screen/font.h"
#include "platform/screen/screen.h"

namespace {

// The core's messages, cursor and beep go to the real message box, cursor and beep while the layer runs.
class WindowLayerHooks : public UiHooks {
 public:
  int showMessage(const char* text, long code) override { return ::showMessageBox(text, code); }
  void setCursor(int kind) override { ::setCursorKind(kind); }
  void beep() override { ::beep(0); }
};

WindowLayerHooks hooks;
bool hooksInstalled = false;

}  // namespace

namespace {
// Made on first use and released only by releasePlatformState: the plug-in's detach runs from the
// library's finaliser, which at process exit may come after the static destructors.
PlatformState*& statePointer() {
  static PlatformState* state = new PlatformState;
  return state;
}
}  // namespace

PlatformState& platformState() {
  PlatformState*& state = statePointer();
  if (!state) state = new PlatformState;
  return *state;
}

void releasePlatformState() {
  PlatformState*& state = statePointer();
  delete state;
  state = nullptr;
}

int platformInit(void* instance, const char* productName, int iconId) {
  PlatformState& p = platformState();
  p.instance = instance;
  p.iconId = iconId;
  static const int heights[5] = {8, 10, 12, 13, 20};
  for (int i = 0; i < 5; ++i) p.fonts[i] = createFont("Sans", heights[i], i == 3 ? 1 : 0);
  const ws::Rect work = ws::screen().workArea();
  p.workRight = work.right;
  p.workBottom = work.bottom;
  std::memset(p.productName, 0, sizeof p.productName);
  std::strncpy(p.productName, productName ? productName : "", sizeof p.productName - 1);
  clearOwnWindows();
  settings().setTextBuffer("");
  settings().readSettings();
  registerUiHooks(&hooks);
  hooksInstalled = true;
  return 1;
}

void platformExit() {
  PlatformState& p = platformState();
  for (FontHandle& f : p.fonts) f.reset();
  // Fonts still held (the screen's own, a window's) keep what they drew and open their files again
  // when the platform starts anew.
  ws::releaseFontLibraries();
  settings().writeSettings();
  if (hooksInstalled) registerUiHooks(nullptr);
  hooksInstalled = false;
}

FontHandle standardFont(int height) {
  const PlatformState& p = platformState();
  switch (height) {
    case 8: return p.fonts[0];
    case 10: return p.fonts[1];
    case 12: return p.fonts[2];
    case 13: return p.fonts[3];
    case 20: return p.fonts[4];
  }
  return nullptr;
}
