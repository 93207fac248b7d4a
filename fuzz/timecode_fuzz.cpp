// Timecode entry from arbitrary bytes: a rate, an incoming frame and the typed text (at most what the
// value dialog returns). The parser never reads outside the text, a sign makes the entry relative to
// the incoming frame exactly as the same text without it is counted from zero, and every frame comes
// back as timecode of at most 11 characters.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "editor/stage/timecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  int32_t rate, old;
  std::memcpy(&rate, data, 4);
  std::memcpy(&old, data + 4, 4);
  std::string text(reinterpret_cast<const char*>(data + 8), std::min<size_t>(size - 8, 79));
  text = text.c_str();  // the dialog's text ends at its first NUL

  int frame = old;
  const bool read = parseTimecode(text.c_str(), frame, rate);
  if (!read && frame != old) std::abort();
  if (timecodeText(frame, false, rate).size() > 11 || timecodeText(frame, true, rate).size() > 8) std::abort();
  if (timecodeText(old, false, rate).size() > 11) std::abort();

  // A count beyond the int range is limited before the sign could add to it; such counts are left out.
  if (read && frame != INT_MAX && !text.empty() && text[0] != '+' && text[0] != '-') {
    if (frame < 0) std::abort();  // unsigned fields only add
    int relative = old;
    parseTimecode(("+" + text).c_str(), relative, rate);
    const int64_t sum = int64_t(old) + frame;
    if (relative != (sum > INT_MAX ? INT_MAX : sum < INT_MIN ? INT_MIN : int(sum))) std::abort();
  }
  return 0;
}
