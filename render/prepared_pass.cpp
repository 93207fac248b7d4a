#include "render/prepared_pass.h"

#include <vector>

#include "image/image_buffer.h"
#include "render/blend_kernels.h"
#include "render/blend_pass_avx2.h"
#include "render/blur_brush.h"
#include "render/brush_kernels.h"
#include "render/mask_run_avx2.h"

bool blendPathAvailable(BlendPath path) {
  switch (path) {
    case BlendPath::scalar:
      return true;
    case BlendPath::sse2:
#if defined(KM_HAVE_SSE2_BLEND)
      return true;
#else
      return false;
#endif
    case BlendPath::avx2:
#if defined(__x86_64__) || defined(__i386__)
      return __builtin_cpu_supports("avx2");
#else
      return false;
#endif
  }
  return false;
}

BlendPath fastestBlendPath() {
  static const BlendPath fastest = blendPathAvailable(BlendPath::avx2)   ? BlendPath::avx2
                                   : blendPathAvailable(BlendPath::sse2) ? BlendPath::sse2
                                                                         : BlendPath::scalar;
  return fastest;
}

bool preparePass(const ImageBuffer& picture, const ImageBuffer& output, const KeyFrame& state, int brushCode,
                 uint32_t tintColour, int mode, int stageWidth, int stageHeight, BlurMethod blur,
                 PreparedPass& prepared) {
  if (brushCode >= 7000) return false;
  if (!setUpPass(picture, output, state, mode, stageWidth, stageHeight, prepared.pass)) return false;
  if (brushCode >= 2000 && brushCode < 3000 && (3 * (prepared.pass.amount255 / 16)) / 2 == 0) return false;
  prepared.picture = &picture;
  prepared.brushCode = brushCode;
  prepared.tintColour = tintColour;
  prepared.blur = blur;
  return true;
}

namespace {

void blend(const PicturePass& pass, const ImageBuffer& picture, ImageBuffer& output, BlendPath path,
           int bandBegin, int bandEnd) {
  const int inverseAmount = 255 - pass.amount255;
  if (path == BlendPath::avx2 && blendPathAvailable(BlendPath::avx2)) {
    blendPassAvx2(pass, picture.pixels(), picture.rowStep(), output.pixels(), output.rowStep(), inverseAmount,
                  bandBegin, bandEnd);
    return;
  }
#if defined(KM_HAVE_SSE2_BLEND)
  if (path != BlendPath::scalar) {
    BlendKernelSse2 kernel{inverseAmount};
    walkPass(pass, picture, output, kernel, bandBegin, bandEnd);
    return;
  }
#endif
  BlendKernel kernel{inverseAmount};
  walkPass(pass, picture, output, kernel, bandBegin, bandEnd);
}

// A brush, which needs only its mask at each pixel: with AVX2 the masks of a line are sampled
// together, then the kernel takes them pixel by pixel in the walk's order (blur and pixelate read
// pixels the pass has already changed).
template <class Kernel>
void walkBrush(const PicturePass& pass, const ImageBuffer& picture, ImageBuffer& output, Kernel& kernel,
               BlendPath path, int bandBegin, int bandEnd) {
  if (path != BlendPath::avx2 || !blendPathAvailable(BlendPath::avx2) ||
      !runOffsetsFit(picture.rowStep(), picture.height())) {
    walkPass(pass, picture, output, kernel, bandBegin, bandEnd);
    return;
  }
  const MaskRunSetup setup{picture.pixels(), picture.rowStep(),     pass.picW,     pass.picH,
                           pass.neighbourColumns, pass.neighbourRows, pass.colStepX, pass.colStepY,
                           pass.maxSx,       pass.maxSy};
  const int firstColumn = pass.firstColumn, count = pass.columnEnd - pass.firstColumn;
  std::vector<int32_t> masks(static_cast<size_t>(count));
  const auto columns = [&](int line, int outLine, uint8_t* outRow, double sx, double sy) {
    kernel.beginLine(line, outLine);
    maskLineAvx2(setup, sx, sy, count, masks.data());
    for (int i = 0; i < count; ++i)
      if (masks[i] >= 0) kernel.masked(firstColumn + i, line, outLine, outRow + 4 * (firstColumn + i), masks[i]);
  };
  walkPassLines(pass, output.pixels(), output.rowStep(), columns, bandBegin, bandEnd);
}

}  // namespace

void runPass(const PreparedPass& prepared, ImageBuffer& output, BlendPath path, int bandBegin, int bandEnd) {
  const PicturePass& pass = prepared.pass;
  const ImageBuffer& picture = *prepared.picture;
  const int g = pass.amount255;
  const int code = prepared.brushCode;
  if (code < 1000) {
    blend(pass, picture, output, path, bandBegin, bandEnd);
  } else if (code < 2000) {
    if (prepared.blur == BlurMethod::direct) {
      DirectBlurKernel kernel(pass, output);
      walkPass(pass, picture, output, kernel, bandBegin, bandEnd);
    } else {
      RunningBlurKernel kernel(pass, output);
      walkBrush(pass, picture, output, kernel, path, bandBegin, bandEnd);
    }
  } else if (code < 3000) {
    PixelateKernel kernel{(3 * (g / 16)) / 2, output.pixels(), output.rowStep(), pass.outH, pass.lineFactor};
    walkBrush(pass, picture, output, kernel, path, bandBegin, bandEnd);
  } else if (code < 4000) {
    DarkenKernel kernel{g};
    walkBrush(pass, picture, output, kernel, path, bandBegin, bandEnd);
  } else if (code < 5000) {
    LightenKernel kernel{g};
    walkBrush(pass, picture, output, kernel, path, bandBegin, bandEnd);
  } else if (code < 6000) {
    const uint32_t tint = prepared.tintColour;
    TintKernel kernel{g, {int((tint >> 16) & 255), int((tint >> 8) & 255), int(tint & 255)}};
    walkBrush(pass, picture, output, kernel, path, bandBegin, bandEnd);
  } else if (code < 7000) {
    NoColourKernel kernel{g};
    walkBrush(pass, picture, output, kernel, path, bandBegin, bandEnd);
  }
}
