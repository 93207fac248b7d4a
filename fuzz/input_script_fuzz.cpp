// Input scripts from arbitrary bytes: a script is refused with "line N: ..." or taken whole, and a
// script taken whole gives the same commands when its lines arrive one by one, as a script streamed
// through a pipe is parsed.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/script/input_script.h"

namespace {
bool same(const ScriptCommand& a, const ScriptCommand& b) {
  return a.verb == b.verb && a.line == b.line && a.position.origin == b.position.origin && a.position.x == b.position.x &&
         a.position.y == b.position.y && a.shift == b.shift && a.key == b.key && a.keyShift == b.keyShift &&
         a.keyCtrl == b.keyCtrl && a.text == b.text && a.milliseconds == b.milliseconds;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<ScriptCommand> whole;
  std::string error;
  if (!parseInputScript(text, whole, error)) {
    if (error.compare(0, 5, "line ") != 0) std::abort();
    return 0;
  }
  std::vector<ScriptCommand> streamed;
  int number = 0;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    std::vector<ScriptCommand> one;
    ++number;
    if (!parseInputScript(text.substr(at, end - at), one, error)) std::abort();
    for (ScriptCommand& c : one) c.line = number, streamed.push_back(c);
    at = end;
  }
  if (streamed.size() != whole.size()) std::abort();
  for (size_t i = 0; i < whole.size(); ++i)
    if (!same(whole[i], streamed[i])) std::abort();
  return 0;
}
