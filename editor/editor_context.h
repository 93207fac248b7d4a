#pragma once
// The editor's process-wide objects: the show it edits, the three windows of an edit run (each null
// outside one), the menu bar object that every editor window fills anew, where the stage gets the
// host's video frames and the last frame it got. The plug-in keeps one EditorContext with its other
// process-wide objects and registers it here; tests register their own.
#include "image/image_buffer.h"
#include "platform/menu_bar.h"
#include "show/show_views.h"

class EditorWindow;
class FrameInput;
class ShowState;
class StageView;
class TimelineView;

// What the show model asks of the open views, answered through the context's references (so that a
// view that does not exist is simply not asked).
class EditorViews : public ShowViews {
 public:
  KeyFrame* workingStates() override;
  void redrawStage() override;
  void redrawTimeline() override;
  void refreshPictureMenu(int index) override;
  int timelineScale() const override;

 private:
  // Used while no stage exists, so that showAt always has somewhere to put the states.
  KeyFrame spare_[32] = {};
};

struct EditorContext {
  ShowState* show = nullptr;
  EditorWindow* editor = nullptr;
  StageView* stage = nullptr;
  TimelineView* timeline = nullptr;
  // The host's frames while an edit run lasts (null: the stage shows the host frame it holds).
  FrameInput* frameInput = nullptr;
  // The host's last frame, under the pictures of the stage and the field preview; with Fast Display
  // on, or between edit runs, it is what they show. A new show starts it blank.
  ImageBuffer hostFrame{8, 8, 32};
  // Lives as long as the context; each EditorWindow attaches a new bar through it.
  MenuBar menuBar;
  EditorViews views;

  // Registers the views with the show while any editor window exists, and clears them when the last
  // one goes. The windows call it after setting or clearing their reference.
  void viewsChanged();
  // Empties the show (see ShowState::newShow) and the host frame with it.
  void newShow();
};

// The registered context; without one, a context of this module's own (with no show).
EditorContext& editorContext();
void setEditorContext(EditorContext* context);
