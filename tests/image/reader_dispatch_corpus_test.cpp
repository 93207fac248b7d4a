// The reader dispatch fuzz target's named seeds, read as pictures: each is a small file of a known
// kind, so each must give its known result. (What the fuzzer added is named by its SHA-1 and only
// replayed.) (Inputs that once broke a reader are replayed from fuzz/regressions
// by the target's own replay test.)
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/image/ffmpeg_made_files.h"

namespace {

using namespace imagetest;

const std::filesystem::path kCorpus = std::filesystem::path(KM_SOURCE_DIR) / "fuzz/corpus/reader_dispatch_fuzz";

TEST(ReaderDispatchCorpus, SeedsGiveTheirKnownResults) {
  struct Known {
    int result, width, height, bits;
  };
  // The OS/2 file comes through the fallback decoders, at 32 bits; the tiled TIFF is refused.
  const std::map<std::string, Known> known = {
      {"plain24.bmp", {kReadOk, 3, 2, 24}}, {"fields565.bmp", {kReadOk, 3, 2, 24}},
      {"fields8888.bmp", {kReadOk, 2, 2, 32}}, {"os2.bmp", {kReadOk, 3, 2, 32}},
      {"plain.tga", {kReadOk, 3, 2, 24}},    {"rgb.psd", {kReadOk, 2, 2, 24}},
      {"rgb.tif", {kReadOk, 2, 2, 24}},      {"tiled.tif", {kReadUnsupported, 0, 0, 0}},
      {"tiny.jpg", {kReadOk, 8, 8, 24}},     {"tiny.png", {kReadOk, 4, 4, 32}}};
  size_t seen = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kCorpus)) {
    if (!entry.is_regular_file()) continue;
    const std::string name = entry.path().filename().string();
    if (name.size() == 40 && name.find_first_not_of("0123456789abcdef") == std::string::npos) continue;
    const auto k = known.find(name);
    ASSERT_NE(k, known.end()) << name << " is a seed without a known result";
    ++seen;
    ImageBuffer b;
    ASSERT_EQ(loadFile(entry.path().string(), b), k->second.result) << name;
    if (k->second.result != kReadOk) continue;
    EXPECT_EQ(b.width(), k->second.width) << name;
    EXPECT_EQ(b.height(), k->second.height) << name;
    EXPECT_EQ(b.bitsPerPixel(), k->second.bits) << name;
  }
  EXPECT_EQ(seen, known.size());
}

}  // namespace
