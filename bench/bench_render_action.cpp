// The render action as a host calls it (vfAction through dlopen: frame input, composition, copy into
// a 24-bit destination) against renderShow alone on the same show and frame size, so the cost of the
// host path shows on its own.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "host/host_records.h"
#include "image/image_buffer.h"
#include "image/open_file.h"
#include "platform/settings_file.h"
#include "render/render_show.h"
#include "render/show_render_options.h"
#include "show/show_state.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 720, kHeight = 480;

// Four 128 x 128 pictures with soft edges crossing the stage, written as Targa files so that the
// plug-in loads them from its block like any stored show.
struct BenchShow {
  fs::path folder;
  std::vector<uint8_t> block = std::vector<uint8_t>(KM_PARAMETER_BLOCK_SIZE, 0);
  BenchShow() {
    std::string pattern = (fs::temp_directory_path() / "km-bench-XXXXXX").string();
    if (mkdtemp(pattern.data())) folder = pattern;
    setenv("KESTRELMOVE_CONFIG_DIR", folder.c_str(), 1);
    SettingsFile settings;
    auto show = std::make_unique<ShowState>(settings);
    for (int p = 0; p < 4; ++p) {
      ImageBuffer image(128, 128, 32);
      for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
          uint8_t* px = image.row(y) + 4 * x;
          px[0] = uint8_t(x * 2), px[1] = uint8_t(y * 2), px[2] = uint8_t(60 * p), px[3] = 255;
        }
      FileSpec spec;
      spec.setPath((folder / ("p" + std::to_string(p) + ".tga")).string());
      OpenFile file;
      if (file.open(spec, "wb")) image.write(file, 1);
      file.close();
      const int slot = show->loadPicture(spec, -1);
      KeyFrame a, b;
      a.x = 100.0f + 120 * p, a.y = 120, a.width = 200, a.height = 150, a.amount = 10.0f * p;
      b = a;
      b.x = 560.0f - 100 * p, b.y = 380, b.rotation = 90, b.time = 60;
      show->putKey(0, a, slot);
      show->putKey(1, b, slot);
      show->slots[slot].keyCount = 2;
    }
    show->storeShow(block.data(), block.size());
  }
  ~BenchShow() {
    std::error_code ec;
    fs::remove_all(folder, ec);
  }
};

BenchShow& benchShow() {
  static BenchShow show;
  return show;
}

void BM_RenderAction(benchmark::State& state) {
  BenchShow& show = benchShow();
  void* plugin = dlopen(KM_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  if (!plugin) {
    state.SkipWithError("cannot load the plug-in");
    return;
  }
  auto action = reinterpret_cast<VfActionProc>(dlsym(plugin, "vfAction"));
  HostParameters parameters{0, show.block.data()};
  HostProject project{};
  project.parameters = &parameters;
  FrameHeader source{40, kWidth, kHeight, 1, 24, 0, 0, 0, 0, 0, 0}, destination = source;
  std::vector<uint8_t> sourcePixels(size_t(kWidth) * kHeight * 3, 90), destinationPixels(sourcePixels.size());
  ActionRecord record{};
  record.action = KM_ACTION_RENDER;
  record.project = &project;
  record.sourceHeader = &source;
  record.sourcePixels = sourcePixels.data();
  record.destinationHeader = &destination;
  record.destinationPixels = destinationPixels.data();
  int frame = 0;
  for (auto _ : state) {
    record.frameNumber = frame++ % 60;
    benchmark::DoNotOptimize(action(0, &record));
  }
  state.SetItemsProcessed(state.iterations());
  dlclose(plugin);
}
BENCHMARK(BM_RenderAction)->Unit(benchmark::kMillisecond);

class FlatInput : public FrameInput {
 public:
  bool fetchFrame(int, ImageBuffer& into) override {
    if (!into.create(kWidth, kHeight, 32)) return false;
    std::memset(into.pixels(), 90, into.pixelBytes());
    return true;
  }
};

void BM_RenderShowAlone(benchmark::State& state) {
  BenchShow& bench = benchShow();
  SettingsFile settings;
  auto show = std::make_unique<ShowState>(settings);
  show->loadShow(bench.block.data(), bench.block.size(), false);
  ImageBuffer output(kWidth, kHeight, 32), background(8, 8, 32);
  FlatInput input;
  int frame = 0;
  const RenderOptions options = renderOptionsOf(*show);
  for (auto _ : state)
    benchmark::DoNotOptimize(renderShow(*show, options, frame++ % 60, 0, 0, output, &input, background));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RenderShowAlone)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
