#include "show/show_state.h"

#include <cstring>

#include "image/jpeg_library.h"
#include "platform/settings_file.h"
#include "show/show_views.h"

ShowState::ShowState(SettingsFile& settings) : settings_(settings) {
  newShow();
  jpegAvailable = jpegLibraryAvailable() ? 1 : 0;

  // The product is taken in double and then kept as a float: a float product differs in the last bit
  // for many settings and can move the stage width by a unit (5120 gives 937, not 938).
  aspect = float(double(settings_.getInteger("AspectMode", 7500)) * 0.0001);
  fieldSwap = settings_.getInteger("FieldSwap", 0) != 0;
  videoColours = settings_.getInteger("VideoColors", 1) != 0;
  flopTopField = settings_.getInteger("FlopTopField", 0) != 0;
  frameRate = int32_t(settings_.getInteger("FrameRate", 2997));
  autoAddKeys = settings_.getInteger("AutoAddKey", 1) != 0;
  settings_.getText("RootVolume", "C:\\", rootVolume, sizeof rootVolume);
  settings_.getText("AltImageFolder", "", alternateImageFolder.path, 256);
  // Picture errors are shown unless the user switched them off in the advanced options.
  showPictureErrors = settings_.getInteger("ShowPicError", 1) != 0;

  showLength = 1800;
  backgroundMode = 2;
  // An aspect that gives no usable stage (not positive, or a width outside what an image can hold)
  // would leave the stage without a 32-bit image; such a setting falls back to 4:3.
  const double stageUnits = aspect > 0.0f ? 0.75 / double(aspect) * 640 + 0.5 : 0.0;
  if (!(stageUnits >= 1.0 && stageUnits < double(ImageBuffer::kMaxSide) + 1.0)) aspect = 0.75f;
  setStageAspect(aspect);
  fastDisplay = 0;
  alphaBlur = 1;
}

void ShowState::newShow() {
  clearDocument();
  if (ShowViews* open = views())
    for (int i = 0; i < kSlotCount; ++i) open->workingStates()[i] = slots[i].keys[0];
  clearHistory();
  currentPicture = 0;
}

void ShowState::setStageAspect(float shape) {
  aspect = shape;
  setStageSize(int(0.75 / double(shape) * 640 + 0.5), 480);
}

void ShowState::putKey(int keyIndex, const KeyFrame& record, int picture) {
  if (keyIndex < 0 || keyIndex >= kMaxKeys || picture < 0 || picture >= kSlotCount) return;
  slots[picture].keys[keyIndex] = record;
  modified = 1;
}
