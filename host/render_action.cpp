#include "host/render_action.h"

#include <cstring>

#include "host/frame_timing.h"
#include "host/host_frame_input.h"
#include "host/plugin_context.h"
#include "image/image_buffer.h"
#include "image/pixel_packing.h"
#include "render/render_show.h"
#include "render/show_render_options.h"
#include "show/show_state.h"
#include "show/show_views.h"

uint8_t* parameterBlockOf(const ActionRecord& record) {
  if (!record.project || !record.project->parameters) return nullptr;
  return record.project->parameters->parameterBlock;
}

uint16_t storedChangeStamp(const uint8_t* block) {
  const uint16_t magic = uint16_t(block[0] | block[1] << 8);
  // A block written in big-endian order has its stamp byte-reversed like every other number.
  if (magic == 0x3412) return uint16_t(block[2] << 8 | block[3]);
  return uint16_t(block[2] | block[3] << 8);
}

void copyToDestination(const ImageBuffer& image, uint8_t* destination, int bytesPerPixel, int rowStep) {
  const int w = image.width(), h = image.height();
  for (int i = 0; i < h; ++i) {
    const uint8_t* in = image.row(i);
    uint8_t* out = destination + size_t(i) * rowStep;
    if (bytesPerPixel == 4) {
      std::memcpy(out, in, size_t(w) * 4);
      continue;
    }
    pack32To24(in, out, size_t(w));
  }
}

int32_t renderAction(PluginContext& context, const ActionRecord& record) {
  const FrameHeader* header = record.destinationHeader;
  if (!header || !record.destinationPixels) return 0;
  const int32_t width = header->width, height = header->height;
  const int bytesPerPixel = header->bitCount / 8;
  if (width <= 0 || height <= 0 || width > ImageBuffer::kMaxSide || height > ImageBuffer::kMaxSide) return 0;
  if (bytesPerPixel != 3 && bytesPerPixel != 4) return 0;
  const int32_t rowStep = destinationRowStep(width, bytesPerPixel);

  ShowState& show = *context.show;
  if (const uint8_t* block = parameterBlockOf(record)) {
    // The stamp 0 of a fresh show would match a block stored with stamp 0, so a show that never came
    // from a block is loaded whatever the stamp says.
    if (storedChangeStamp(block) != show.changeStamp || !show.loadedFromBlock) {
      if (show.loadShow(block, KM_PARAMETER_BLOCK_SIZE, false)) {
        show.loadedFromBlock = true;
        ++context.showLoads;
      }
    }
  }

  if (!context.output.create(width, height, 32)) return 0;
  const FrameTiming timing = frameTiming(record.frameNumber, record.fieldMode != 0);
  context.lastTime = timing.time;
  context.lastField = timing.field;
  context.lastLineFlag = timing.lineFlag;

  HostFrameInput input(&record);
  const KeyFrame* working = show.views() ? show.views()->workingStates() : nullptr;
  // The host frame under the pictures is the one being rendered, and it is always fetched: fast display
  // spares the editor's previews the wait, and left on from an edit run it would put a stale frame
  // under every frame of the render.
  RenderOptions options = renderOptionsOf(show);
  options.hostFrame = timing.time;
  options.fastDisplay = false;
  context.renderer->render(show, options, timing.time, timing.field, timing.lineFlag, context.output, &input,
                           context.renderBackground, working);
  copyToDestination(context.output, record.destinationPixels, bytesPerPixel, rowStep);
  return 1;
}
