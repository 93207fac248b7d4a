// Movie renders split over threads: decoding, rendering and encoding overlap, yet the frames written
// are the same whatever the thread count. A lossless encoder makes the decoded frames the rendered ones.
#include "tests/app/media_test_support.h"

using namespace mediatest;

namespace {

fs::path emptyShowFile(const fs::path& folder) {
  const fs::path json = folder / "empty.json", show = folder / "empty.kmv";
  std::FILE* f = std::fopen(json.c_str(), "w");
  std::fputs("{\"bigEndian\":false,\"changeStamp\":1,\"background\":{\"path\":\"\"},\"videoColours\":1,"
             "\"alphaBlur\":1,\"soundTrack\":null,\"pictures\":[]}",
             f);
  std::fclose(f);
  const RunResult r = runProgram({"show", "build", json.string(), "-o", show.string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return show;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

// The picture part of a framemd5 line (its last field).
std::string pictureOf(const std::string& line) { return line.substr(line.rfind(',') + 1); }

}  // namespace

TEST(MovieThreads, MovingShowOverAMovieWritesTheSameFramesWithOneTwoAndThreeThreads) {
  const fs::path folder = freshFolder("movie-threads");
  const fs::path input = makeMovie(folder / "in.mp4", "25", 1.6, "160x120", "libx264", "aac");
  std::string first;
  for (const char* threads : {"1", "2", "3"}) {
    const fs::path out = folder / (std::string("out") + threads + ".mkv");
    const RunResult r = runProgram({"render", movingShowFile().string(), "-i", input.string(), "-o", out.string(),
                                    "--codec", "ffv1", "--threads", threads});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string sums = frameChecksums("-i " + quoted(out));
    EXPECT_EQ(lines(sums).size(), 40u) << threads;
    if (first.empty()) first = sums;
    else EXPECT_EQ(sums, first) << threads << " threads";
  }
  // The pictures move, so equal checksums are not equal blank frames.
  const std::vector<std::string> frames = lines(first);
  ASSERT_GE(frames.size(), 2u);
  EXPECT_NE(pictureOf(frames.front()), pictureOf(frames.back()));
}

TEST(MovieThreads, EmptyShowPassesTheInputThroughAndHoldsItsLastFramePastTheEnd) {
  const fs::path folder = freshFolder("movie-threads-hold");
  // A lossless input, so the frames that come out can be compared with the frames that went in.
  const fs::path input = makeMovie(folder / "in.mkv", "25", 0.8, "160x120", "ffv1", "");
  const fs::path show = emptyShowFile(folder);
  ASSERT_EQ(lines(frameChecksums("-i " + quoted(input))).size(), 20u);
  for (const char* threads : {"1", "2"}) {
    const fs::path out = folder / (std::string("held") + threads + ".mkv");
    const RunResult r = runProgram({"render", show.string(), "-i", input.string(), "-o", out.string(), "--codec",
                                    "ffv1", "--pix-fmt", "bgr0", "--frames", "0-29", "--threads", threads});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> written = lines(frameChecksums("-i " + quoted(out) + " -pix_fmt rgb24"));
    ASSERT_EQ(written.size(), 30u) << threads;
    // Past the input's end its last frame holds; before it, the input's frames change.
    for (int f = 20; f < 30; ++f) EXPECT_EQ(pictureOf(written[size_t(f)]), pictureOf(written[19])) << f;
    EXPECT_NE(pictureOf(written[0]), pictureOf(written[19]));
  }
}
