#include "image/open_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::FILE* openRegularFileForReading(const char* path, std::string* whyNot) {
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    if (whyNot) *whyNot = std::strerror(errno);
    return nullptr;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (whyNot) *whyNot = "not a regular file";
    ::close(fd);
    return nullptr;
  }
  // Regular files never block; the flag is dropped so that the stream behaves as fopen's would.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, "rb");
  if (!file) {
    if (whyNot) *whyNot = std::strerror(errno);
    ::close(fd);
  }
  return file;
}

bool OpenFile::open(const FileSpec& spec, const char* mode) {
  close();
  spec_ = spec;
  spec_.path[sizeof spec_.path - 1] = 0;
  failure_.clear();
  if (mode[0] == 'r') {
    handle_ = openRegularFileForReading(spec_.path, &failure_);
  } else {
    handle_ = std::fopen(spec_.path, mode);
    if (!handle_) failure_ = std::strerror(errno);
  }
  return handle_ != nullptr;
}

bool OpenFile::openMemory(const void* bytes, size_t size, const FileSpec& spec) {
  close();
  spec_ = spec;
  spec_.path[sizeof spec_.path - 1] = 0;
  // fmemopen refuses an empty buffer; an empty file is still a file that reads nothing.
  if (size == 0) {
    handle_ = std::fopen("/dev/null", "rb");
    return handle_ != nullptr;
  }
  handle_ = fmemopen(const_cast<void*>(bytes), size, "rb");
  return handle_ != nullptr;
}

bool OpenFile::close() {
  if (!handle_) return true;
  const bool ok = std::fclose(handle_) == 0;
  handle_ = nullptr;
  return ok;
}

long OpenFile::read(void* buffer, long count) {
  if (!handle_) return -1;
  if (count <= 0) return 0;
  return long(std::fread(buffer, 1, size_t(count), handle_));
}

long OpenFile::write(const void* data, long count) {
  if (!handle_) return -1;
  if (count <= 0) return 0;
  return long(std::fwrite(data, 1, size_t(count), handle_));
}

bool OpenFile::seek(long offset) {
  if (!handle_ || offset < 0) return false;
  return std::fseek(handle_, offset, SEEK_SET) == 0;
}

long OpenFile::size() {
  if (!handle_) return -1;
  const long here = std::ftell(handle_);
  if (here < 0 || std::fseek(handle_, 0, SEEK_END) != 0) return -1;
  const long end = std::ftell(handle_);
  std::fseek(handle_, here, SEEK_SET);
  return end;
}
