#include <algorithm>

#include "show/interpolation.h"
#include "show/edit_session.h"
#include "show/show.h"
#include "show/show_views.h"

void Show::stateAt(KeyFrame& out, int picture, int time, bool halfFrame) const {
  if (picture < 0 || picture >= kSlotCount) return;
  const PictureSlot& slot = slots[picture];
  out = trackStateAt(std::clamp(slot.keyCount, 1, kMaxKeys), slot.keys, time, halfFrame);
}

void EditSession::showAt(const Show& show, int time, bool redraw) {
  time = std::clamp(time, 0, std::max(show.showLength, 0));
  currentTime = time;
  if (!views_) return;
  KeyFrame* working = views_->workingStates();
  const int pictures = std::clamp(show.pictureCount, 0, kSlotCount);
  for (int i = 0; i < pictures; ++i) show.stateAt(working[i], i, time, false);
  if (redraw) {
    views_->redrawStage();
    views_->redrawTimeline();
  }
}
