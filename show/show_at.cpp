#include <algorithm>

#include "show/interpolation.h"
#include "show/show_state.h"
#include "show/show_views.h"

void ShowState::stateAt(KeyFrame& out, int picture, int time, bool halfFrame) const {
  if (picture < 0 || picture >= kSlotCount) return;
  const PictureSlot& slot = slots[picture];
  out = trackStateAt(std::clamp(slot.keyCount, 1, kMaxKeys), slot.keys, time, halfFrame);
}

void ShowState::showAt(int time, bool redraw) {
  time = std::clamp(time, 0, std::max(showLength, 0));
  currentTime = time;
  if (!views_) return;
  KeyFrame* working = views_->workingStates();
  const int pictures = std::clamp(pictureCount, 0, kSlotCount);
  for (int i = 0; i < pictures; ++i) stateAt(working[i], i, time, false);
  if (redraw) {
    views_->redrawStage();
    views_->redrawTimeline();
  }
}
