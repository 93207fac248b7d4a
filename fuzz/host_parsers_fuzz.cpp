// The host program's readers of outside bytes: the show length read from a parameter block, and the
// PiPL bytes read back from a plug-in. The first byte picks the reader; the rest is its input.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "app/pipl_text.h"
#include "app/show_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t which = data[0];
  ++data;
  --size;
  if (which % 2 == 0) {
    ShowBlock block;
    std::memcpy(block.data(), data, size < block.bytes.size() ? size : block.bytes.size());
    volatile int length = storedShowLength(block);
    (void)length;
  } else {
    PiplContents pipl;
    std::string error;
    if (decodePipl(data, size, pipl, error))
      for (const PiplProperty& p : pipl.properties) (void)describePiplData(p);
  }
  return 0;
}
