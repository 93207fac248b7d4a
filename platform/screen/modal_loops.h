#pragma once
// Which modal loop holds the input: each loop that takes messages for itself (a message box, a file or
// value dialog, a form, the colour picker, playback) names itself for as long as it runs, so that
// whoever drives the input from outside (an input script) can tell what it is answering.
#include <string>

namespace ws {

class ModalLoopScope {
 public:
  explicit ModalLoopScope(const char* kind);
  ~ModalLoopScope();
  ModalLoopScope(const ModalLoopScope&) = delete;
  ModalLoopScope& operator=(const ModalLoopScope&) = delete;
};

// The innermost running modal loop's kind, or null when only the program's own loop runs.
const char* innermostModalLoop();

}  // namespace ws
