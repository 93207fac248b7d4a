// The reasons behind an unsupported and a damaged result, and the bound on files that hold too little of their pixels.
#include <cstring>

#include "image/image_readers.h"

namespace {
// Per thread, since hosts load pictures on several threads at once (filter instances, render
// workers). Kept trivially destructible: a thread_local with a destructor keeps a plug-in copy from
// unloading at dlclose and runs that destructor after the copy's heap has gone. Every reason the
// readers give fits well within the buffers.
struct Refusal {
  char reason[128];
  char damage[160];
  bool othersMayTry;
};
thread_local Refusal refusal{{}, {}, true};

template <size_t N>
void keep(char (&into)[N], const char* what) {
  const size_t length = strnlen(what, N - 1);
  std::memmove(into, what, length);
  into[length] = 0;
}
}  // namespace

int refuseUnsupported(const char* what, bool decodersMayTry) {
  keep(refusal.reason, what);
  refusal.othersMayTry = decodersMayTry;
  return kReadUnsupported;
}

int reportDamage(const char* what) {
  keep(refusal.damage, what);
  return kReadFormatError;
}

void clearUnsupportedReason() {
  refusal.reason[0] = 0;
  refusal.damage[0] = 0;
  refusal.othersMayTry = true;
}

bool otherDecodersMayTry() { return refusal.othersMayTry; }

std::string unsupportedReason() { return refusal.reason; }

std::string damageReason() { return refusal.damage; }

bool holdsEnoughPixelData(int64_t present, int64_t promised) {
  if (present < 0) present = 0;
  return present * 8 >= promised;
}
