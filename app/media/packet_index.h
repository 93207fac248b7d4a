#pragma once
// Where each frame of a movie's video lies, read once from the container's packets without decoding:
// the order in which the frames are shown (by their time stamps), the keyframes a decoder can start
// from, and how to recognise a packet read after a seek.
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

struct PacketEntry {
  int64_t pos = -1;  // byte position in the file, -1 when the container does not say
  int64_t dts = INT64_MIN;
  int64_t pts = INT64_MIN;  // INT64_MIN: no time stamp
  bool key = false;
  bool discard = false;  // decoded for the frames after it but never shown (cut by an edit list)
};

class PacketIndex {
 public:
  static constexpr int64_t kNoTime = INT64_MIN;

  void add(const PacketEntry& entry) { packets_.push_back(entry); }
  // After the last packet: orders the shown frames. False when frames cannot be found by their time
  // stamps (a shown packet without one, two frames at one time) or packets cannot be recognised after
  // a seek; then only a decode from the start is exact.
  bool finish();

  int packets() const { return int(packets_.size()); }
  int frames() const { return int(shown_.size()); }
  const PacketEntry& packet(int i) const { return packets_[size_t(i)]; }
  int64_t framePts(int frame) const { return shown_[size_t(frame)]; }
  // The frame shown at `pts`, or -1.
  int frameAt(int64_t pts) const;
  // The first frame shown at `pts` or later (frames() when none).
  int firstFrameFrom(int64_t pts) const;
  // The packet a decode starts from to reach `frame`: the last keyframe in decode order shown no later
  // than the frame (so an open GOP's frames shown before their keyframe start from the keyframe
  // before), packet 0 when there is none. Starts refused earlier are passed over.
  int startFor(int frame) const;
  // A keyframe whose decode does not begin with its own picture is not a start any more.
  void refuse(int packet);
  // The packet read back after a seek, recognised by its position (or its decode time), or -1.
  int packetOf(int64_t pos, int64_t dts) const;

 private:
  std::vector<PacketEntry> packets_;
  std::vector<int64_t> shown_;  // shown packets' time stamps, in the order they are shown
  std::vector<int> starts_;     // keyframe packets in decode order, packet 0 first
  std::unordered_map<int64_t, int> byPos_, byDts_;
};
