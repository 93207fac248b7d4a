#include "editor/timeline/keyframe_options.h"

#include <algorithm>

#include "dialogs/form.h"
#include "editor/editor_context.h"
#include "editor/shell/editor_window.h"
#include "editor/stage/stage_view.h"
#include "editor/timeline/keyframe_form.h"
#include "editor/timeline/timeline_view.h"
#include "platform/screen/screen.h"
#include "show/show_state.h"

ws::WindowHandle keyframeFormWindow() {
  EditorContext& c = editorContext();
  if (c.stage && c.stage->handle()) return c.stage->handle();
  if (c.editor && c.editor->handle()) return c.editor->handle();
  if (c.timeline && c.timeline->handle()) return c.timeline->handle();
  return 0;
}

bool keyframeOptions(int x, int y, KeyFrame& key, bool shortForm) {
  const ShowState* s = editorContext().show;
  const int brushCode = s ? s->slots[std::clamp(s->currentPicture, 0, kSlotCount - 1)].brushCode : 0;
  KeyframeForm form;
  buildKeyframeForm(key, brushCode, form);
  const ws::WindowHandle window = keyframeFormWindow();
  const int rows = shortForm ? kKeyframeShortFormRows : kKeyframeFormRows;
  const int result = runForm(window, std::max(x - 250, 8), y, rows, form.labels, form.values, "Set KeyFrame Options");
  // The form leaves its panel on the window.
  if (window) ws::screen().invalidateRect(window, nullptr);
  if (result == kFormCancelled) return false;
  readKeyframeForm(form, key);
  return true;
}
