// The undo ring: 32 entries, each a key record whose last field holds the picture and the undo code.
// Applying an entry exchanges it with the show, so the same entry serves undo and redo.
#include <algorithm>
#include <cstring>

#include "show/edit_session.h"
#include "show/show.h"

namespace {
constexpr int kRingSize = 32;
constexpr int kUndoKeyAdded = 160;
constexpr int kUndoKeyDeleted = 161;
}  // namespace

namespace {
// Takes key `index` out of a track of `count` keys.
void removeKey(PictureSlot& slot, int index, int count) {
  std::copy(slot.keys + index + 1, slot.keys + count, slot.keys + index);
  slot.keys[count - 1] = KeyFrame{};
  slot.keyCount = count - 1;
}

// Puts a key in at `index` of a track of `count` keys (count < kMaxKeys).
void insertKey(PictureSlot& slot, int index, int count, const KeyFrame& key) {
  std::copy_backward(slot.keys + index, slot.keys + count, slot.keys + count + 1);
  slot.keys[index] = key;
  slot.keyCount = count + 1;
}
}  // namespace

void EditSession::pushUndo(const KeyFrame& record, int code, int picture, int place) {
  if (picture < 0 || picture >= kSlotCount) return;
  undoCount = std::min(undoCount + 1, kRingSize);
  undoPosition = (undoPosition + 1) % kRingSize;
  KeyFrame& entry = undoRing[undoPosition];
  entry = record;
  entry.tag = uint16_t(picture);
  entry.flags = uint16_t(code);
  undoPlaces[undoPosition] = {record.tag, record.flags, int16_t(place < 0 || place >= kMaxKeys ? -1 : place)};
  // Entries ahead of a new one belong to another history: redoing them would write stale keys.
  redoCount = 0;
}

void EditSession::undo(Show& show) {
  if (undoCount <= 0) return;
  if (undoPosition < 0 || undoPosition >= kRingSize) return;
  applyUndoEntry(show, undoPosition);
  undoPosition = undoPosition - 1 < 0 ? kRingSize - 1 : undoPosition - 1;
  redoCount = std::min(redoCount + 1, kRingSize);
  undoCount = std::max(undoCount - 1, 0);
}

void EditSession::redo(Show& show) {
  if (redoCount <= 0) return;
  undoPosition = (undoPosition + 1) % kRingSize;
  applyUndoEntry(show, undoPosition);
  undoCount = std::min(undoCount + 1, kRingSize);
  redoCount = std::max(redoCount - 1, 0);
}

void EditSession::applyUndoEntry(Show& show, int position) {
  KeyFrame& entry = undoRing[position];
  UndoPlace& place = undoPlaces[position];
  const int p = entry.tag;
  const int code = entry.flags;
  if (p >= kSlotCount) return;
  PictureSlot& slot = show.slots[p];
  const int count = std::clamp(slot.keyCount, 0, kMaxKeys);
  // The entry's record as the key it was, with its own half-words of field 13.
  KeyFrame recorded = entry;
  recorded.tag = place.keyTag;
  recorded.flags = place.keyFlags;
  // The entry takes the key it displaces, keeping naming the picture, so that applying it again
  // (redo after undo) exchanges the same two records.
  const auto keep = [&](const KeyFrame& key, int newCode, int newPlace) {
    entry = key;
    entry.tag = uint16_t(p);
    entry.flags = uint16_t(newCode);
    place = {key.tag, key.flags, int16_t(newPlace)};
  };

  if (code == kUndoKeyAdded) {
    if (count == 0) return;
    int found = -1;
    if (place.place >= 0 && place.place < count && slot.keys[place.place].time == entry.time) {
      found = place.place;
    } else {
      for (int i = 0; i < count; ++i) {
        if (slot.keys[i].time == entry.time) {
          found = i;
          break;
        }
      }
    }
    if (found < 0) return;
    keep(slot.keys[found], kUndoKeyDeleted, found);
    removeKey(slot, found, count);
    modified = 1;
  } else if (code == kUndoKeyDeleted) {
    // A full track has no room for the key; the entry stays as it is.
    if (count >= kMaxKeys) return;
    int landed;
    if (place.place >= 0 && place.place <= count) {
      landed = place.place;
      insertKey(slot, landed, count, recorded);
    } else {
      slot.keys[count] = recorded;
      slot.keys[count].flags = 0;
      slot.keyCount = count + 1;
      const KeyFrame written = slot.keys[count];
      sortKeys(show, p);
      landed = count;
      for (int i = 0; i <= count; ++i) {
        if (std::memcmp(&slot.keys[i], &written, sizeof written) == 0) {
          landed = i;
          break;
        }
      }
    }
    entry.flags = kUndoKeyAdded;
    place.place = int16_t(landed);
    modified = 1;
  } else if (code >= 0 && code < kMaxKeys) {
    if (code >= count) return;
    const KeyFrame kept = slot.keys[code];
    if (place.place >= 0) {
      // The key went from `place` to `code`: it goes back where it stood.
      const int back = std::min<int>(place.place, count - 1);
      removeKey(slot, code, count);
      insertKey(slot, back, count - 1, recorded);
      keep(kept, back, code);
      modified = 1;
      return;
    }
    slot.keys[code] = recorded;
    slot.keys[code].flags = 0;
    // A key moved in time (a timeline drag) may sort into another place; the entry follows it, so
    // that undo and redo keep exchanging the same key and the track stays in time order.
    const KeyFrame written = slot.keys[code];
    sortKeys(show, p);
    int landed = code;
    for (int i = 0; i < count; ++i) {
      if (std::memcmp(&slot.keys[i], &written, sizeof written) == 0) {
        landed = i;
        break;
      }
    }
    keep(kept, landed, -1);
    modified = 1;
  }
}
