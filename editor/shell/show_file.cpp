#include "editor/shell/show_file.h"

#include <cstdio>

#include "platform/safe_write.h"
#include "show/show_file.h"

bool readFileBytes(const std::string& path, size_t limit, std::vector<uint8_t>& out, bool& truncated,
                   std::string& error) {
  out.clear();
  truncated = false;
  // Only regular files, opened without blocking (a FIFO would hang the editor), as every show reader.
  std::FILE* file = openRegularFile(path, error);
  if (!file) return false;
  out.resize(limit + 1);
  const size_t have = std::fread(out.data(), 1, out.size(), file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    error = "could not be read";
    out.clear();
    return false;
  }
  truncated = have > limit;
  out.resize(truncated ? limit : have);
  return true;
}

bool writeFileReplacing(const std::string& path, const uint8_t* data, size_t size, std::string& error) {
  return writeFileSafely(path, data, size, error);
}
