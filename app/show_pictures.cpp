#include "app/show_pictures.h"

#include <cstring>
#include <filesystem>

#include "image/picture_check.h"
#include "platform/file_spec.h"
#include "platform/settings_file.h"

namespace fs = std::filesystem;

namespace {

// Offset of the FileSpec's path inside a stored FileSpec (after the volume and folder numbers).
constexpr size_t kPathOffset = 6;
constexpr size_t kPathBytes = sizeof(FileSpec::path);

std::string bareName(const std::string& path) {
  const size_t cut = path.find_last_of("/\\:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string alternateFolder() {
  SettingsFile settings;
  settings.readSettings();
  std::string folder = settings.getText("AltImageFolder", "");
  if (!folder.empty() && folder.back() == '\\') folder.back() = '/';
  return folder;
}

// Where the plug-in may find a picture, in the order it is looked for.
std::vector<std::string> candidates(const std::string& stored, const fs::path& showFolder, const std::string& alternate) {
  std::vector<std::string> out;
  const fs::path path(stored);
  if (path.is_relative() && !showFolder.empty()) out.push_back((showFolder / path).lexically_normal().string());
  out.push_back(stored);
  if (!alternate.empty()) out.push_back((fs::path(alternate) / bareName(stored)).string());
  return out;
}

bool isFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

}  // namespace

std::vector<PictureProblem> resolveShowPictures(ShowBlock& block, const std::string& showPath) {
  std::vector<PictureProblem> problems;
  const fs::path showFolder = fs::path(showPath).parent_path();
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
    std::string found;
    for (const std::string& c : candidates(stored, showFolder, alternate))
      if (isFile(c)) {
        found = c;
        break;
      }
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
