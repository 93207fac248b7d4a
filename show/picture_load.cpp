#include <algorithm>
#include <cstring>
#include <filesystem>

#include "platform/ui_hooks.h"
#include "show/show_state.h"

namespace {
constexpr int kCursorArrow = 1;
constexpr int kCursorWait = 11;
}  // namespace

FileSpec ShowState::locatePicture(const FileSpec& file) const {
  namespace fs = std::filesystem;
  const fs::path stored(file.pathText());
  if (showFolder.empty() || stored.empty() || stored.is_absolute()) return file;
  const std::string beside = (fs::path(showFolder) / stored).lexically_normal().string();
  std::error_code ec;
  if (beside.size() >= sizeof file.path || !fs::is_regular_file(beside, ec)) return file;
  FileSpec found = file;
  found.setPath(beside);
  return found;
}

int ShowState::loadPicture(const FileSpec& file, int slot) {
  if (strnlen(file.path, sizeof file.path) < 3) return 0;
  if (slot < -1 || slot >= kSlotCount) return -1;
  // A 31st picture would go into a slot that is never rendered nor stored: refuse it plainly.
  if (slot == -1 && pictureCount >= kMaxPictures) {
    showMessage("A show holds at most 30 pictures", kNoCode);
    return -1;
  }

  setCursor(kCursorWait);
  ImageBuffer loaded(16, 16, 8);
  const FileSpec* alternate = alternateImageFolder.empty() ? nullptr : &alternateImageFolder;
  if (!loaded.loadWithMessages(locatePicture(file), alternate, showPictureErrors != 0)) {
    setCursor(kCursorArrow);
    return slot;
  }

  const bool fresh = slot == -1;
  const int countBefore = pictureCount;
  if (fresh) {
    slot = pictureCount;
    pictureCount += 1;
  }
  PictureSlot& picture = slots[slot];
  if (!picture.image.create(loaded.width(), loaded.height(), 32)) {
    // Nothing of the failed picture stays behind: the count counts only pictures with images.
    pictureCount = countBefore;
    showMessage("Not Enough Memory to load Image", kNoCode);
    setCursor(kCursorArrow);
    return 0;
  }
  picture.file = file;
  picture.file.path[sizeof picture.file.path - 1] = 0;

  loaded.convertInto(picture.image, 0, 0);
  if (loaded.bitsPerPixel() < 32) picture.image.setAlpha(255);
  picture.image.setBorderAlpha(0);
  if (alphaBlur) {
    picture.image.alphaBlur();
    picture.image.alphaBlur();
  }
  if (videoColours) picture.image.videoSafeColours();

  if (fresh) {
    KeyFrame& key = picture.keys[0];
    key.width = float(picture.image.width());
    key.height = float(picture.image.height());
    key.x = float(stageWidth() * 0.5);
    key.y = float(stageHeight() * 0.5);
    key.rotation = 0;
    key.amount = 0;
  }
  modified = 1;
  setCursor(kCursorArrow);
  return slot;
}
