// Moving pictures between slots: delete, copy, and move within the list. None of it is undoable.
#include <algorithm>

#include "show/show_state.h"

int ShowState::deletePicture(int index) {
  if (index < 0 || index >= kSlotCount) return 0;
  // Only a picture in use can be deleted: any other index would drop the last picture of the show.
  if (index >= pictureCount) return 0;
  pictureCount -= 1;
  for (int i = index; i < pictureCount; ++i) copyPicture(i, i + 1);
  PictureSlot& unused = slots[pictureCount];
  unused.keyCount = 1;
  unused.brushCode = 0;
  unused.reserved[0] = unused.reserved[1] = 0;
  unused.lock = 0;
  modified = 1;
  return 1;
}

int ShowState::copyPicture(int target, int source) {
  if (target < 0 || target >= kSlotCount || source < 0 || source >= kSlotCount) return 0;
  if (target == source) return 1;
  PictureSlot& to = slots[target];
  const PictureSlot& from = slots[source];
  to.keyCount = from.keyCount;
  const int keys = std::clamp(from.keyCount, 0, kMaxKeys);
  std::copy(from.keys, from.keys + keys, to.keys);
  to.file = from.file;
  from.image.copyTo(to.image, true);
  to.tintColour = from.tintColour;
  to.brushCode = from.brushCode;
  to.reserved[0] = from.reserved[0];
  to.reserved[1] = from.reserved[1];
  to.lock = from.lock;
  modified = 1;
  return 1;
}

int ShowState::movePicture(int to, int from) {
  if (to == from || to < 0 || from < 0 || to >= pictureCount || from >= pictureCount) return 0;
  copyPicture(kScratchSlot, from);
  deletePicture(from);
  const int after = from < to ? to - 1 : to;
  for (int i = pictureCount - 1; i >= after + 1; --i) copyPicture(i + 1, i);
  copyPicture(after + 1, kScratchSlot);
  pictureCount += 1;
  modified = 1;
  return 1;
}
