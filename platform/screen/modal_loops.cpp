#include "platform/screen/modal_loops.h"

#include <vector>

namespace ws {
namespace {
std::vector<const char*>& running() {
  static std::vector<const char*> kinds;
  return kinds;
}
}  // namespace

ModalLoopScope::ModalLoopScope(const char* kind) { running().push_back(kind); }
ModalLoopScope::~ModalLoopScope() { running().pop_back(); }

const char* innermostModalLoop() { return running().empty() ? nullptr : running().back(); }

}  // namespace ws
