#include "app/video_mode.h"

#include <cstdlib>
#include <cstring>

const char* subcommandOf(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (argv[i] && argv[i][0] != '-') return argv[i];
  return nullptr;
}

void keepRenderCommandsHeadless(int argc, char** argv) {
  const char* command = subcommandOf(argc, argv);
  if (!command) return;
  static const char* const renderers[] = {"render", "movie", "info", "demo", "image"};
  for (const char* r : renderers)
    if (std::strcmp(command, r) == 0) {
      // A choice the user made, "sdl" to watch a render, stands.
      setenv("KESTRELMOVE_VIDEO", "headless", 0);
      return;
    }
}
