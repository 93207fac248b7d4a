#include "host/run_overrides.h"

#include <cstdlib>
#include <cstring>

#include "show/show_state.h"

void applyRunOverrides(ShowState& show) {
  if (const char* wanted = std::getenv("KESTRELMOVE_STAGE_ASPECT")) {
    // The same numbers as the setting: "AspectMode" 7500 gives the 640-unit stage, 5625 the 853-unit one.
    float aspect = 0;
    if (std::strcmp(wanted, "4:3") == 0) aspect = float(7500 * 0.0001);
    else if (std::strcmp(wanted, "16:9") == 0) aspect = float(5625 * 0.0001);
    if (aspect != 0) show.setStageAspect(aspect);
  }
  // The folder of the show file that the host program hands over, for pictures with relative paths.
  if (const char* folder = std::getenv("KESTRELMOVE_SHOW_FOLDER")) show.showFolder = folder;
  // With picture messages off, the loader puts the placeholder in place of what it cannot load.
  if (const char* placeholder = std::getenv("KESTRELMOVE_PICTURE_PLACEHOLDER"))
    if (std::strcmp(placeholder, "1") == 0) show.showPictureErrors = 0;
}
