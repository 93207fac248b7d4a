#include "editor/script/paint_check.h"

#include <vector>

#include <nlohmann/json.hpp>

#include "editor/editor_context.h"
#include "editor/shell/editor_window.h"
#include "editor/stage/stage_view.h"
#include "editor/timeline/timeline_view.h"
#include "platform/screen/modal_loops.h"
#include "platform/screen/screen.h"

namespace {

bool exists(const Window* w) { return w && w->handle() && ws::screen().isWindow(w->handle()); }

// Regions that a full paint leaves alone on purpose, in screen coordinates: none so far. Each one
// named here must be named in docs/architecture.md with its reason.
std::vector<ws::Rect> exemptRegions() { return {}; }

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
  const std::vector<uint32_t> before = s.compose().data();
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
