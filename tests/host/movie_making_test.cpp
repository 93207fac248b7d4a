// Movie making: what the plug-in hands MakeFilm, its two callbacks, and the movie library driving the
// render action frame by frame.
#include "app/media/png_file.h"
#include "app/vft32/movie_job.h"
#include "tests/host/plugin_test_support.h"

using namespace plugintest;

namespace {

struct Captured {
  int calls = 0;
  bool hadTrack = false;
  ParameterTrackDescriptor track{};
  std::vector<ParameterTrackEntry> entries;
  ParameterCallbackProc parameters = nullptr;
  ProgressCallbackProc progress = nullptr;
  int32_t flags = 0;
  int32_t answer = 1;
  bool forward = false;
};
Captured gCaptured;

}  // namespace

// Takes the movie library's place for the plug-in loaded by these tests (the program exports it).
extern "C" KM_EXPORT int32_t MakeFilm(InfoRecord* info, ParameterCallbackProc parameters, ProgressCallbackProc progress,
                                      int32_t flags) {
  Captured& c = gCaptured;
  ++c.calls;
  c.parameters = parameters;
  c.progress = progress;
  c.flags = flags;
  c.hadTrack = info && info->parameterTracks;
  if (c.hadTrack) {
    c.track = *info->parameterTracks;
    c.entries.assign(c.track.entries, c.track.entries + c.track.entryCount);
  }
  if (!c.forward) return c.answer;
  void* library = dlopen(KM_MOVIE_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  if (!library) return -1;
  auto real = reinterpret_cast<MakeFilmProc>(dlsym(library, "MakeFilm"));
  const int32_t result = real ? real(info, parameters, progress, flags) : -1;
  dlclose(library);
  return result;
}

namespace {

class MovieMaking : public ::testing::Test {
 protected:
  void SetUp() override { gCaptured = Captured{}; }
  LoadedPlugin plugin;
};

// The plug-in's two callbacks, got by making a movie.
void captureCallbacks(LoadedPlugin& plugin) {
  InfoRecord info{};
  ASSERT_EQ(plugin.getInfo(0, 0, KM_INFO_MAKE_MOVIE, &info), 1);
  ASSERT_NE(gCaptured.parameters, nullptr);
}

}  // namespace

TEST_F(MovieMaking, StandInTrackPointsAtTheSpareBlockTwiceForTheCallOnly) {
  InfoRecord info{};
  gCaptured.answer = 17;
  EXPECT_EQ(plugin.getInfo(0, 0, KM_INFO_MAKE_MOVIE, &info), 17);
  EXPECT_EQ(gCaptured.calls, 1);
  EXPECT_EQ(gCaptured.flags, -1);
  ASSERT_TRUE(gCaptured.hadTrack);
  EXPECT_EQ(gCaptured.track.hostField4, 9);
  ASSERT_EQ(gCaptured.track.entryCount, 2);
  EXPECT_EQ(gCaptured.entries[0].position, 0);
  EXPECT_EQ(gCaptured.entries[1].position, 9);
  EXPECT_NE(gCaptured.entries[0].area, nullptr);
  EXPECT_EQ(gCaptured.entries[0].area, gCaptured.entries[1].area);
  EXPECT_EQ(info.parameterTracks, nullptr);
}

TEST_F(MovieMaking, HostTrackIsPassedOnUnchanged) {
  uint8_t area[KM_PARAMETER_BLOCK_SIZE] = {};
  ParameterTrackEntry entry{5, area};
  ParameterTrackDescriptor track{1, 2, 1, &entry};
  InfoRecord info{};
  info.parameterTracks = &track;
  EXPECT_EQ(plugin.getInfo(0, 0, KM_INFO_MAKE_MOVIE, &info), 1);
  EXPECT_EQ(info.parameterTracks, &track);
  ASSERT_EQ(gCaptured.entries.size(), 1u);
  EXPECT_EQ(gCaptured.entries[0].area, area);
  EXPECT_EQ(plugin.getInfo(0, 0, KM_INFO_MAKE_MOVIE, nullptr), 0);
}

TEST_F(MovieMaking, ParameterCallbackCodes) {
  captureCallbacks(plugin);
  ParameterCallbackProc callback = gCaptured.parameters;
  std::vector<uint8_t> a(KM_PARAMETER_BLOCK_SIZE, 0xA1), b(KM_PARAMETER_BLOCK_SIZE, 0xB2);
  a[0] = 1;
  b[KM_PARAMETER_BLOCK_SIZE - 1] = 2;
  ParameterTrackEntry first{0, a.data()}, second{9, b.data()};

  uint8_t* slot = nullptr;
  ASSERT_EQ(callback(KM_PARAMETERS_ALLOCATE, 0, &slot, nullptr, nullptr), 1);
  ASSERT_NE(slot, nullptr);
  EXPECT_TRUE(std::all_of(slot, slot + KM_PARAMETER_BLOCK_SIZE, [](uint8_t v) { return v == 0; }));

  EXPECT_EQ(callback(KM_PARAMETERS_COPY, 0, &slot, &first, nullptr), 1);
  EXPECT_EQ(std::vector<uint8_t>(slot, slot + KM_PARAMETER_BLOCK_SIZE), a);
  EXPECT_EQ(callback(KM_PARAMETERS_BLEND, 0, &slot, &first, &second), 1);
  EXPECT_EQ(std::vector<uint8_t>(slot, slot + KM_PARAMETER_BLOCK_SIZE), b);
  // The code is a 16-bit number: the high half is ignored.
  EXPECT_EQ(callback(0x70003, 0, &slot, &first, nullptr), 1);
  EXPECT_EQ(std::vector<uint8_t>(slot, slot + KM_PARAMETER_BLOCK_SIZE), a);
  // Other codes do nothing.
  EXPECT_EQ(callback(4, 0, &slot, &second, nullptr), 1);
  EXPECT_EQ(std::vector<uint8_t>(slot, slot + KM_PARAMETER_BLOCK_SIZE), a);

  EXPECT_EQ(callback(KM_PARAMETERS_FREE, 0, &slot, nullptr, nullptr), 1);
  EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(callback(KM_PARAMETERS_FREE, 0, &slot, nullptr, nullptr), 1);
  EXPECT_EQ(callback(KM_PARAMETERS_FREE, 0, nullptr, nullptr, nullptr), 1);
}

TEST_F(MovieMaking, CopiesWithoutTheirAreasFail) {
  captureCallbacks(plugin);
  ParameterCallbackProc callback = gCaptured.parameters;
  uint8_t* slot = nullptr;
  std::vector<uint8_t> a(KM_PARAMETER_BLOCK_SIZE, 1);
  ParameterTrackEntry first{0, a.data()}, empty{0, nullptr};
  EXPECT_EQ(callback(KM_PARAMETERS_COPY, 0, &slot, &first, nullptr), 0);
  ASSERT_EQ(callback(KM_PARAMETERS_ALLOCATE, 0, &slot, nullptr, nullptr), 1);
  EXPECT_EQ(callback(KM_PARAMETERS_COPY, 0, &slot, &empty, nullptr), 0);
  EXPECT_EQ(callback(KM_PARAMETERS_BLEND, 0, &slot, &first, nullptr), 0);
  EXPECT_EQ(slot[0], 0);
  EXPECT_EQ(callback(KM_PARAMETERS_FREE, 0, &slot, nullptr, nullptr), 1);
}

TEST_F(MovieMaking, ProgressAlwaysCarriesOn) {
  captureCallbacks(plugin);
  for (int p : {0, 50, 100, -1}) EXPECT_EQ(gCaptured.progress(p), 1);
}

namespace {

struct JobHost {
  RenderRecords* records;
  FrameHeader header{};
  int progressCalls = 0;
};

int32_t colourSource(void* user, int32_t, const FrameHeader** header, const uint8_t** pixels, int32_t* atOutputSize) {
  auto* host = static_cast<JobHost*>(user);
  *header = &host->records->sourceHeader;
  *pixels = host->records->source.data();
  *atOutputSize = 1;
  return 1;
}

void countProgress(void* user, int32_t, int32_t) { ++static_cast<JobHost*>(user)->progressCalls; }

MovieJob sequenceJob(JobHost& host, const std::string& pattern, int first, int last) {
  MovieJob job{};
  job.size = sizeof job;
  job.outputPath = pattern.c_str();
  job.width = host.records->destinationHeader.width;
  job.height = host.records->destinationHeader.height;
  job.firstFrame = first;
  job.lastFrame = last;
  job.source = colourSource;
  job.progress = countProgress;
  job.user = &host;
  return job;
}

// The written frame matches the show rendered directly at that time.
void expectFrameFile(const std::string& path, const RenderRecords& r, const std::vector<uint8_t>& block, int time) {
  RgbImage written;
  std::string error;
  ASSERT_TRUE(readPng(path, written, error)) << path << ": " << error;
  const ImageBuffer expected = renderDirect(block, r, time, 0, 0);
  ASSERT_EQ(written.width, expected.width());
  ASSERT_EQ(written.height, expected.height());
  for (int y = 0; y < written.height; ++y)
    for (int x = 0; x < written.width; ++x) {
      const uint8_t* e = expected.row(expected.height() - 1 - y) + 4 * x;
      const uint8_t* w = &written.rgb[(size_t(y) * written.width + x) * 3];
      ASSERT_TRUE(w[0] == e[2] && w[1] == e[1] && w[2] == e[0]) << path << " at " << x << "," << y;
    }
}

}  // namespace

TEST_F(MovieMaking, MakeFilmRendersEveryFrameFromTheHostsTrack) {
  gCaptured.forward = true;
  std::vector<uint8_t> block = movingShowBlock();
  RenderRecords r(block.data(), 40, 30, 24);
  VfActionProc action = plugin.action;
  JobHost host{&r};
  const std::string pattern = (scratchFolder() / "track%d.png").string();
  MovieJob job = sequenceJob(host, pattern, 3, 6);
  job.render = action;
  ParameterTrackEntry entry{0, block.data()};
  ParameterTrackDescriptor track{0, 0, 1, &entry};
  InfoRecord info{};
  info.parameterTracks = &track;
  info.movieJob = &job;
  ASSERT_EQ(plugin.getInfo(0, 0, KM_INFO_MAKE_MOVIE, &info), 1) << job.message;
  EXPECT_EQ(job.framesWritten, 4);
  EXPECT_EQ(host.progressCalls, 4);
  EXPECT_EQ(plugin.status().showLoads, 1);
  for (int frame = 3; frame <= 6; ++frame)
    expectFrameFile((scratchFolder() / ("track" + std::to_string(frame) + ".png")).string(), r, block, frame);
  EXPECT_FALSE(fs::exists(scratchFolder() / "track2.png"));
  EXPECT_FALSE(fs::exists(scratchFolder() / "track7.png"));
}

TEST_F(MovieMaking, WithoutAHostTrackTheShowInMemoryIsRendered) {
  gCaptured.forward = true;
  std::vector<uint8_t> block = movingShowBlock();
  RenderRecords r(block.data(), 40, 30, 24);
  ASSERT_EQ(plugin.action(0, &r.record), 1);  // the show comes into memory
  JobHost host{&r};
  const std::string pattern = (scratchFolder() / "spare%d.png").string();
  MovieJob job = sequenceJob(host, pattern, 12, 12);
  job.render = plugin.action;
  InfoRecord info{};
  info.movieJob = &job;
  ASSERT_EQ(plugin.getInfo(0, 0, KM_INFO_MAKE_MOVIE, &info), 1) << job.message;
  EXPECT_EQ(job.framesWritten, 1);
  EXPECT_EQ(plugin.status().pictureCount, 1);
  expectFrameFile((scratchFolder() / "spare12.png").string(), r, block, 12);
}

TEST_F(MovieMaking, AnIncompleteJobFailsWithAMessage) {
  gCaptured.forward = true;
  MovieJob job{};
  job.size = sizeof job;
  InfoRecord info{};
  info.movieJob = &job;
  EXPECT_EQ(plugin.getInfo(0, 0, KM_INFO_MAKE_MOVIE, &info), 0);
  EXPECT_STRNE(job.message, "");
}
