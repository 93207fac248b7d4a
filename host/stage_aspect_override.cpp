#include "host/stage_aspect_override.h"

#include <cstdlib>
#include <cstring>

#include "show/show_state.h"

void applyStageAspectOverride(ShowState& show) {
  const char* wanted = std::getenv("KESTRELMOVE_STAGE_ASPECT");
  if (!wanted) return;
  // The same numbers as the setting: "AspectMode" 7500 gives the 640-unit stage, 5625 the 853-unit one.
  float aspect;
  if (std::strcmp(wanted, "4:3") == 0) aspect = float(7500 * 0.0001);
  else if (std::strcmp(wanted, "16:9") == 0) aspect = float(5625 * 0.0001);
  else return;
  show.aspect = aspect;
  show.stageImage.create(int(0.75 / double(aspect) * 640 + 0.5), 480, 32);
}
