#include "render/render_show.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "image/image_buffer.h"
#include "render/background_fill.h"
#include "render/prepared_pass.h"
#include "show/key_frame.h"
#include "show/show.h"

namespace {

// Bands per thread: pictures rarely spread evenly over the frame, so threads take small bands in turn
// rather than one large one each.
constexpr int kBandsPerThread = 6;

// Runs work(bandBegin, bandEnd) over the output lines [0, lines) in bands, on `threads` threads.
template <class Work>
void inBands(int lines, int threads, const Work& work) {
  if (threads <= 1 || lines < 2) {
    work(0, lines);
    return;
  }
  const int bands = std::min(lines, threads * kBandsPerThread);
  std::atomic<int> next{0};
  auto worker = [&] {
    for (int band = next++; band < bands; band = next++)
      work(int(long(lines) * band / bands), int(long(lines) * (band + 1) / bands));
  };
  std::vector<std::thread> helpers;
  helpers.reserve(std::size_t(threads - 1));
  for (int t = 1; t < threads; ++t) helpers.emplace_back(worker);
  worker();
  for (std::thread& helper : helpers) helper.join();
}

}  // namespace

FrameRenderer::FrameRenderer(int threads) : background_(std::make_unique<BackgroundFill>()) { setThreads(threads); }

FrameRenderer::~FrameRenderer() = default;

bool FrameRenderer::render(const Show& show, const RenderOptions& options, int time, int fieldMode, int lineFlag,
                           ImageBuffer& output, FrameInput* frameInput, ImageBuffer& background,
                           const KeyFrame* workingStates) {
  if (!output.hasHeader() || output.pixels() == nullptr || output.bitsPerPixel() != 32) return false;

  // The background: mode 1 the show's picture, mode 2 the host frame (with fast display the editor
  // does not wait for the host: the last frame fetched stays), other modes none.
  const ImageBuffer* ground = nullptr;
  bool groundStays = true;  // whether the source may well be the same next frame
  if (show.backgroundMode == 1) {
    ground = &show.backgroundPicture;
  } else if (show.backgroundMode == 2) {
    if (!options.fastDisplay && frameInput) {
      frameInput->fetchFrame(options.hostFrame, background);
      groundStays = false;
    }
    ground = &background;
  }
  if (ground && !background_->prepare(*ground, output, keepBackground_ && groundStays && !scalarOnly_)) ground = nullptr;

  int mode = kModeProgressive;
  bool secondHalf = false;
  if (fieldMode == 1 || fieldMode == 2) {
    const int swap = options.fieldSwap ? 1 : 0;
    secondHalf = (fieldMode == 1 ? swap : 1 - swap) != 0;
    // Any non-zero line flag means the field of odd frame lines.
    const int odd = lineFlag != 0 ? 1 : 0;
    const int x = options.flopTopField ? (odd == 0 ? 1 : 0) : odd;
    mode = 111 - x;
  }

  // Pictures from the last slot to the first, so that slot 0 ends on top.
  const int stageWidth = options.stageWidth, stageHeight = options.stageHeight;
  const int count = show.pictureCount < 0 ? 0 : show.pictureCount > kSlotCount ? kSlotCount : show.pictureCount;
  std::vector<PreparedPass> passes;
  passes.reserve(std::size_t(count));
  for (int picture = count - 1; picture >= 0; --picture) {
    const PictureSlot& slot = show.slots[picture];
    const ImageBuffer& image = slot.image;
    // drawPicture refuses pictures that are not 32-bit images.
    if (!image.hasHeader() || image.pixels() == nullptr || image.bitsPerPixel() != 32) continue;
    KeyFrame state;
    if (time < 0 && workingStates) {
      state = workingStates[picture];
    } else {
      show.stateAt(state, picture, time, secondHalf);
    }
    PreparedPass prepared;
    if (preparePass(image, output, state, slot.brushCode, slot.tintColour, mode, stageWidth, stageHeight,
                    BlurMethod::runningSum, prepared))
      passes.push_back(prepared);
  }

  // Runs of band-local passes are drawn band by band, each band all the way through the run; blur and
  // pixelate, which read what they have changed, are drawn whole and alone between such runs.
  const BlendPath path = scalarOnly_ ? BlendPath::scalar : fastestBlendPath();
  const int lines = output.height();
  std::size_t first = 0;
  bool groundDrawn = ground == nullptr;
  while (first < passes.size() || !groundDrawn) {
    std::size_t end = first;
    while (end < passes.size() && passes[end].bandLocal()) ++end;
    if (!groundDrawn || first < end) {
      inBands(lines, threads_, [&](int bandBegin, int bandEnd) {
        if (!groundDrawn) background_->fill(*ground, output, bandBegin, bandEnd);
        for (std::size_t i = first; i < end; ++i) runPass(passes[i], output, path, bandBegin, bandEnd);
      });
    }
    groundDrawn = true;
    if (end < passes.size()) runPass(passes[end++], output, path);
    first = end;
  }
  return true;
}

bool renderShow(const Show& show, const RenderOptions& options, int time, int fieldMode, int lineFlag,
                ImageBuffer& output, FrameInput* frameInput, ImageBuffer& background,
                const KeyFrame* workingStates) {
  FrameRenderer renderer(1);
  renderer.setKeepBackground(false);  // nothing is kept past this call
  return renderer.render(show, options, time, fieldMode, lineFlag, output, frameInput, background, workingStates);
}
