// The stage's two speed promises, on a headless screen with the demo show on a 640 x 480 stage:
//  - BM_StageDragStep: one mouse move of a move drag, which only inverts the old and the new outline
//    (BM_StageRedraw is what composing the stage once costs, for comparison);
//  - BM_StagePlayback: the demo played through twice (its 150 frames at 29.97 frames a second, about
//    10 s of real time) over host frames of 1920 x 1080 scaled to 640 x 480 at each fetch; it reports
//    the frames drawn per second and the share of the show's frames that were dropped.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <unistd.h>

#include "app/demo_show.h"
#include "editor/editor_context.h"
#include "editor/stage/stage_view.h"
#include "image/image_buffer.h"
#include "platform/messages.h"
#include "platform/platform_state.h"
#include "platform/screen/headless_backend.h"
#include "platform/screen/screen.h"
#include "platform/settings_file.h"
#include "render/frame_input.h"
#include "render/render_show.h"
#include "show/show_state.h"

namespace {

// Host video at 1920 x 1080: a few distinct frames held in memory (as a host's decoder would hand them
// over), scaled to the stage's 640 x 480 at every fetch.
class FullHdFrames : public FrameInput {
 public:
  FullHdFrames() {
    for (int f = 0; f < kFrames; ++f) {
      frames_[f].create(1920, 1080, 32);
      for (int y = 0; y < 1080; ++y) {
        uint8_t* row = frames_[f].row(y);
        for (int x = 0; x < 1920; ++x) {
          row[4 * x + 0] = uint8_t(x / 8 + f * 40);
          row[4 * x + 1] = uint8_t(y / 5);
          row[4 * x + 2] = uint8_t((x + y) / 12 + f * 20);
          row[4 * x + 3] = 255;
        }
      }
    }
  }
  bool fetchFrame(int frame, ImageBuffer& into) override {
    fetched.insert(frame);
    if (!into.create(640, 480, 32)) return false;
    return frames_[((frame % kFrames) + kFrames) % kFrames].convertInto(into, 0, 0);
  }
  std::set<int> fetched;

 private:
  static constexpr int kFrames = 4;
  ImageBuffer frames_[kFrames];
};

void pump() {
  WindowMessage m;
  while (peekMessage(m)) dispatch(m);
}

// The editor's pieces the stage needs, set up once for all benchmarks.
struct StageBench {
  StageBench() {
    folder = std::filesystem::temp_directory_path() / ("km-bench-playback-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    setenv("KESTRELMOVE_CONFIG_DIR", folder.c_str(), 1);
    ws::startScreen(std::make_unique<ws::HeadlessBackend>(), 1024, 768);
    platformInit(nullptr, "Kestrelmove", 101);
    show = std::make_unique<ShowState>(settings());
    ShowBlock block;
    std::string error;
    if (!buildDemoShow((folder / "demo").string(), block, error) ||
        !show->loadShow(block.data(), block.bytes.size(), false, &error)) {
      std::fprintf(stderr, "bench_playback: %s\n", error.c_str());
      std::exit(1);
    }
    show->showLength = kDemoFrames;
    context.show = show.get();
    context.frameInput = &frames;
    setEditorContext(&context);
    stage = std::make_unique<StageView>(nullptr);
    show->showAt(60, true);
    pump();
  }
  ~StageBench() {
    stage.reset();
    setEditorContext(nullptr);
    show.reset();
    platformExit();
    ws::stopScreen();
    std::filesystem::remove_all(folder);
  }
  ws::Point screenPoint(float stageX, float stageY) const {
    const ws::Point client{stage->frameRect.left + int(stageX * stage->zoom), stage->frameRect.top + int(stageY * stage->zoom)};
    return ws::screen().clientToScreen(stage->handle(), client);
  }

  std::filesystem::path folder;
  FullHdFrames frames;
  std::unique_ptr<ShowState> show;
  EditorContext context;
  std::unique_ptr<StageView> stage;
};

StageBench& bench() {
  static StageBench b;
  return b;
}

void BM_StageDragStep(benchmark::State& state) {
  StageBench& b = bench();
  b.show->showAt(60, true);
  pump();
  const KeyFrame& picture = b.stage->workingStates()[b.show->currentPicture];
  // Each run presses a few pixels away from the last one: a second press on the same spot within the
  // double-click time would be a double click, not the start of a drag.
  static int run = 0;
  ws::Point grab = b.screenPoint(picture.x, picture.y);
  grab.x += 6 * (run++ % 3) - 6;
  ws::screen().mouseMove(grab.x, grab.y);
  ws::screen().mouseButton(0, true, grab.x, grab.y);
  pump();
  if (b.stage->dragMode != StageView::kDragMove) state.SkipWithError("the press did not take hold of the picture");
  int step = 0;
  for (auto _ : state) {
    ++step;
    ws::screen().mouseMove(grab.x + (step % 20), grab.y + (step % 13));
    pump();
  }
  ws::screen().mouseButton(0, false, grab.x, grab.y);
  pump();
}
BENCHMARK(BM_StageDragStep)->Unit(benchmark::kMicrosecond);

void BM_StageRedraw(benchmark::State& state) {
  StageBench& b = bench();
  for (auto _ : state) b.stage->redrawStage(true);
}
BENCHMARK(BM_StageRedraw)->Unit(benchmark::kMillisecond);

void BM_StagePlayback(benchmark::State& state) {
  StageBench& b = bench();
  int64_t drawn = 0, shown = 0;
  double seconds = 0;
  for (auto _ : state) {
    for (int run = 0; run < 2; ++run) {
      b.frames.fetched.clear();
      b.show->currentTime = 0;
      const int64_t start = performanceCounter();
      b.stage->transport(+1);
      seconds += double(performanceCounter() - start) / double(performanceFrequency());
      // Frames 0 to the show's length inclusive could be shown; the stop and the repaint after it
      // fetch frames already counted.
      drawn += int64_t(b.frames.fetched.size());
      shown += b.show->showLength + 1;
    }
  }
  const double perSecond = double(drawn) / seconds;
  const double droppedShare = 1.0 - double(drawn) / double(shown);
  state.counters["drawn_per_s"] = perSecond;
  state.counters["dropped_share"] = droppedShare;
  std::printf("playback: %.2f s played, %lld of %lld frames drawn, %.2f frames drawn per second, %.1f%% dropped\n",
              seconds, (long long)drawn, (long long)shown, perSecond, 100.0 * droppedShare);
}
BENCHMARK(BM_StagePlayback)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
