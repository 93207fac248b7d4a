// Storing the show into a block of bytes and loading it back.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>

#include "show/show_state.h"
#include "show/stored_show.h"

namespace {

// A fresh change stamp: seeded from the millisecond clock, 0 to 32767. 0 is the stamp of a new show
// (a block stored with it would never be reloaded), and the previous stamp would hide the change from
// a host that compares stamps, so both are drawn again.
uint16_t freshStamp(uint16_t previous) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
  std::minstd_rand generator(uint32_t(ms % 65535));
  for (int attempt = 0; attempt < 64; ++attempt) {
    const auto stamp = uint16_t(generator() % 32768);
    if (stamp != 0 && stamp != previous) return stamp;
  }
  return uint16_t(previous % 32767 + 1);
}

}  // namespace

StoredShow Show::toStored() const {
  StoredShow stored;
  stored.changeStamp = changeStamp;
  stored.background = backgroundFile;
  stored.videoColours = videoColours ? 1 : 0;
  stored.alphaBlur = alphaBlur ? 1 : 0;
  const int pictures = std::clamp(pictureCount, 0, kMaxPictures);
  for (int i = 0; i < pictures; ++i) {
    const PictureSlot& slot = slots[i];
    StoredPicture p;
    p.file = slot.file;
    p.brushCode = slot.brushCode;
    p.tintColour = slot.tintColour;
    p.reserved[0] = slot.reserved[0];
    p.reserved[1] = slot.reserved[1];
    p.lock = slot.lock;
    // A track whose last key was deleted is still stored with its first key: a record without keys
    // reads back as the sound track and would end the show there.
    const int keys = std::clamp(slot.keyCount, 1, kMaxKeys);
    p.keys.assign(slot.keys, slot.keys + keys);
    stored.pictures.push_back(std::move(p));
  }
  if (!soundTrackFile.empty()) {
    stored.hasSoundTrack = true;
    stored.soundTrack = soundTrackFile;
  }
  return stored;
}

size_t Show::storedSize() const { return toStored().encodedSize(); }

long ShowState::storeShow(uint8_t* area, size_t capacity) {
  if (!area) return 0;
  // Measure first: a show that does not fit leaves both the area and the show as they were.
  if (storedSize() > capacity) return 0;

  float length = float(showLength);
  uint32_t lengthWord;
  std::memcpy(&lengthWord, &length, 4);
  const int pictures = std::clamp(pictureCount, 0, kMaxPictures);
  for (int i = 0; i < pictures; ++i) slots[i].keys[0].reserved11 = lengthWord;

  StoredShow stored = toStored();
  stored.changeStamp = freshStamp(changeStamp);
  const std::vector<uint8_t> bytes = encodeStoredShow(stored);
  std::memcpy(area, bytes.data(), bytes.size());

  changeStamp = stored.changeStamp;
  loadedFromBlock = true;
  modified = 0;
  return long(bytes.size());
}

bool ShowState::loadShow(const uint8_t* area, size_t size, bool redraw, std::string* error) {
  // Read and check everything before the show changes, so that a bad block leaves it as it was.
  StoredShow stored;
  std::string problem;
  if (!parseStoredShow(area, size, stored, problem)) {
    if (error) *error = problem;
    return false;
  }
  applyStored(stored);
  if (redraw) showAt(0, true);
  return true;
}

void ShowState::applyStored(const StoredShow& stored) {
  pictureCount = 0;
  backgroundFile = stored.background;
  backgroundFile.path[sizeof backgroundFile.path - 1] = 0;
  videoColours = stored.videoColours != 0;
  alphaBlur = stored.alphaBlur != 0;

  for (size_t i = 0; i < stored.pictures.size() && i < size_t(kMaxPictures); ++i) {
    const StoredPicture& p = stored.pictures[i];
    PictureSlot& slot = slots[i];
    // Paths are read as text: a stored path that fills all 256 bytes loses its last one.
    FileSpec file = p.file;
    file.path[sizeof file.path - 1] = 0;
    slot.file = file;
    slot.brushCode = p.brushCode;
    slot.tintColour = p.tintColour;
    slot.reserved[0] = p.reserved[0];
    slot.reserved[1] = p.reserved[1];
    slot.lock = p.lock;
    slot.keyCount = 0;

    // Each record keeps its own slot whether or not its picture loads. A picture that cannot be
    // loaded stays in the show with its file and keys and a blank image, so that the records behind
    // it keep their images and keys together and storing the show again loses nothing.
    const int slotIndex = int(i);
    loadPicture(file, -1);
    if (pictureCount != slotIndex + 1) {
      pictureCount = slotIndex + 1;
      slot.file = file;
      slot.image.create(8, 8, 32);
      if (uint8_t* pixels = slot.image.pixels()) std::memset(pixels, 0, slot.image.pixelBytes());
    }
    const int keys = std::clamp(int(p.keys.size()), 0, kMaxKeys);
    std::copy(p.keys.begin(), p.keys.begin() + keys, slot.keys);
    slot.keyCount = std::max(keys, 1);
  }

  if (stored.hasSoundTrack) {
    soundTrackFile = stored.soundTrack;
    soundTrackFile.path[sizeof soundTrackFile.path - 1] = 0;
  } else {
    soundTrackFile.clear();
  }
  changeStamp = stored.changeStamp;
  undoPosition = -1;
  undoCount = 0;
  redoCount = 0;
  modified = 0;
  loadedFromBlock = true;
}
