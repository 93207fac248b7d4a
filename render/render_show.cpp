#include "render/render_show.h"

#include "image/image_buffer.h"
#include "show/key_frame.h"
#include "show/show_state.h"

namespace {

void drawBackground(const ShowState& show, ImageBuffer& output, FrameInput* frameInput,
                    ImageBuffer& background) {
  if (show.backgroundMode == 1) {
    show.backgroundImage.convertInto(output, 0, 0);
  } else if (show.backgroundMode == 2) {
    // With fast display the editor does not wait for the host: the last frame fetched stays.
    if (!show.fastDisplay && frameInput) frameInput->fetchFrame(show.currentTime, background);
    background.convertInto(output, 0, 0);
  }
}

}  // namespace

bool renderShow(const ShowState& show, int time, int fieldMode, int lineFlag, ImageBuffer& output,
                FrameInput* frameInput, ImageBuffer& background, const KeyFrame* workingStates) {
  if (!output.hasHeader() || output.pixels() == nullptr || output.bitsPerPixel() != 32) return false;

  drawBackground(show, output, frameInput, background);

  int mode = kModeProgressive;
  bool secondHalf = false;
  if (fieldMode == 1 || fieldMode == 2) {
    const int swap = show.fieldSwap ? 1 : 0;
    secondHalf = (fieldMode == 1 ? swap : 1 - swap) != 0;
    // Any non-zero line flag means the field of odd frame lines.
    const int odd = lineFlag != 0 ? 1 : 0;
    const int x = show.flopTopField ? (odd == 0 ? 1 : 0) : odd;
    mode = 111 - x;
  }

  const int stageWidth = show.stageImage.width(), stageHeight = show.stageImage.height();
  const int count = show.pictureCount < 0 ? 0 : show.pictureCount > kSlotCount ? kSlotCount : show.pictureCount;
  for (int picture = count - 1; picture >= 0; --picture) {
    KeyFrame state;
    if (time < 0 && workingStates) {
      state = workingStates[picture];
    } else {
      show.stateAt(state, picture, time, secondHalf);
    }
    const PictureSlot& slot = show.slots[picture];
    drawPicture(slot.image, output, state, slot.brushCode, slot.tintColour, mode, stageWidth, stageHeight);
  }
  return true;
}
