#include "app/show_sound_track.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "show/stored_show.h"

namespace fs = std::filesystem;

std::string showSoundTrackPath(const std::string& showPath, const ShowBlock& block) {
  StoredShow show;
  std::string error;
  if (!parseStoredShow(block.bytes.data(), block.bytes.size(), show, error) || !show.hasSoundTrack) return "";
  std::string stored = show.soundTrack.pathText();
  if (stored.empty()) return "";
  for (char& c : stored)
    if (c == '\\') c = '/';
  std::error_code ec;
  const fs::path path(stored);
  std::vector<fs::path> candidates;
  if (path.is_absolute()) candidates.push_back(path);
  else candidates = {fs::path(showPath).parent_path() / path, path};
  // A Windows path such as C:/audio/theme.wav still finds the file beside the show.
  candidates.push_back(fs::path(showPath).parent_path() / path.filename());
  for (const fs::path& c : candidates)
    if (fs::is_regular_file(c, ec)) return c.string();
  return "";
}
