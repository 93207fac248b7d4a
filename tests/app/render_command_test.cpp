// `kestrelmove render` and `kestrelmove movie`: bad input, image sequences against direct rendering,
// interlaced weaving, threads, movies.
#include <signal.h>
#include <unistd.h>

#include "app/media/video_source.h"
#include "tests/app/cli_test_support.h"

using namespace clitest;

namespace {

int lineCount(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

void expectBadInput(const RunResult& r, const std::string& named, const fs::path& output) {
  EXPECT_EQ(r.exitCode, 2) << r.err;
  EXPECT_EQ(lineCount(r.err), 1) << r.err;
  EXPECT_EQ(r.err.rfind("kestrelmove: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(output));
}

}  // namespace

TEST(RenderBadInput, UnreadableShowExitsTwoWithOneLineAndNoOutput) {
  const fs::path out = freshFolder("bad-show") / "out.mp4";
  const fs::path missing = scratchFolder() / "missing.kmv";
  expectBadInput(runProgram({"render", missing.string(), "-o", out.string()}), "missing.kmv", out);

  const fs::path notAShow = scratchFolder() / "not-a-show.kmv";
  std::ofstream(notAShow) << "just some text, not a show";
  expectBadInput(runProgram({"render", notAShow.string(), "-o", out.string()}), "not-a-show.kmv", out);
  expectBadInput(runProgram({"movie", notAShow.string(), "-o", out.string()}), "not-a-show.kmv", out);
}

TEST(RenderBadInput, UnreadableInputOrUnwritableOutputExitTwo) {
  const fs::path folder = freshFolder("bad-io");
  const std::string show = movingShowFile().string();
  expectBadInput(runProgram({"render", show, "-o", (folder / "a.mp4").string(), "-i", "nowhere.png"}), "nowhere.png",
                 folder / "a.mp4");
  expectBadInput(runProgram({"render", show, "-o", (folder / "b.mp4").string(), "-i", "#12345"}), "#12345",
                 folder / "b.mp4");
  const fs::path inMissingFolder = folder / "no-such-folder" / "c.mp4";
  expectBadInput(runProgram({"render", show, "-o", inMissingFolder.string()}), "no-such-folder", inMissingFolder);
  expectBadInput(runProgram({"render", show, "-o", (folder / "d.mp4").string(), "--size", "63x48"}), "even",
                 folder / "d.mp4");
  expectBadInput(runProgram({"render", show, "-o", (folder / "e.png").string()}), "e.png", folder / "e.png");
  EXPECT_TRUE(fs::is_empty(folder));
}

TEST(RenderSequence, PngFramesEqualDirectRendering) {
  const fs::path folder = freshFolder("sequence");
  const RunResult r = runProgram({"render", movingShowFile().string(), "-o", (folder / "f%03d.png").string(), "-i",
                                  "#204060", "--size", "64x48", "--frames", "3-5"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("3 frames"), std::string::npos) << r.out;
  const std::vector<uint8_t> block = movingShowBlock();
  for (int frame = 3; frame <= 5; ++frame) {
    char name[16];
    std::snprintf(name, sizeof name, "f%03d.png", frame);
    const RgbImage written = readPicture(folder / name);
    ASSERT_EQ(written.width, 64);
    ASSERT_EQ(written.height, 48);
    const ImageBuffer expected = renderOverColour(block, 64, 48, 0x20, 0x40, 0x60, frame, 0, 0);
    for (int line = 0; line < 48; ++line) ASSERT_TRUE(lineMatches(written, line, expected, line)) << name << " line " << line;
  }
  EXPECT_FALSE(fs::exists(folder / "f002.png"));
  EXPECT_FALSE(fs::exists(folder / "f006.png"));
}

TEST(RenderSequence, FieldsWeaveField1IntoEvenLinesAndField2IntoOddLines) {
  const fs::path folder = freshFolder("fields");
  const RunResult r = runProgram({"render", movingShowFile().string(), "-o", (folder / "i%d.png").string(), "-i",
                                  "#302010", "--size", "48x31", "--frames", "6-7", "--fields",
                                  "--aspect", "4:3"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<uint8_t> block = movingShowBlock();
  for (int frame = 6; frame <= 7; ++frame) {
    const RgbImage written = readPicture(folder / ("i" + std::to_string(frame) + ".png"));
    ASSERT_EQ(written.height, 31);
    // Host field 2f + 1 is field 1 at time f; host field 2f is field 2 (line flag 1) at time f.
    const ImageBuffer first = renderOverColour(block, 48, 16, 0x30, 0x20, 0x10, frame, 1, 0);
    const ImageBuffer second = renderOverColour(block, 48, 15, 0x30, 0x20, 0x10, frame, 2, 1);
    for (int line = 0; line < 31; ++line) {
      const ImageBuffer& field = line % 2 == 0 ? first : second;
      ASSERT_TRUE(lineMatches(written, line, field, line / 2)) << "frame " << frame << " line " << line;
    }
    // The two fields differ, so a swapped weave could not pass.
    int differing = 0;
    for (int k = 0; k < 15; ++k)
      differing += std::memcmp(first.row(15 - k), second.row(14 - k), 48 * 4) != 0;
    EXPECT_GT(differing, 0);
  }
}

TEST(RenderSequence, ThreadsWriteTheSameFramesAsOne) {
  const fs::path one = freshFolder("threads-1"), three = freshFolder("threads-3");
  const std::string show = movingShowFile().string();
  ASSERT_EQ(runProgram({"render", show, "-o", (one / "t%d.png").string(), "--size", "40x30", "--frames", "0-6",
                        "-i", "#808080"})
                .exitCode,
            0);
  const RunResult r = runProgram({"render", show, "-o", (three / "t%d.png").string(), "--size", "40x30", "--frames",
                                  "0-6", "-i", "#808080", "--threads", "3"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (int frame = 0; frame <= 6; ++frame) {
    const std::string name = "t" + std::to_string(frame) + ".png";
    EXPECT_EQ(readText(one / name), readText(three / name)) << name;
  }
}

TEST(RenderSequence, MovieCommandWritesWhatRenderWrites) {
  const fs::path viaRender = freshFolder("via-render"), viaMovie = freshFolder("via-movie");
  const std::string show = movingShowFile().string();
  ASSERT_EQ(runProgram({"render", show, "-o", (viaRender / "m%d.png").string(), "--size", "40x30", "--frames",
                        "8-10", "--fields"})
                .exitCode,
            0);
  const RunResult r = runProgram({"movie", show, "-o", (viaMovie / "m%d.png").string(), "--size", "40x30",
                                  "--frames", "8-10", "--fields"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (int frame = 8; frame <= 10; ++frame) {
    const std::string name = "m" + std::to_string(frame) + ".png";
    ASSERT_TRUE(fs::exists(viaMovie / name)) << name;
    EXPECT_EQ(readText(viaRender / name), readText(viaMovie / name)) << name;
  }
}

TEST(RenderMovie, WrittenWholeUnderItsNameAndDecodable) {
  const fs::path folder = freshFolder("movie");
  const fs::path movie = folder / "clip.mp4";
  const RunResult r = runProgram({"render", movingShowFile().string(), "-o", movie.string(), "--size", "64x48",
                                  "--frames", "0-9", "-i", "#405060", "--rate", "25"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // Only the finished movie is left in the folder.
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"clip.mp4"});

  std::string error;
  auto source = openMovieSource(movie.string(), error);
  ASSERT_TRUE(source) << error;
  EXPECT_EQ(source->naturalWidth(), 64);
  EXPECT_EQ(source->naturalHeight(), 48);
  EXPECT_EQ(source->frameCount(), 10);

  // The movie serves as host video in turn: its size and length become the defaults.
  const fs::path again = freshFolder("from-movie");
  const RunResult second = runProgram({"render", movingShowFile().string(), "-o", (again / "g%d.png").string(), "-i",
                                       movie.string()});
  ASSERT_EQ(second.exitCode, 0) << second.err;
  EXPECT_TRUE(fs::exists(again / "g9.png"));
  EXPECT_FALSE(fs::exists(again / "g10.png"));
  EXPECT_EQ(readPicture(again / "g0.png").width, 64);
}

TEST(Info, ShowsTheIdentityAndTheDecodedPipl) {
  const RunResult r = runProgram({"info"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* text : {"&Kestrelmove", "Marrowlane", "64000", "8BIM kind  VFlt", "8BIM name  \" Kestrelmove\"",
                           "8BIM eSVR  3", "libvft32.so"})
    EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
}

TEST(RenderMovie, InterruptedRenderLeavesNothingBehind) {
  const fs::path folder = freshFolder("interrupted");
  const fs::path movie = folder / "long.mp4";
  std::vector<std::string> all{KM_PROGRAM_PATH, "render", movingShowFile().string(), "-o", movie.string(), "--size",
                               "320x240", "--frames", "0-100000"};
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, KM_PROGRAM_PATH, nullptr, nullptr, argv.data(), environ), 0);
  // Wait until the movie is being written under its temporary name.
  bool writing = false;
  for (int i = 0; i < 200 && !writing; ++i) {
    usleep(50000);
    writing = !fs::is_empty(folder);
  }
  EXPECT_TRUE(writing);
  usleep(200000);
  kill(pid, SIGINT);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_TRUE(fs::is_empty(folder));
}

TEST(RenderSequence, FrameThatCannotBeWrittenStopsAllThreadsWithItsName) {
  const fs::path folder = freshFolder("blocked");
  // A folder under frame 9's name: the render finds out only when that frame is written.
  fs::create_directory(folder / "b9.png");
  const RunResult r = runProgram({"render", movingShowFile().string(), "-o", (folder / "b%d.png").string(), "--size",
                                  "40x30", "--frames", "0-40", "-i", "#808080", "--threads", "3"});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_EQ(lineCount(r.err), 1) << r.err;
  EXPECT_NE(r.err.find("cannot write '" + (folder / "b9.png").string() + "'"), std::string::npos) << r.err;
  // Frames before it are whole files; nothing after it and no temporary file is left.
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder)) left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  std::vector<std::string> expected{"b0.png", "b1.png", "b2.png", "b3.png", "b4.png",
                                    "b5.png", "b6.png", "b7.png", "b8.png", "b9.png"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
  EXPECT_TRUE(fs::is_directory(folder / "b9.png"));
}
