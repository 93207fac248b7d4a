// The key operations on the current picture's track, each recorded in the undo ring.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "platform/ui_hooks.h"
#include "show/interpolation.h"
#include "show/show_state.h"
#include "show/show_views.h"

namespace {
constexpr int kUndoKeyAdded = 160;
constexpr int kUndoKeyDeleted = 161;
}  // namespace

int ShowState::keySnapDistance() const {
  const int scale = views_ ? views_->timelineScale() : 0;
  if (scale <= 0) return 4;
  // The time scale counts frames per 60 pixels; a key snaps within 4 frames at 30 frames per 60.
  const int d = int(std::trunc(double(scale) * 0.033333335 * 4.0));
  return std::max(d, 2);
}

int ShowState::setKeyNow() {
  const int p = currentPicture;
  if (p < 0 || p >= kSlotCount) return 0;
  PictureSlot& slot = slots[p];
  if (slot.lock) return 0;

  currentTime = int32_t(std::min<int64_t>(currentTime, int64_t(showLength) - 1));
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
    stateAt(state, p, keyTime, false);
  }
  state.time = keyTime;
  state.flags = 0;
  state.reserved9 = first.reserved9;
  if (adding) state.easeCode = 0;
  slot.keys[target] = state;

  if (adding) undoRecord = state;
  pushUndo(undoRecord, undoCode, p);

  sortKeys(p);
  showAt(currentTime, true);
  modified = 1;
  return adding ? 1 : 0;
}

void ShowState::deleteKey(int keyIndex, int picture) {
  if (keyIndex < 0 || keyIndex >= kMaxKeys || picture < 0 || picture >= kSlotCount) return;
  PictureSlot& slot = slots[picture];
  // A key beyond the track is no key: removing it would only shorten the track by its last key.
  if (keyIndex >= slot.keyCount) return;
  pushUndo(slot.keys[keyIndex], kUndoKeyDeleted, picture);
  slot.keyCount -= 1;
  std::copy(slot.keys + keyIndex + 1, slot.keys + kMaxKeys, slot.keys + keyIndex);
  modified = 1;
}

void ShowState::sortKeys(int picture) {
  if (picture < 0 || picture >= kSlotCount) return;
  PictureSlot& slot = slots[picture];
  const int count = std::clamp(slot.keyCount, 0, kMaxKeys);
  bool changed = false;
  for (int i = 0; i < count; ++i) {
    int smallest = i;
    for (int j = i + 1; j < count; ++j) {
      if (slot.keys[j].time < slot.keys[smallest].time) smallest = j;
    }
    if (smallest != i) {
      std::swap(slot.keys[i], slot.keys[smallest]);
      changed = true;
    }
  }
  if (changed) modified = 1;
}

int ShowState::findKeyNear(int time) const {
  const int p = currentPicture;
  if (p < 0 || p >= kSlotCount) return -1;
  const PictureSlot& slot = slots[p];
  const int count = std::clamp(slot.keyCount, 0, kMaxKeys);
  for (int i = 0; i < count; ++i) {
    if (std::abs((long long)slot.keys[i].time - time) < 4) return i;
  }
  return -1;
}

int ShowState::shiftKeys(int after, int delta) {
  const int p = currentPicture;
  if (p < 0 || p >= kSlotCount) return 1;
  PictureSlot& slot = slots[p];
  const int count = std::clamp(slot.keyCount, 0, kMaxKeys);
  for (int i = 0; i < count; ++i) {
    KeyFrame& key = slot.keys[i];
    if (key.time <= after) continue;
    pushUndo(key, i, p);
    const long long moved = (long long)key.time + delta;
    key.time = int32_t(std::clamp<long long>(moved, 0, std::max(showLength, 0)));
    modified = 1;
  }
  return 1;
}
