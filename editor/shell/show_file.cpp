#include "editor/shell/show_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool readFileBytes(const std::string& path, size_t limit, std::vector<uint8_t>& out, bool& truncated,
                   std::string& error) {
  out.clear();
  truncated = false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    error = std::strerror(EISDIR);
    return false;
  }
  out.resize(limit);
  size_t have = 0;
  while (have < limit) {
    const ssize_t n = ::read(fd, out.data() + have, limit - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = std::strerror(errno);
      ::close(fd);
      out.clear();
      return false;
    }
    if (n == 0) break;
    have += size_t(n);
  }
  if (have == limit) {
    uint8_t extra;
    truncated = ::read(fd, &extra, 1) == 1;
  }
  ::close(fd);
  out.resize(have);
  return true;
}

bool writeFileReplacing(const std::string& path, const uint8_t* data, size_t size, std::string& error) {
  std::string temp = path + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  auto fail = [&](int code) {
    error = std::strerror(code);
    ::close(fd);
    ::unlink(temp.c_str());
    return false;
  };
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail(n < 0 ? errno : EIO);
    done += size_t(n);
  }
  // A replaced show keeps the permissions it had; a new one gets the usual ones for a new file.
  struct stat st {};
  mode_t mode = 0666;
  if (::stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  if (::fchmod(fd, mode) != 0) return fail(errno);
  if (::fsync(fd) != 0) return fail(errno);
  if (::close(fd) != 0) {
    error = std::strerror(errno);
    ::unlink(temp.c_str());
    return false;
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    error = std::strerror(errno);
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}
