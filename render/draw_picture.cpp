#include "image/image_buffer.h"
#include "render/prepared_pass.h"
#include "render/render_show.h"

namespace {

bool usable(const ImageBuffer& image) {
  return image.hasHeader() && image.pixels() != nullptr && image.bitsPerPixel() == 32;
}

}  // namespace

bool drawPicture(const ImageBuffer& picture, ImageBuffer& output, const KeyFrame& state, int brushCode,
                 uint32_t tintColour, int mode, int stageWidth, int stageHeight, BlurMethod blur) {
  // Pictures and outputs are 32-bit everywhere; any other depth would be read past its rows.
  if (!usable(picture) || !usable(output)) return false;
  if (mode < 0 || mode > 999) return false;
  PreparedPass prepared;
  if (preparePass(picture, output, state, brushCode, tintColour, mode, stageWidth, stageHeight, blur, prepared))
    runPass(prepared, output, fastestBlendPath());
  return true;
}
