#include "editor/editor_context.h"

#include "editor/shell/editor_window.h"
#include "editor/stage/stage_view.h"
#include "editor/timeline/timeline_view.h"
#include "show/show_state.h"

namespace {
EditorContext ownContext;
EditorContext* registered = nullptr;
}  // namespace

EditorContext& editorContext() { return registered ? *registered : ownContext; }
void setEditorContext(EditorContext* context) { registered = context; }

void EditorContext::viewsChanged() {
  if (!show) return;
  const bool open = editor || stage || timeline;
  show->setViews(open ? &views : nullptr);
}

void EditorContext::newShow() {
  if (show) show->newShow();
  hostFrame.create(8, 8, 32);
}

KeyFrame* EditorViews::workingStates() {
  StageView* stage = editorContext().stage;
  return stage ? stage->workingStates() : spare_;
}

void EditorViews::redrawStage() {
  // A new time moves the outline, the timecode and the read-outs, and an outline may reach beyond the
  // frame into the surround: the whole stage is painted, so nothing of the previous time stays.
  if (StageView* stage = editorContext().stage) stage->paint();
}

void EditorViews::redrawTimeline() {
  if (TimelineView* timeline = editorContext().timeline) timeline->followAndRedraw();
}

void EditorViews::refreshPictureMenu(int index) {
  if (EditorWindow* editor = editorContext().editor) editor->refreshPictureMenu(index);
}

int EditorViews::timelineScale() const {
  TimelineView* timeline = editorContext().timeline;
  return timeline ? timeline->timeScale : 0;
}
