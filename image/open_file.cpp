#include "image/open_file.h"

bool OpenFile::open(const FileSpec& spec, const char* mode) {
  close();
  spec_ = spec;
  spec_.path[sizeof spec_.path - 1] = 0;
  handle_ = std::fopen(spec_.path, mode);
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
