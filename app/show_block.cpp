#include "app/show_block.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "show/show_file.h"

bool readShowBlock(const std::string& path, ShowBlock& block, std::string& error) {
  ShowFile file;
  // A show cut short would render with pictures silently missing; every command refuses it alike.
  if (!readShowFile(path, file, error)) {
    error = path + ": " + error;
    return false;
  }
  if (file.fileSize > KM_PARAMETER_BLOCK_SIZE) {
    error = "show '" + path + "' is larger than the 64000-byte parameter block";
    return false;
  }
  // The plug-in is handed the stored show and nothing of the file behind it.
  block.show = std::move(file.show);
  block.bytes.assign(KM_PARAMETER_BLOCK_SIZE, 0);
  std::memcpy(block.bytes.data(), file.storedBytes.data(), file.storedBytes.size());
  return true;
}

int storedShowLength(const ShowBlock& block) {
  StoredShow show;
  std::string error;
  if (!parseStoredShow(block.bytes.data(), block.bytes.size(), show, error) || show.pictures.empty()) return 1;
  float recorded = 0;
  std::memcpy(&recorded, &show.pictures[0].keys[0].reserved11, 4);
  if (std::isfinite(recorded) && recorded >= 1 && recorded < 1e7f) return int(recorded);
  // Wide arithmetic: a key may sit at INT_MAX, one frame past which no int can count.
  int64_t lastKey = 0;
  for (const StoredPicture& p : show.pictures)
    for (const KeyFrame& k : p.keys) lastKey = std::max<int64_t>(lastKey, k.time);
  return int(std::clamp<int64_t>(lastKey + 1, 1, INT_MAX));
}
