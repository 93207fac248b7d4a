// Renderer benchmarks: one frame of the fixed scene at two output sizes, and the blur brush alone at
// radius 15 with both ways of averaging.
#include <benchmark/benchmark.h>

#include "bench/bench_scene.h"
#include "image/image_buffer.h"
#include "render/render_show.h"
#include "render/show_render_options.h"

namespace {

void composeFrame(benchmark::State& state, bool withBrushes) {
  const BenchScene scene(withBrushes);
  ImageBuffer output(int(state.range(0)), int(state.range(1)), 32);
  ImageBuffer background(16, 16, 8);
  int frame = 0;
  for (auto _ : state) {
    renderShow(scene.show(), renderOptionsOf(scene.show()), frame, 0, 0, output, nullptr, background);
    benchmark::DoNotOptimize(output.pixels());
    frame = (frame + 7) % kSceneFrames;
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ComposeFrame(benchmark::State& state) { composeFrame(state, true); }
void BM_ComposePicturesOnly(benchmark::State& state) { composeFrame(state, false); }
BENCHMARK(BM_ComposeFrame)->Args({720, 480})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposePicturesOnly)->Args({720, 480})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

// The same frames from one FrameRenderer kept between frames (the background stays scaled), with the
// frame cut into bands on range(2) threads. CPU time counts the calling thread only: compare the
// threads by real time.
void composeFrameBanded(benchmark::State& state, bool withBrushes) {
  const BenchScene scene(withBrushes);
  ImageBuffer output(int(state.range(0)), int(state.range(1)), 32);
  ImageBuffer background(16, 16, 8);
  FrameRenderer renderer(int(state.range(2)));
  int frame = 0;
  for (auto _ : state) {
    renderer.render(scene.show(), renderOptionsOf(scene.show()), frame, 0, 0, output, nullptr, background);
    benchmark::DoNotOptimize(output.pixels());
    frame = (frame + 7) % kSceneFrames;
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ComposeFrameBands(benchmark::State& state) { composeFrameBanded(state, true); }
void BM_ComposePicturesOnlyBands(benchmark::State& state) { composeFrameBanded(state, false); }
BENCHMARK(BM_ComposeFrameBands)->Args({1920, 1080, 1})->Args({1920, 1080, 2})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ComposePicturesOnlyBands)->Args({1920, 1080, 1})->Args({1920, 1080, 2})->Unit(benchmark::kMillisecond)->UseRealTime();

// A full-strength blur brush (amount 100: radius 15) covering about 256 x 256 output pixels of a
// 720 x 480 frame; the ground is restored before each pass so every pass blurs the same picture.
void blurBrush(benchmark::State& state, BlurMethod method) {
  ImageBuffer ground(720, 480, 32);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 4 * 720; ++x) ground.row(y)[x] = uint8_t((x * 7 + y * 13) & 255);
  ImageBuffer mask(256, 256, 32);
  for (int y = 1; y < 255; ++y)
    for (int x = 1; x < 255; ++x) mask.row(y)[4 * x + 3] = 255;
  KeyFrame brush;
  brush.x = 320;
  brush.y = 240;
  brush.width = 256;
  brush.height = 256;
  brush.amount = 100;
  ImageBuffer output(720, 480, 32);
  for (auto _ : state) {
    state.PauseTiming();
    ground.copyTo(output, false);
    state.ResumeTiming();
    drawPicture(mask, output, brush, 1000, 255, kModeProgressive, 720, 480, method);
    benchmark::DoNotOptimize(output.pixels());
  }
  state.SetItemsProcessed(state.iterations() * 254 * 254);
}

void BM_BlurBrushDirect(benchmark::State& state) { blurBrush(state, BlurMethod::direct); }
void BM_BlurBrushRunningSum(benchmark::State& state) { blurBrush(state, BlurMethod::runningSum); }
BENCHMARK(BM_BlurBrushDirect)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlurBrushRunningSum)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
