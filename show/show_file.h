#pragma once
// Show files as every part of the system reads them: only regular files are opened (a FIFO or a
// device would block the reader or never end), a file is read whole up to a bound, and its bytes are
// accepted only when they hold a complete stored show (parseStoredShow, the one check that the
// plug-in's own loading applies too).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "show/stored_show.h"

// Far larger than any stored show, with room for whatever a saved parameter block carries behind it.
constexpr size_t kMaxShowFileSize = 4 * 1024 * 1024;

// Opens path for reading when it names a regular file, without ever blocking on the way (a FIFO with
// no writer would block an ordinary open): the picture readers' openRegularFileForReading, with a
// reason that says what the path is instead. Null with a one-line reason on failure.
std::FILE* openRegularFile(const std::string& path, std::string& error);

// Reads a regular file whole. False with a one-line reason when it cannot be opened, is not a
// regular file, holds more than limit bytes or cannot be read.
bool readRegularFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes, std::string& error);

struct ShowFile {
  StoredShow show;
  size_t fileSize = 0;
  // The stored show's bytes, as many as its stored length counts: all a host is ever handed.
  std::vector<uint8_t> storedBytes;
  // Bytes of the file behind the stored length.
  std::vector<uint8_t> extraBytes;
};

// Reads and checks a show file. The reason names the problem, not the file.
bool readShowFile(const std::string& path, ShowFile& out, std::string& error);
