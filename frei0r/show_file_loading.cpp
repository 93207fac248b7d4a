#include "frei0r/show_file_loading.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "image/picture_check.h"
#include "show/stored_show.h"

namespace fs = std::filesystem;

namespace {
bool isFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

std::string bareName(const std::string& path) {
  const size_t cut = path.find_last_of("/\\:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}
}  // namespace

bool readShowFile(const std::string& path, StoredShow& out, std::string& error) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) {
    error = "cannot be opened";
    return false;
  }
  // One byte more than the largest legal show tells a file that is too long from one that fits.
  std::vector<uint8_t> bytes(kMaxStoredShowSize + 1);
  const size_t size = std::fread(bytes.data(), 1, bytes.size(), file.get());
  if (std::ferror(file.get())) {
    error = "cannot be read";
    return false;
  }
  if (size > kMaxStoredShowSize) {
    error = "is larger than any show";
    return false;
  }
  std::string why;
  if (!parseStoredShow(bytes.data(), size, out, why)) {
    error = "holds no show (" + why + ")";
    return false;
  }
  return true;
}

PictureTrouble resolvePicturePaths(StoredShow& show, const std::string& showPath, const std::string& alternateFolder) {
  PictureTrouble trouble;
  std::vector<std::string>& missing = trouble.missing;
  // A file that is there but that no reader takes is named with the reader's reason.
  auto check = [&](const std::string& stored, const std::string& found) {
    const std::string problem = pictureLoadProblem(found);
    if (!problem.empty()) trouble.unreadable.push_back("'" + stored + "' (" + problem + ")");
  };
  const fs::path folder = fs::path(showPath).parent_path();
  for (StoredPicture& picture : show.pictures) {
    const std::string stored = picture.file.pathText();
    const fs::path path(stored);
    if (stored.size() >= 3 && path.is_relative() && !folder.empty()) {
      const std::string beside = (folder / path).lexically_normal().string();
      if (isFile(beside) && beside.size() < sizeof picture.file.path) {
        picture.file.setPath(beside);
        check(stored, beside);
        continue;
      }
    }
    if (stored.size() < 3) {
      missing.push_back(stored);
      continue;
    }
    std::string alternate;
    if (!alternateFolder.empty()) {
      std::string folderText = alternateFolder;
      if (folderText.back() == '\\') folderText.back() = '/';
      alternate = (fs::path(folderText) / bareName(stored)).string();
    }
    if (isFile(path)) check(stored, stored);
    else if (!alternate.empty() && isFile(alternate)) check(stored, alternate);
    else missing.push_back(stored);
  }
  return trouble;
}
