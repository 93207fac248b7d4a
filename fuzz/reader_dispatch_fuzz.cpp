// Feeds arbitrary bytes to the signature dispatch, as a picture file: whichever reader the first bytes
// pick, and behind it the fallback decoders. The lowest bit of the last byte names the file ".jpg", so
// that the name test of the dispatch is taken too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

extern "C" {
#include <libavutil/log.h>
}

#include "image/image_readers.h"

// Allocations above 1 MB fail here, as on a machine short of memory (see image_reader_fuzzer.cpp):
// a file claiming a huge picture must give a result code, never a crash or a huge blank buffer.
constexpr size_t kAllocationLimit = size_t(1) << 20;
thread_local bool limiting = false;

void* operator new(size_t size) {
  void* p = size <= kAllocationLimit || !limiting ? std::malloc(size ? size : 1) : nullptr;
  if (!p) throw std::bad_alloc();
  return p;
}

extern "C" const char* __asan_default_options() { return "alloc_dealloc_mismatch=0"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  av_log_set_level(AV_LOG_QUIET);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  struct Limit {
    Limit() { limiting = true; }
    ~Limit() { limiting = false; }
  } limit;
  FileSpec spec;
  spec.setPath(size && (data[size - 1] & 1) ? "fuzz-input.jpg" : "fuzz-input");
  OpenFile file;
  if (!file.openMemory(data, size, spec)) return 0;
  ImageBuffer buffer(16, 16, 8);
  const int result = buffer.loadBySignature(file);
  if (result < kReadOk || result > kReadNoMemory) __builtin_trap();
  // Every failure has a message; only the unsupported one may name what was refused.
  const ReaderMessage message = readerMessage(result);
  if ((result == kReadOk) != message.text.empty()) __builtin_trap();
  if (result != kReadUnsupported && !unsupportedReason().empty() && result != kReadOk) __builtin_trap();
  if (result != kReadFormatError && !damageReason().empty()) __builtin_trap();
  if (result != kReadOk) return 0;
  if (!buffer.hasHeader() || buffer.width() < 1 || buffer.height() < 1) __builtin_trap();
  // Whatever was read must be a buffer the rest of the system can take apart.
  if (buffer.width() * buffer.height() <= (1 << 18)) {
    ImageBuffer picture(buffer.width(), buffer.height(), 32);
    buffer.convertInto(picture, 0, 0);
  }
  return 0;
}
