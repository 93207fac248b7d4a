#pragma once
// One picture worked out and ready to draw, and the drawing of it over all output lines or a band of
// them. drawPicture and the frame renderer share this, so a frame drawn in bands on several threads
// runs the very code one drawPicture call runs.
#include <cstdint>

#include "render/picture_pass.h"
#include "render/render_show.h"

// Which code samples and blends ordinary pictures. All give the same bytes; scalar is the plain form
// the others are checked against.
enum class BlendPath { scalar, sse2, avx2 };

// Whether this build and this processor can run the path.
bool blendPathAvailable(BlendPath path);
// AVX2 where the processor has it, else SSE2 (scalar where neither exists).
BlendPath fastestBlendPath();

struct PreparedPass {
  const ImageBuffer* picture = nullptr;
  PicturePass pass;
  int brushCode = 0;
  uint32_t tintColour = 0;
  BlurMethod blur = BlurMethod::runningSum;

  // True for kernels that read and change only the pixel they are handed (ordinary blend, darken,
  // lighten, tint, no colour): their bands of lines may be drawn in any order, on any thread. Blur and
  // pixelate read pixels this pass has already changed.
  bool bandLocal() const { return brushCode < 1000 || brushCode >= 3000; }
};

// Works out the pass of one picture. Returns false when nothing is to be drawn: nothing of the
// picture falls on the output, or the brush changes nothing (codes 7000 and above, pixelate with a
// block size of 0). The images must be created 32-bit buffers and the mode valid.
bool preparePass(const ImageBuffer& picture, const ImageBuffer& output, const KeyFrame& state, int brushCode,
                 uint32_t tintColour, int mode, int stageWidth, int stageHeight, BlurMethod blur,
                 PreparedPass& prepared);

// Draws the pass over the output lines [bandBegin, bandEnd) (top-down). Only band-local passes may
// be drawn in pieces; blur and pixelate need the whole range at once.
void runPass(const PreparedPass& prepared, ImageBuffer& output, BlendPath path, int bandBegin = 0,
             int bandEnd = ImageBuffer::kMaxSide);
