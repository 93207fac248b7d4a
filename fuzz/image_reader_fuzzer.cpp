// Feeds arbitrary bytes to one image reader (chosen at build time by KM_FUZZ_READER), as a file, into
// a buffer that already holds a picture, as buffers do when pictures are reloaded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "image/image_readers.h"

#define read_photoshop readPhotoshop
#define read_tiff readTiff
#define read_bmp readBmp
#define read_targa readTarga
#define read_jpeg readJpeg
#define read_png readPng

// Allocations above 1 MB fail here, as on a machine short of memory: a file that claims a huge picture
// must then give the out-of-memory result rather than crash, and the fuzzer does not spend its time
// clearing gigantic buffers. The fuzzer's own bookkeeping is not limited.
constexpr size_t kAllocationLimit = size_t(1) << 20;
thread_local bool limiting = false;

void* operator new(size_t size) {
  void* p = size <= kAllocationLimit || !limiting ? std::malloc(size ? size : 1) : nullptr;
  if (!p) throw std::bad_alloc();
  return p;
}

// Memory from the operator new above is released by the sanitizer's own delete, which it then takes
// for a mismatch; it is not one.
extern "C" const char* __asan_default_options() { return "alloc_dealloc_mismatch=0"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  struct Limit {
    Limit() { limiting = true; }
    ~Limit() { limiting = false; }
  } limit;
  FileSpec spec;
  spec.setPath("fuzz-input");
  OpenFile file;
  if (!file.openMemory(data, size, spec)) return 0;
  ImageBuffer buffer(16, 16, 8);
  const int result = KM_FUZZ_READER(buffer, file);
  if (result < kReadOk || result > kReadNoMemory) __builtin_trap();
  if (result == kReadOk && (!buffer.hasHeader() || buffer.width() < 1 || buffer.height() < 1)) __builtin_trap();
  if (result == kReadOk && buffer.width() * buffer.height() <= (1 << 18)) {
    // Whatever was read must be a buffer the rest of the system can take apart.
    ImageBuffer picture(buffer.width(), buffer.height(), 32);
    buffer.convertInto(picture, 0, 0);
  }
  return 0;
}
