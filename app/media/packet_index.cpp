#include "app/media/packet_index.h"

#include <algorithm>

namespace {

// Each packet under its key, or an empty map when a key is missing or repeated.
template <typename Key>
std::unordered_map<int64_t, int> keyed(const std::vector<PacketEntry>& packets, Key key) {
  std::unordered_map<int64_t, int> map;
  for (size_t i = 0; i < packets.size(); ++i) {
    const int64_t k = key(packets[i]);
    if (k == PacketIndex::kNoTime || !map.emplace(k, int(i)).second) return {};
  }
  return map;
}

}  // namespace

bool PacketIndex::finish() {
  shown_.clear();
  starts_.clear();
  for (size_t i = 0; i < packets_.size(); ++i) {
    const PacketEntry& p = packets_[i];
    if (i == 0 || p.key) starts_.push_back(int(i));
    if (p.discard) continue;
    if (p.pts == kNoTime) return false;
    shown_.push_back(p.pts);
  }
  std::sort(shown_.begin(), shown_.end());
  if (shown_.empty() || std::adjacent_find(shown_.begin(), shown_.end()) != shown_.end()) return false;
  byPos_ = keyed(packets_, [](const PacketEntry& p) { return p.pos < 0 ? kNoTime : p.pos; });
  if (byPos_.empty()) byDts_ = keyed(packets_, [](const PacketEntry& p) { return p.dts; });
  return !byPos_.empty() || !byDts_.empty();
}

int PacketIndex::frameAt(int64_t pts) const {
  const auto it = std::lower_bound(shown_.begin(), shown_.end(), pts);
  return it != shown_.end() && *it == pts ? int(it - shown_.begin()) : -1;
}

int PacketIndex::firstFrameFrom(int64_t pts) const {
  return int(std::lower_bound(shown_.begin(), shown_.end(), pts) - shown_.begin());
}

int PacketIndex::startFor(int frame) const {
  const int64_t pts = shown_[size_t(frame)];
  for (auto it = starts_.rbegin(); it != starts_.rend(); ++it) {
    const PacketEntry& p = packets_[size_t(*it)];
    if (*it == 0 || (p.pts != kNoTime && p.pts <= pts)) return *it;
  }
  return 0;
}

void PacketIndex::refuse(int packet) {
  if (packet == 0) return;
  starts_.erase(std::remove(starts_.begin(), starts_.end(), packet), starts_.end());
}

int PacketIndex::packetOf(int64_t pos, int64_t dts) const {
  const auto& map = byPos_.empty() ? byDts_ : byPos_;
  const auto it = map.find(byPos_.empty() ? dts : pos);
  return it == map.end() ? -1 : it->second;
}
