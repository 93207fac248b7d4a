// The host program's readers of outside bytes: the show length read from a parameter block, the PiPL
// bytes read back from a plug-in, and a show file read into the parameter block. The first byte picks
// the reader (by its value modulo 4: even the length, 1 the PiPL, 3 the show file); the rest is its input.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/pipl_text.h"
#include "app/show_block.h"

namespace {

// A show file holds the bytes and the show file reader agrees with the stored show parser: what it
// accepts is a file of at most a parameter block, whose stored show (its own length of the file's
// first bytes) fills the block's first bytes, with zeros behind: nothing of the file past the stored
// show reaches the plug-in.
void readShowFile(const uint8_t* data, size_t size) {
  static const int fd = memfd_create("show-file", 0);
  if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) std::abort();
  ShowBlock block;
  std::string error;
  const bool read = readShowBlock("/proc/self/fd/" + std::to_string(fd), block, error);
  StoredShow parsed;
  std::string why;
  const bool parses = size <= KM_PARAMETER_BLOCK_SIZE && parseStoredShow(data, size, parsed, why);
  if (read != parses || (!read && error.empty())) std::abort();
  if (!read) return;
  const size_t stored = parsed.encodedSize();
  if (stored > size || block.bytes.size() != KM_PARAMETER_BLOCK_SIZE ||
      (stored && std::memcmp(block.bytes.data(), data, stored) != 0))
    std::abort();
  for (size_t i = stored; i < block.bytes.size(); ++i)
    if (block.bytes[i] != 0) std::abort();
  if (block.show.pictures.size() != parsed.pictures.size()) std::abort();
  if (storedShowLength(block) < 1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t which = data[0];
  ++data;
  --size;
  if (which % 2 == 0) {
    ShowBlock block;
    std::memcpy(block.data(), data, size < block.bytes.size() ? size : block.bytes.size());
    if (storedShowLength(block) < 1) std::abort();
  } else if (which % 4 == 1) {
    PiplContents pipl;
    std::string error;
    if (decodePipl(data, size, pipl, error))
      for (const PiplProperty& p : pipl.properties) (void)describePiplData(p);
    else if (error.empty())
      std::abort();
  } else {
    readShowFile(data, size);
  }
  return 0;
}
