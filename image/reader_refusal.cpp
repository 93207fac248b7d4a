// The reason behind an unsupported result, and the bound on files that hold too little of their pixels.
#include "image/image_readers.h"

namespace {
thread_local std::string reason;
thread_local bool othersMayTry = true;
}  // namespace

int refuseUnsupported(const char* what, bool decodersMayTry) {
  reason = what;
  othersMayTry = decodersMayTry;
  return kReadUnsupported;
}

void clearUnsupportedReason() {
  reason.clear();
  othersMayTry = true;
}

bool otherDecodersMayTry() { return othersMayTry; }

const std::string& unsupportedReason() { return reason; }

bool holdsEnoughPixelData(int64_t present, int64_t promised) {
  if (present < 0) present = 0;
  return present * 8 >= promised;
}
