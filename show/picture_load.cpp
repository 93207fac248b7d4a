#include <algorithm>

#include "show/show_state.h"

// Interim loader until the image readers are in: the picture joins the show with its file and keys,
// and its image stays blank.
int ShowState::loadPicture(const FileSpec& file, int slot) {
  if (std::strlen(file.path) < 3) return 0;
  if (slot == -1) {
    slot = std::min<int>(pictureCount, kMaxPictures);
    pictureCount = std::min<int>(pictureCount + 1, kMaxPictures);
  }
  slots[slot].file = file;
  slots[slot].file.path[255] = 0;
  modified = 1;
  return slot;
}
