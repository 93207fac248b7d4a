#pragma once
// Composing the show at one moment into a 32-bit output image: the background, then every picture
// from the last slot to the first, moved, scaled, rotated and blended, or applied as a brush to what
// lies below it.
//
// Nothing here keeps state between calls: several threads may render from one shared, unchanging
// show at once, as long as each passes its own output, background buffer and frame input.
#include <cstdint>
#include <memory>
#include <vector>

#include "render/frame_input.h"

class ImageBuffer;
class Show;
struct KeyFrame;

// What a render reads beside the show document (which holds the background picture) and the moment:
// the stage, the field switches and which host frame lies under the pictures.
struct RenderOptions {
  // The stage's size in stage units: the pictures' positions and sizes are scaled from it.
  int stageWidth = 640;
  int stageHeight = 480;
  bool fieldSwap = false;
  bool flopTopField = false;
  // The host frame is not fetched: the background buffer keeps the last frame fetched.
  bool fastDisplay = false;
  // The host frame asked for in background mode 2.
  int hostFrame = 0;
};

// Drawing modes of one picture pass: three decimal digits. Hundreds + 1 is the vertical line factor
// (2 when the output holds one field), tens + 1 is 2 when one line parity is skipped, units is the
// parity skipped (0 even, 1 odd).
constexpr int kModeProgressive = 0;
constexpr int kModeFieldOddLines = 110;   // skips even frame lines
constexpr int kModeFieldEvenLines = 111;  // skips odd frame lines

// How the blur brush averages its neighbourhood. Both give the same bytes; the direct form is the
// plain definition, kept to check the running sums against.
enum class BlurMethod { runningSum, direct };

// Renders the show at `time` (frames) into `output`, which must already be created at the output size
// with 32 bits per pixel.
//   fieldMode   0 progressive frame; 1 one field chosen by the field swap, 2 the opposite one.
//   lineFlag    for a single field, which line parity the field holds (combined with the
//               flop-top-field switch).
//   frameInput  asked for the host frame options.hostFrame when the background is the host video; may
//               be null, and then the background buffer keeps what it holds.
//   background  the caller's buffer for the host frame: it keeps the last frame fetched, which is what
//               is shown while the fast-display switch is on.
//   workingStates  when time is negative, the 32 picture states to draw instead of interpolating (the
//               stage's working states while the editor is open); with null a negative time is
//               interpolated like any other.
// Returns false only when output is not a created 32-bit image (nothing is drawn then).
bool renderShow(const Show& show, const RenderOptions& options, int time, int fieldMode, int lineFlag,
                ImageBuffer& output, FrameInput* frameInput, ImageBuffer& background,
                const KeyFrame* workingStates = nullptr);

// Draws one picture in one pass. `state` gives centre (x, y), size (width, height) in stage units,
// rotation in degrees and amount in percent; brushCode below 1000 is an ordinary picture, 1000 and
// above a brush (tintColour, red in the low byte, is the tint brush's colour); `mode` as above;
// stageWidth and stageHeight are the stage's size in stage units.
// Returns false when the picture or the output has no header or is not a 32-bit image, else true
// (also when nothing of the picture falls on the output).
bool drawPicture(const ImageBuffer& picture, ImageBuffer& output, const KeyFrame& state, int brushCode,
                 uint32_t tintColour, int mode, int stageWidth, int stageHeight,
                 BlurMethod blur = BlurMethod::runningSum);

class BackgroundFill;

// Renders frames one after another as renderShow does, byte for byte, faster: it keeps the background
// scaled to the output between frames while the background picture and the output size stay the
// same, and it can cut each frame into bands of lines drawn on several threads. One FrameRenderer
// serves one caller at a time; several may render from one shared, unchanging show at once.
class FrameRenderer {
 public:
  // threads: threads drawing one frame (1 or less: only the calling thread).
  explicit FrameRenderer(int threads = 1);
  ~FrameRenderer();
  FrameRenderer(const FrameRenderer&) = delete;
  FrameRenderer& operator=(const FrameRenderer&) = delete;

  void setThreads(int threads) { threads_ = threads < 1 ? 1 : threads; }
  int threads() const { return threads_; }
  // Whether the background fill and the pictures' blend use the vectorised code (the default) or the
  // plain scalar code; both give the same bytes.
  void setScalarOnly(bool scalar) { scalarOnly_ = scalar; }
  // Whether the scaled background is kept for the next frame (the default).
  void setKeepBackground(bool keep) { keepBackground_ = keep; }

  // As renderShow.
  bool render(const Show& show, const RenderOptions& options, int time, int fieldMode, int lineFlag,
              ImageBuffer& output, FrameInput* frameInput, ImageBuffer& background,
              const KeyFrame* workingStates = nullptr);

 private:
  int threads_ = 1;
  bool scalarOnly_ = false;
  bool keepBackground_ = true;
  std::unique_ptr<BackgroundFill> background_;
};

// One frame of a batch for renderFrames: the renderShow arguments that belong to one frame.
struct RenderJob {
  int time = 0;
  int fieldMode = 0;
  int lineFlag = 0;
  ImageBuffer* output = nullptr;
  FrameInput* frameInput = nullptr;
  ImageBuffer* background = nullptr;
  bool ok = false;  // set to renderShow's result
};

// Renders each job with renderShow, spread over `threads` threads (1 or less: on the calling thread).
// Jobs must not share outputs, backgrounds or frame inputs; each job's host frame is its own time.
void renderFrames(const Show& show, const RenderOptions& options, std::vector<RenderJob>& jobs, int threads);
