#include "image/image_buffer.h"
#include "render/blur_brush.h"
#include "render/brush_kernels.h"
#include "render/picture_pass.h"
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

  PicturePass pass;
  if (!setUpPass(picture, output, state, mode, stageWidth, stageHeight, pass)) return true;
  const int g = pass.amount255;

  if (brushCode < 1000) {
    BlendKernel kernel{255 - g};
    walkPass(pass, picture, output, kernel);
  } else if (brushCode < 2000) {
    if (blur == BlurMethod::direct) {
      DirectBlurKernel kernel(pass, output);
      walkPass(pass, picture, output, kernel);
    } else {
      RunningBlurKernel kernel(pass, output);
      walkPass(pass, picture, output, kernel);
    }
  } else if (brushCode < 3000) {
    const int block = (3 * (g / 16)) / 2;
    if (block == 0) return true;
    PixelateKernel kernel{block, output.pixels(), output.rowStep(), pass.outH, pass.lineFactor};
    walkPass(pass, picture, output, kernel);
  } else if (brushCode < 4000) {
    DarkenKernel kernel{g};
    walkPass(pass, picture, output, kernel);
  } else if (brushCode < 5000) {
    LightenKernel kernel{g};
    walkPass(pass, picture, output, kernel);
  } else if (brushCode < 6000) {
    TintKernel kernel{g, {int((tintColour >> 16) & 255), int((tintColour >> 8) & 255), int(tintColour & 255)}};
    walkPass(pass, picture, output, kernel);
  } else if (brushCode < 7000) {
    NoColourKernel kernel{g};
    walkPass(pass, picture, output, kernel);
  }
  return true;
}
