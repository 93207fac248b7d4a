#include "editor/script/paint_check.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <unistd.h>

#include <nlohmann/json.hpp>

#include "editor/editor_context.h"
#include "editor/shell/editor_window.h"
#include "editor/stage/stage_view.h"
#include "editor/timeline/timeline_view.h"
#include "platform/screen/modal_loops.h"
#include "platform/screen/png_file.h"
#include "platform/screen/screen.h"

namespace {

bool exists(const Window* w) { return w && w->handle() && ws::screen().isWindow(w->handle()); }

// Regions that a full paint leaves alone on purpose, in screen coordinates: none so far. Each one
// named here must be named in docs/architecture.md with its reason.
std::vector<ws::Rect> exemptRegions() { return {}; }

// A stale screen that a replay does not bring back (it came from timing, or from a state the replay
// does not reach) can still be looked at: with KESTRELMOVE_PAINT_CHECK_SHOTS naming a folder, each
// failed check leaves the screen as it was and as the full repaint drew it there.
void keepScreens(const ws::Surface& shown, const ws::Surface& repainted) {
  const char* folder = std::getenv("KESTRELMOVE_PAINT_CHECK_SHOTS");
  if (!folder || !*folder) return;
  static int count = 0;
  const std::string stem = std::string(folder) + "/stale-" + std::to_string(getpid()) + "-" + std::to_string(++count);
  if (!ws::writePng(stem + "-shown.png", shown) || !ws::writePng(stem + "-repainted.png", repainted))
    std::fprintf(stderr, "kestrelmove: cannot write the stale screens to %s\n", folder);
}

}  // namespace

std::string restProblem() {
  EditorContext& c = editorContext();
  if (const char* modal = ws::innermostModalLoop()) return std::string("a ") + modal + " loop holds the input";
  if (ws::screen().menuOpen()) return "a menu is open";
  // A press shows the picture's outline inverted until its release, whether or not it took hold.
  if (ws::screen().capture()) return "a mouse button is held";
  if (exists(c.stage) && (c.stage->dragMode != StageView::kDragNone || c.stage->sliderDrag))
    return "a drag on the stage is under way";
  if (exists(c.stage) && c.stage->fieldPreviewShown) return "a field preview stands on the stage";
  if (exists(c.timeline) && (c.timeline->hitKeyIndex >= 0 || c.timeline->scrubbing))
    return "a drag on the timeline is under way";
  return {};
}

PaintCheck paintCheck() {
  ws::Screen& s = ws::screen();
  const ws::Surface beforeScreen = s.compose();
  const std::vector<uint32_t>& before = beforeScreen.data();
  EditorContext& c = editorContext();
  const Window* windows[] = {c.editor, c.stage, c.timeline};
  // Bottom first, as the window system would send the paints of a whole screen invalidated at once.
  for (const ws::WindowHandle h : std::vector<ws::WindowHandle>(s.zOrder()))
    for (const Window* w : windows)
      if (exists(w) && w->handle() == h) {
        s.invalidateRect(h, nullptr);
        s.updateWindow(h);
      }
  const ws::Surface& after = s.compose();
  PaintCheck check;
  if (after.data().size() != before.size()) {
    check.stale = long(before.size());
    check.box = after.bounds();
    return check;
  }
  const std::vector<ws::Rect> exempt = exemptRegions();
  const int width = after.width();
  for (int y = 0; y < after.height(); ++y) {
    const uint32_t* row = after.row(y);
    const uint32_t* old = before.data() + size_t(y) * size_t(width);
    for (int x = 0; x < width; ++x) {
      if (row[x] == old[x]) continue;
      bool skip = false;
      for (const ws::Rect& r : exempt) skip = skip || (x >= r.left && x < r.right && y >= r.top && y < r.bottom);
      if (skip) continue;
      ++check.stale;
      check.box = check.box.unite({x, y, x + 1, y + 1});
    }
  }
  if (check.stale > 0) keepScreens(beforeScreen, after);
  return check;
}

std::string paintCheckReadout(const PaintCheck& check) {
  nlohmann::ordered_json j;
  j["stale"] = check.stale;
  if (check.stale == 0) {
    j["box"] = nullptr;
  } else {
    j["box"] = {{"left", check.box.left}, {"top", check.box.top}, {"right", check.box.right}, {"bottom", check.box.bottom}};
  }
  return j.dump();
}
