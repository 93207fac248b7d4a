#include "app/media/frame_cache.h"

const HostFrame* FrameCache::find(int frame) {
  for (auto it = frames_.begin(); it != frames_.end(); ++it) {
    if (it->first != frame) continue;
    frames_.splice(frames_.begin(), frames_, it);
    return &frames_.front().second;
  }
  return nullptr;
}

const HostFrame& FrameCache::keep(int frame, const HostFrame& picture) {
  if (const HostFrame* kept = find(frame)) {
    bytes_ -= kept->pixels.size();
    frames_.pop_front();
  }
  frames_.emplace_front(frame, picture);
  bytes_ += picture.pixels.size();
  // The newest frame stays even when it alone is over the budget.
  while (bytes_ > budget_ && frames_.size() > 1) {
    bytes_ -= frames_.back().second.pixels.size();
    frames_.pop_back();
  }
  return frames_.front().second;
}
