#pragma once
// Recently shown frames of the host's video, kept at the size they are shown so that going back over
// them, or asking again, decodes nothing. Bounded in bytes; the frame used longest ago goes first.
#include <cstddef>
#include <list>
#include <utility>

#include "app/media/host_frame.h"

class FrameCache {
 public:
  explicit FrameCache(size_t budgetBytes) : budget_(budgetBytes) {}
  // The frame when kept (then it counts as used just now), else nullptr.
  const HostFrame* find(int frame);
  // Keeps a copy of `picture` as `frame`, dropping the frames used longest ago beyond the budget.
  const HostFrame& keep(int frame, const HostFrame& picture);
  size_t bytes() const { return bytes_; }

 private:
  std::list<std::pair<int, HostFrame>> frames_;  // the most recently used first
  size_t budget_;
  size_t bytes_ = 0;
};
