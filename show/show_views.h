#pragma once
// What the show model needs from the editor's views while they are open. The editor registers an
// implementation with ShowState::setViews and clears it when it closes; without one the show works
// alone (the renderer, the command-line tools, the tests).
#include "show/key_frame.h"

class ShowViews {
 public:
  virtual ~ShowViews() = default;
  // The stage's working state of each of the 32 slots (what the stage shows and edits).
  virtual KeyFrame* workingStates() = 0;
  virtual void redrawStage() = 0;
  virtual void redrawTimeline() = 0;
  virtual void refreshPictureMenu(int index) = 0;
  // The timeline's time scale in frames per 60 pixels, or 0 when there is no timeline view.
  virtual int timelineScale() const = 0;
};
