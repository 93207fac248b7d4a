// The undo ring: 32 entries, each a key record whose last field holds the picture and the undo code.
// Applying an entry exchanges it with the show, so the same entry serves undo and redo.
#include <algorithm>
#include <cstring>

#include "show/show_state.h"

namespace {
constexpr int kRingSize = 32;
constexpr int kUndoKeyAdded = 160;
constexpr int kUndoKeyDeleted = 161;
}  // namespace

void ShowState::pushUndo(const KeyFrame& record, int code, int picture) {
  if (picture < 0 || picture >= kSlotCount) return;
  undoCount = std::min(undoCount + 1, kRingSize);
  undoPosition = (undoPosition + 1) % kRingSize;
  KeyFrame& entry = undoRing[undoPosition];
  entry = record;
  entry.tag = uint16_t(picture);
  entry.flags = uint16_t(code);
  // Entries ahead of a new one belong to another history: redoing them would write stale keys.
  redoCount = 0;
}

void ShowState::undo() {
  if (undoCount <= 0) return;
  if (undoPosition < 0 || undoPosition >= kRingSize) return;
  applyUndoEntry(undoRing[undoPosition]);
  undoPosition = undoPosition - 1 < 0 ? kRingSize - 1 : undoPosition - 1;
  redoCount = std::min(redoCount + 1, kRingSize);
  undoCount = std::max(undoCount - 1, 0);
}

void ShowState::redo() {
  if (redoCount <= 0) return;
  undoPosition = (undoPosition + 1) % kRingSize;
  applyUndoEntry(undoRing[undoPosition]);
  undoCount = std::min(undoCount + 1, kRingSize);
  redoCount = std::max(redoCount - 1, 0);
}

void ShowState::applyUndoEntry(KeyFrame& entry) {
  const int p = entry.tag;
  const int code = entry.flags;
  if (p >= kSlotCount) return;
  PictureSlot& slot = slots[p];
  const int count = std::clamp(slot.keyCount, 0, kMaxKeys);

  if (code == kUndoKeyAdded) {
    if (count == 0) return;
    int found = -1;
    for (int i = 0; i < count; ++i) {
      if (slot.keys[i].time == entry.time) {
        found = i;
        break;
      }
    }
    if (found < 0) return;
    entry = slot.keys[found];
    // The key's own first half-word is whatever the stage carried; the entry must keep naming the
    // picture, or redoing it would put the key back into another picture's track.
    entry.tag = uint16_t(p);
    entry.flags = kUndoKeyDeleted;
    std::copy(slot.keys + found + 1, slot.keys + kMaxKeys, slot.keys + found);
    slot.keyCount = count - 1;
    modified = 1;
  } else if (code == kUndoKeyDeleted) {
    // A full track has no room for the key; the entry stays as it is.
    if (count >= kMaxKeys) return;
    slot.keys[count] = entry;
    slot.keys[count].flags = 0;
    slot.keyCount = count + 1;
    sortKeys(p);
    entry.flags = kUndoKeyAdded;
    modified = 1;
  } else if (code >= 0 && code < kMaxKeys) {
    const KeyFrame kept = slot.keys[code];
    slot.keys[code] = entry;
    slot.keys[code].flags = 0;
    // A key moved in time (a timeline drag) may sort into another place; the entry follows it, so
    // that undo and redo keep exchanging the same key and the track stays in time order.
    const KeyFrame written = slot.keys[code];
    sortKeys(p);
    int landed = code;
    for (int i = 0; i < count; ++i) {
      if (std::memcmp(&slot.keys[i], &written, sizeof written) == 0) {
        landed = i;
        break;
      }
    }
    entry = kept;
    entry.tag = uint16_t(p);
    entry.flags = uint16_t(landed);
    modified = 1;
  }
}
