#include "platform/screen/headless_backend.h"

#include "platform/screen/screen.h"

namespace ws {

bool HeadlessBackend::waitInput(Screen& screen) { return screen.runIdleAction(); }

}  // namespace ws
