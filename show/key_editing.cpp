// The key operations on the current picture's track, each recorded in the undo ring.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/ui_hooks.h"
#include "show/interpolation.h"
#include "show/edit_session.h"
#include "show/show.h"
#include "show/show_views.h"

namespace {
constexpr int kUndoKeyAdded = 160;
constexpr int kUndoKeyDeleted = 161;
}  // namespace

int EditSession::keySnapDistance() const {
  const int scale = views_ ? views_->timelineScale() : 0;
  if (scale <= 0) return 4;
  // The time scale counts frames per 60 pixels; a key snaps within 4 frames at 30 frames per 60.
  const int d = int(std::trunc(double(scale) * 0.033333335 * 4.0));
  return std::max(d, 2);
}

int EditSession::setKeyNow(Show& show, bool autoAddKeys) {
  const int p = currentPicture;
  if (p < 0 || p >= kSlotCount) return 0;
  PictureSlot& slot = show.slots[p];
  if (slot.lock) return 0;

  currentTime = int32_t(std::min<int64_t>(currentTime, int64_t(show.showLength) - 1));
  const KeyFrame first = slot.keys[0];
  const int d = keySnapDistance();
  const int count = std::clamp(slot.keyCount, 0, kMaxKeys);

  int target = -1;
  if (currentTime < 2 * d) {
    target = 0;
  } else {
    for (int i = 0; i < count; ++i) {
      if (std::abs((long long)slot.keys[i].time - currentTime) < d) {
        target = i;
        break;
      }
    }
  }

  const bool adding = target < 0;
  int keyTime;
  KeyFrame undoRecord;
  int undoCode;
  if (adding) {
    // The last place stays free, so that undoing a deletion always has room for the key.
    if (count >= kMaxKeys - 1) return 0;
    target = count;
    slot.keyCount = count + 1;
    keyTime = currentTime;
    undoCode = kUndoKeyAdded;
  } else {
    keyTime = slot.keys[target].time;
    undoRecord = slot.keys[target];
    undoCode = target;
  }

  if (!(autoAddKeys && !adding)) beep();
  if (!autoAddKeys && (adding || target == 0))
    currentTime = int32_t(std::clamp<int64_t>(int64_t(currentTime) + framesPerSecond(), INT32_MIN, INT32_MAX));

  // Without an open stage the picture's working state is what it shows at the current time.
  KeyFrame state;
  if (views_) {
    state = views_->workingStates()[p];
  } else {
    show.stateAt(state, p, keyTime, false);
  }
  state.time = keyTime;
  state.flags = 0;
  state.reserved9 = first.reserved9;
  if (adding) state.easeCode = 0;
  slot.keys[target] = state;

  if (adding) undoRecord = state;

  sortKeys(show, p);
  // The entry names where the key stands once sorted, so that undo takes out that very key even
  // where another has the same time.
  int landed = target;
  if (adding) {
    for (int i = count; i >= 0; --i) {
      if (std::memcmp(&slot.keys[i], &state, sizeof state) == 0) {
        landed = i;
        break;
      }
    }
  }
  pushUndo(undoRecord, undoCode, p, landed);
  showAt(show, currentTime, true);
  modified = 1;
  return adding ? 1 : 0;
}

void EditSession::deleteKey(Show& show, int keyIndex, int picture) {
  if (keyIndex < 0 || keyIndex >= kMaxKeys || picture < 0 || picture >= kSlotCount) return;
  PictureSlot& slot = show.slots[picture];
  // A key beyond the track is no key: removing it would only shorten the track by its last key.
  if (keyIndex >= slot.keyCount) return;
  pushUndo(slot.keys[keyIndex], kUndoKeyDeleted, picture, keyIndex);
  slot.keyCount -= 1;
  std::copy(slot.keys + keyIndex + 1, slot.keys + kMaxKeys, slot.keys + keyIndex);
  modified = 1;
}

void EditSession::sortKeys(Show& show, int picture) {
  if (picture < 0 || picture >= kSlotCount) return;
  PictureSlot& slot = show.slots[picture];
  const int count = std::clamp(slot.keyCount, 0, kMaxKeys);
  // Keys of equal time keep their order: undo takes keys out and puts them back by place, so a sort
  // that exchanged equal keys would leave the track other than it was.
  bool changed = false;
  for (int i = 1; i < count; ++i) {
    int j = i;
    while (j > 0 && slot.keys[j - 1].time > slot.keys[j].time) {
      std::swap(slot.keys[j - 1], slot.keys[j]);
      --j;
      changed = true;
    }
  }
  if (changed) modified = 1;
}

int EditSession::findKeyNear(const Show& show, int time) const {
  const int p = currentPicture;
  if (p < 0 || p >= kSlotCount) return -1;
  const PictureSlot& slot = show.slots[p];
  const int count = std::clamp(slot.keyCount, 0, kMaxKeys);
  for (int i = 0; i < count; ++i) {
    if (std::abs((long long)slot.keys[i].time - time) < 4) return i;
  }
  return -1;
}

int EditSession::shiftKeys(Show& show, int after, int delta) {
  const int p = currentPicture;
  if (p < 0 || p >= kSlotCount) return 1;
  PictureSlot& slot = show.slots[p];
  const int count = std::clamp(slot.keyCount, 0, kMaxKeys);
  for (int i = 0; i < count; ++i) {
    KeyFrame& key = slot.keys[i];
    if (key.time <= after) continue;
    pushUndo(key, i, p, i);
    const long long moved = (long long)key.time + delta;
    key.time = int32_t(std::clamp<long long>(moved, 0, std::max(show.showLength, 0)));
    modified = 1;
  }
  return 1;
}

int EditSession::moveKey(Show& show, int keyIndex, int time, int picture) {
  if (picture < 0 || picture >= kSlotCount) return -1;
  PictureSlot& slot = show.slots[picture];
  const int count = std::clamp(slot.keyCount, 0, kMaxKeys);
  if (keyIndex < 0 || keyIndex >= count) return -1;
  const KeyFrame before = slot.keys[keyIndex];
  if (before.time == time) return keyIndex;
  KeyFrame moved = before;
  moved.time = time;
  moved.flags = 0;
  int to = keyIndex;
  if (time > before.time) {
    while (to + 1 < count && slot.keys[to + 1].time < time) ++to;
    std::copy(slot.keys + keyIndex + 1, slot.keys + to + 1, slot.keys + keyIndex);
  } else {
    while (to > 0 && slot.keys[to - 1].time > time) --to;
    std::copy_backward(slot.keys + to, slot.keys + keyIndex, slot.keys + keyIndex + 1);
  }
  slot.keys[to] = moved;
  pushUndo(before, to, picture, keyIndex);
  modified = 1;
  return to;
}

void EditSession::moveLaterKeys(Show& show, int after, int delta, int& followed) {
  const int p = currentPicture;
  if (p < 0 || p >= kSlotCount || delta == 0) return;
  PictureSlot& slot = show.slots[p];
  const int count = std::clamp(slot.keyCount, 0, kMaxKeys);
  // Where each key that stood at i stands now, as the moves before it reorder the track.
  std::vector<int> at(size_t(count) + 1);
  for (int i = 0; i < count; ++i) at[size_t(i)] = i;
  std::vector<int> later;
  for (int i = 0; i < count; ++i) {
    if (i != followed && slot.keys[i].time > after) later.push_back(i);
  }
  // Each key moves before those that would otherwise pass it, so that the later keys keep their order.
  if (delta > 0) std::reverse(later.begin(), later.end());
  at[size_t(count)] = followed;
  for (const int k : later) {
    const int from = at[size_t(k)];
    const long long shifted = (long long)slot.keys[from].time + delta;
    const int to = moveKey(show, from, int(std::clamp<long long>(shifted, 0, std::max(show.showLength, 0))), p);
    if (to < 0 || to == from) continue;
    for (int& a : at) {
      if (a == from) a = to;
      else if (from < to && a > from && a <= to) --a;
      else if (to < from && a >= to && a < from) ++a;
    }
  }
  followed = at[size_t(count)];
}
