// Stored shows from arbitrary bytes: reading never fails unsafely, what reads also writes back to the
// same bytes, and a show loaded from it stores and reads again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/settings_file.h"
#include "show/show_state.h"
#include "show/stored_show.h"

namespace {

ShowState& show() {
  static SettingsFile settingsText;
  static auto instance = std::make_unique<ShowState>(settingsText);
  return *instance;
}

// Clears the first path byte of every picture record, so that loading opens no files named by the
// input; the picture loader then refuses them as it refuses any path too short.
std::vector<uint8_t> withoutPicturePaths(const uint8_t* data, size_t size, const StoredShow& parsed) {
  std::vector<uint8_t> bytes(data, data + size);
  size_t at = kStoredHeaderSize;
  for (const StoredPicture& p : parsed.pictures) {
    bytes[at + 6] = 0;
    at += kStoredRecordSize + kStoredKeySize * p.keys.size();
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StoredShow parsed;
  std::string error;
  if (!parseStoredShow(data, size, parsed, error)) {
    if (error.empty()) std::abort();
    // A refused block leaves the show as it was.
    ShowState& s = show();
    const int pictures = s.pictureCount;
    const uint16_t stamp = s.changeStamp;
    if (s.loadShow(data, size, false) || s.pictureCount != pictures || s.changeStamp != stamp) std::abort();
    return 0;
  }
  const std::vector<uint8_t> encoded = encodeStoredShow(parsed);
  if (encoded.size() > size || std::memcmp(encoded.data(), data, encoded.size()) != 0) std::abort();

  ShowState& s = show();
  s.newShow();
  const std::vector<uint8_t> safe = withoutPicturePaths(data, size, parsed);
  if (!s.loadShow(safe.data(), safe.size(), false)) std::abort();
  if (s.pictureCount != int(parsed.pictures.size())) std::abort();
  for (int i = 0; i < s.pictureCount; ++i) {
    KeyFrame state;
    s.stateAt(state, i, 0, false);
    s.stateAt(state, i, s.slots[i].keys[s.slots[i].keyCount - 1].time, true);
  }
  std::vector<uint8_t> area(s.storedSize());
  if (s.storeShow(area.data(), area.size()) != long(area.size())) std::abort();
  StoredShow again;
  if (!parseStoredShow(area.data(), area.size(), again, error)) std::abort();
  if (again.pictures.size() != parsed.pictures.size()) std::abort();
  return 0;
}
