#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/screen/backend.h"
#include "platform/screen/headless_backend.h"
#include "platform/screen/sdl_backend.h"

namespace ws {

std::unique_ptr<Backend> chooseBackend() {
  const char* wanted = std::getenv("KESTRELMOVE_VIDEO");
  if (wanted && std::strcmp(wanted, "headless") == 0) return std::make_unique<HeadlessBackend>();
  const bool display = (std::getenv("DISPLAY") && *std::getenv("DISPLAY")) || (std::getenv("WAYLAND_DISPLAY") && *std::getenv("WAYLAND_DISPLAY"));
  if ((wanted && std::strcmp(wanted, "sdl") == 0) || (!wanted && display)) {
    if (auto sdl = SdlBackend::open()) return sdl;
    if (wanted) std::fprintf(stderr, "kestrelmove: no SDL display available (%s); running without a window\n", SdlBackend::lastError().c_str());
  }
  return std::make_unique<HeadlessBackend>();
}

}  // namespace ws
