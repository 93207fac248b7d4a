// kestrelmove: renders, inspects and builds shows from the command line, driving the plug-in as a
// host application would.
#include <cstdio>
#include <exception>

#include "app/commands.h"
#include "app/video_mode.h"

int main(int argc, char** argv) {
  keepRenderCommandsHeadless(argc, argv);
  CLI::App app{"Kestrelmove: keyframe animation of still pictures over video"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "kestrelmove 0.1");
  addShowCommands(app);
  addImageCommands(app);
  addRenderCommands(app);
  addEditCommand(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::RuntimeError& e) {
    // Commands report their own one-line message and leave with the code.
    return e.get_exit_code();
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? kExitOk : kExitBadInput;
  } catch (const std::exception& e) {
    // Whatever escapes the reading of the arguments themselves: one line, never an abort.
    std::fprintf(stderr, "kestrelmove: %s\n", e.what());
    return kExitFailure;
  }
  return kExitOk;
}
