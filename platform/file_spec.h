#pragma once
// A reference to a file as shows store it: 262 bytes, a 16-bit volume number, a 32-bit folder
// identifier and the full path as NUL-terminated text. Only the path opens files; the two numbers are
// carried along and stored unchanged.
#include <cstdint>
#include <cstring>
#include <string>

#pragma pack(push, 1)
struct FileSpec {
  int16_t volume = 0;
  int32_t folderId = 0;
  char path[256] = {};

  std::string pathText() const { return std::string(path, strnlen(path, sizeof path)); }
  // Copies text into the path, cut to 255 characters so that the path stays terminated.
  void setPath(const std::string& text) {
    std::memset(path, 0, sizeof path);
    std::memcpy(path, text.data(), text.size() < sizeof path - 1 ? text.size() : sizeof path - 1);
  }
  bool empty() const { return path[0] == 0; }
  void clear() { *this = FileSpec{}; }
};
#pragma pack(pop)
static_assert(sizeof(FileSpec) == 262, "FileSpec is stored as 262 bytes");

// The name of a path's file: everything behind its last separator ("/", "\\" or ":", so that shows
// saved on Windows find their pictures by name); the whole path when it has none.
inline std::string bareFileName(const std::string& path) {
  const size_t cut = path.find_last_of("/\\:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// A file name in a folder. A folder stored with a Windows separator at its end still names a folder.
inline std::string inFolder(std::string folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '\\') folder.back() = '/';
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + name;
}

// The folder part of a path: everything up to and including its last separator ("/", "\\" or ":",
// so that paths written on Windows read alike); empty when it has none.
inline std::string folderPart(const std::string& path) {
  const size_t cut = path.find_last_of("/\\:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}
