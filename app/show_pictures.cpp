#include "app/show_pictures.h"

#include <cstring>
#include <filesystem>

#include "image/picture_check.h"
#include "image/picture_location.h"
#include "platform/file_spec.h"
#include "platform/settings_file.h"

namespace fs = std::filesystem;

namespace {

// Offset of the FileSpec's path inside a stored FileSpec (after the volume and folder numbers).
constexpr size_t kPathOffset = 6;
constexpr size_t kPathBytes = sizeof(FileSpec::path);

std::string alternateFolder() {
  SettingsFile settings;
  settings.readSettings();
  return settings.getText("AltImageFolder", "");
}

}  // namespace

std::vector<PictureProblem> resolveShowPictures(ShowBlock& block, const std::string& showPath) {
  std::vector<PictureProblem> problems;
  const std::string showFolder = fs::path(showPath).parent_path().string();
  const std::string alternate = alternateFolder();
  size_t record = kStoredHeaderSize;
  for (const StoredPicture& picture : block.show.pictures) {
    const size_t at = record;
    record += kStoredRecordSize + kStoredKeySize * picture.keys.size();
    const std::string stored = picture.file.pathText();
    // The plug-in takes no picture from a path this short.
    if (stored.size() < 3) {
      problems.push_back({stored, "no file named"});
      continue;
    }
    const std::string found = locatePicture(stored, showFolder, alternate);
    if (found.empty()) {
      problems.push_back({stored, "Can't open graphics file"});
      continue;
    }
    const std::string problem = pictureLoadProblem(found);
    if (!problem.empty()) {
      problems.push_back({stored, problem});
      continue;
    }
    if (found != stored && found.size() < kPathBytes) {
      uint8_t* path = block.bytes.data() + at + kPathOffset;
      std::memset(path, 0, kPathBytes);
      std::memcpy(path, found.data(), found.size());
    }
  }
  return problems;
}

std::string describePictureProblems(const std::string& showPath, const std::vector<PictureProblem>& problems) {
  std::string text = showPath + ": " + std::to_string(problems.size()) +
                     (problems.size() == 1 ? " picture cannot be loaded: " : " pictures cannot be loaded: ");
  for (size_t i = 0; i < problems.size(); ++i) {
    if (i) text += ", ";
    text += "'" + problems[i].path + "' (" + problems[i].reason + ")";
  }
  return text;
}
