#include "show/show_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "is a folder, not a file";
  if (S_ISFIFO(mode)) return "is a FIFO, not a regular file";
  if (S_ISSOCK(mode)) return "is a socket, not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a regular file";
  return "is not a regular file";
}

}  // namespace

int openRegularFile(const std::string& path, std::string& error) {
  // O_NONBLOCK lets the open of a FIFO return at once, so that fstat can tell what it is.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = std::string("cannot be opened for reading (") + std::strerror(errno) + ")";
    return -1;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    error = std::string("cannot be examined (") + std::strerror(errno) + ")";
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(info.st_mode)) {
    error = kindOf(info.st_mode);
    ::close(fd);
    return -1;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

bool readRegularFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes, std::string& error) {
  const int fd = openRegularFile(path, error);
  if (fd < 0) return false;
  bytes.clear();
  uint8_t chunk[65536];
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = std::string("could not be read (") + std::strerror(errno) + ")";
      ok = false;
      break;
    }
    if (n == 0) break;
    if (bytes.size() + size_t(n) > limit) {
      error = "is larger than the " + std::to_string(limit) + " bytes such a file may have";
      ok = false;
      break;
    }
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  ::close(fd);
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
