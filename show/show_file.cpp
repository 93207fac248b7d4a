#include "show/show_file.h"

#include <sys/stat.h>

#include <cstdio>

#include "image/open_file.h"

namespace {

std::string kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "is a folder, not a file";
  if (S_ISFIFO(mode)) return "is a FIFO, not a regular file";
  if (S_ISSOCK(mode)) return "is a socket, not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a regular file";
  return "is not a regular file";
}

}  // namespace

std::FILE* openRegularFile(const std::string& path, std::string& error) {
  std::string why;
  if (std::FILE* file = openRegularFileForReading(path.c_str(), &why)) return file;
  // Say what the path is instead, when it is there but no regular file (stat never blocks).
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) error = kindOf(info.st_mode);
  else error = "cannot be opened for reading (" + why + ")";
  return nullptr;
}

bool readRegularFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes, std::string& error) {
  std::FILE* file = openRegularFile(path, error);
  if (!file) return false;
  bytes.clear();
  uint8_t chunk[65536];
  bool ok = true;
  for (;;) {
    const size_t n = std::fread(chunk, 1, sizeof chunk, file);
    if (n == 0) {
      if (std::ferror(file)) {
        error = "could not be read";
        ok = false;
      }
      break;
    }
    if (bytes.size() + n > limit) {
      error = "is larger than the " + std::to_string(limit) + " bytes such a file may have";
      ok = false;
      break;
    }
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  std::fclose(file);
  return ok;
}

bool readShowFile(const std::string& path, ShowFile& out, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!readRegularFile(path, kMaxShowFileSize, bytes, error)) return false;
  ShowFile file;
  if (!parseStoredShow(bytes.data(), bytes.size(), file.show, error)) return false;
  // The parse accepted the stored length, so it lies inside the file.
  const size_t length = file.show.encodedSize();
  file.fileSize = bytes.size();
  file.storedBytes.assign(bytes.begin(), bytes.begin() + std::ptrdiff_t(length));
  file.extraBytes.assign(bytes.begin() + std::ptrdiff_t(length), bytes.end());
  out = std::move(file);
  return true;
}
