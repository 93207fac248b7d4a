#include "show/show.h"

void Show::clearDocument() {
  for (PictureSlot& s : slots) {
    s.image.create(8, 8, 32);
    s.keyCount = 1;
    for (KeyFrame& k : s.keys) k = KeyFrame{};
    s.keys[0].x = 200;
    s.keys[0].y = 200;
    s.keys[0].width = 100;
    s.keys[0].height = 100;
    s.keys[0].time = 0;
    s.file.clear();
    s.tintColour = 255;
    s.brushCode = 0;
    s.reserved[0] = s.reserved[1] = 0;
    s.lock = 0;
  }
  changeStamp = 0;
  pictureCount = 0;
  soundTrackFile.path[0] = 0;
  backgroundFile.path[0] = 0;
  backgroundPicture.create(8, 8, 32);
}

void Show::getKey(int keyIndex, KeyFrame& out, int picture) const {
  if (keyIndex < 0 || keyIndex >= kMaxKeys || picture < 0 || picture >= kSlotCount) return;
  out = slots[picture].keys[keyIndex];
}
