#pragma once
// An image file opened for reading or writing, together with the FileSpec it came from (the JPEG test
// of the signature dispatch looks at its path). A closed or failed OpenFile has no handle, and reads and
// writes on it report -1.
#include <cstddef>
#include <cstdio>
#include <string>

#include "platform/file_spec.h"

// Opens path for reading only when it names a regular file. The open itself never blocks (a FIFO
// without a writer would hold fopen forever), and FIFOs, devices and directories are refused after
// it. Null on failure, with the reason in whyNot when it is given ("not a regular file" or the
// system's text).
std::FILE* openRegularFileForReading(const char* path, std::string* whyNot = nullptr);

class OpenFile {
 public:
  OpenFile() = default;
  ~OpenFile() { close(); }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;

  // mode is "rb" or "wb". Returns false (and keeps no handle) when the file cannot be opened; reading
  // opens only regular files (see openRegularFileForReading).
  bool open(const FileSpec& spec, const char* mode);
  // Why the last open failed; empty after a successful one.
  const std::string& openFailure() const { return failure_; }
  // Reads from bytes held in memory, as if they were a file named by spec (fuzzing, resources).
  bool openMemory(const void* bytes, size_t size, const FileSpec& spec);
  // Returns false when buffered data could not be written out.
  bool close();

  bool isOpen() const { return handle_ != nullptr; }
  const FileSpec& spec() const { return spec_; }

  // Bytes read or written, or -1 without a handle.
  long read(void* buffer, long count);
  long write(const void* data, long count);
  // Absolute position from the start of the file.
  bool seek(long offset);
  // Length of the file in bytes, or -1 without a handle. The position is kept.
  long size();

 private:
  std::FILE* handle_ = nullptr;
  FileSpec spec_;
  std::string failure_;
};
