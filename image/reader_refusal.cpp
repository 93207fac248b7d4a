// The reason behind an unsupported result, and the bound on files that hold too little of their pixels.
#include "image/image_readers.h"

namespace {
// Plain statics: a thread_local with a destructor keeps a plug-in copy from unloading at dlclose and
// runs its destructor after the copy's heap use has gone (a crash at exit). Pictures are read on one
// thread per copy of the plug-in.
std::string reason;
bool othersMayTry = true;
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
