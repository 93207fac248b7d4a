// Filter instances on several threads of one host, as MLT runs them: each loads the show and its
// pictures on its own thread, and the frames and messages of every instance are those of one alone.
#include <thread>

#include "tests/frei0r/frei0r_test_support.h"

namespace frei0rtest {
namespace {

constexpr unsigned kWidth = 320, kHeight = 240;

// Renders frames 0..count-1 of the show with one instance.
std::vector<std::vector<uint32_t>> renderFrames(LoadedFilter& filter, const fs::path& show, int count) {
  std::vector<std::vector<uint32_t>> frames;
  f0r_instance_t instance = filter.construct(kWidth, kHeight);
  filter.setText(instance, 0, show.string());
  filter.setText(instance, 1, "25");
  for (int f = 0; f < count; ++f) {
    const std::vector<uint32_t> in = patternFrame(kWidth, kHeight, f);
    std::vector<uint32_t> out(in.size(), 0);
    filter.update(instance, f / 25.0, in.data(), out.data());
    frames.push_back(out);
  }
  filter.destruct(instance);
  return frames;
}

TEST(Frei0rFilter, FourInstancesOnFourThreadsGiveTheFramesOfOne) {
  LoadedFilter filter;
  ASSERT_TRUE(filter.handle);
  const fs::path show = writeEveryBrushShow(freshFolder("threads"));
  constexpr int kCount = 12;
  const auto alone = renderFrames(filter, show, kCount);
  for (int f = 0; f < kCount; ++f) ASSERT_NE(alone[size_t(f)], patternFrame(kWidth, kHeight, f)) << f;

  std::vector<std::vector<std::vector<uint32_t>>> results(4);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) threads.emplace_back([&, t] { results[size_t(t)] = renderFrames(filter, show, kCount); });
  for (std::thread& t : threads) t.join();
  for (int t = 0; t < 4; ++t)
    for (int f = 0; f < kCount; ++f) EXPECT_EQ(results[size_t(t)][size_t(f)], alone[size_t(f)]) << "thread " << t << " frame " << f;
}

// A TIFF file whose directory names tiles: refused with a reason of its own, which no fallback
// decoder replaces.
void writeTiledTiff(const fs::path& path) {
  const uint8_t bytes[] = {'I', 'I', 42, 0, 8, 0, 0, 0,  // header, directory at 8
                           1, 0,                         // one entry
                           0x42, 0x01, 3, 0, 1, 0, 0, 0, 16, 0, 0, 0,  // TileWidth 16
                           0, 0, 0, 0};
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

TEST(Frei0rFilter, InstancesOnFourThreadsLoadPicturesThatLoadAndPicturesRefused) {
  LoadedFilter filter;
  ASSERT_TRUE(filter.handle);
  const fs::path folder = freshFolder("threads-refused");
  const fs::path show = writeEveryBrushShow(folder);
  writeTiledTiff(folder / "gradient.tga");
  constexpr int kCount = 3;
  // Both ordinary pictures are the refused file.
  const std::string one = "'gradient.tga' (Can't read tiled TIFF images)";
  const std::string refusal = "2 pictures cannot be loaded: " + one + ", " + one + ";";
  std::vector<std::vector<uint32_t>> alone;
  const std::string aloneErr = standardErrorOf([&] { alone = renderFrames(filter, show, kCount); });
  ASSERT_EQ(countOf(aloneErr, refusal), 1u) << aloneErr;

  std::vector<std::vector<std::vector<uint32_t>>> results(4);
  const std::string err = standardErrorOf([&] {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back([&, t] { results[size_t(t)] = renderFrames(filter, show, kCount); });
    for (std::thread& t : threads) t.join();
  });
  EXPECT_EQ(countOf(err, refusal), 4u) << err;
  for (int t = 0; t < 4; ++t) EXPECT_EQ(results[size_t(t)], alone) << "thread " << t;
}

}  // namespace
}  // namespace frei0rtest
