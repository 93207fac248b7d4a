#include "image/picture_location.h"

#include <filesystem>

#include "platform/file_spec.h"

namespace fs = std::filesystem;

namespace {
bool isFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}
}  // namespace

std::string locatePicture(const std::string& stored, const std::string& showFolder, const std::string& alternateFolder) {
  if (stored.empty()) return "";
  if (fs::path(stored).is_relative() && !showFolder.empty()) {
    const std::string beside = (fs::path(showFolder) / stored).lexically_normal().string();
    if (isFile(beside)) return beside;
  }
  if (isFile(stored)) return stored;
  if (!alternateFolder.empty()) {
    const std::string moved = inFolder(alternateFolder, bareFileName(stored));
    if (isFile(moved)) return moved;
  }
  return "";
}
