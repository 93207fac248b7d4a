// What a render leaves and says: existing outputs kept unless -y, every stop signal cleaning up and
// naming what is left, --progress lines for scripts, inputs taken by their content, and the input's
// picture description and the encoder choices reaching the movie.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/app/media_test_support.h"

using namespace mediatest;

namespace {

RunResult render(std::vector<std::string> args) {
  args.insert(args.begin(), "render");
  return runProgram(args);
}

std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Starts a render in the background with its standard error in a file; returns its process id.
pid_t startRender(const std::vector<std::string>& args, const fs::path& errors) {
  std::vector<std::string> all{KM_PROGRAM_PATH, "render"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  EXPECT_EQ(posix_spawn(&pid, KM_PROGRAM_PATH, &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Waits up to ten seconds for `ready`.
template <typename Test>
bool waitFor(Test ready) {
  for (int i = 0; i < 1000; ++i) {
    if (ready()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

int exitCodeOf(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(RenderSafety, AnExistingOutputIsKeptUnlessOverwriteIsAsked) {
  const fs::path folder = freshFolder("existing");
  const std::string show = movingShowFile().string();
  const fs::path movie = folder / "kept.mp4";
  std::ofstream(movie) << "precious";
  RunResult r = render({show, "--size", "32x24", "--frames", "0-2", "-o", movie.string()});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("kept.mp4' exists; -y or --overwrite replaces it"), std::string::npos) << r.err;
  EXPECT_EQ(readText(movie), "precious");
  r = render({show, "--size", "32x24", "--frames", "0-2", "-o", movie.string(), "-y"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(decodedFrames(movie), 3);

  // A sequence is refused when any frame of its range is there; others do not matter.
  std::ofstream(folder / "f7.png") << "precious";
  std::ofstream(folder / "f20.png") << "elsewhere";
  r = render({show, "--size", "32x24", "--frames", "5-9", "-o", (folder / "f%d.png").string()});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("f7.png' exists (frame 7 of the sequence)"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(folder / "f5.png"));
  ASSERT_EQ(render({show, "--size", "32x24", "--frames", "10-12", "-o", (folder / "f%d.png").string()}).exitCode, 0);
  ASSERT_EQ(render({show, "--size", "32x24", "--frames", "5-9", "-o", (folder / "f%d.png").string(), "--overwrite"})
                .exitCode,
            0);
  EXPECT_NE(readText(folder / "f7.png"), "precious");
  EXPECT_EQ(readText(folder / "f20.png"), "elsewhere");
}

TEST(RenderSafety, SigtermAndSighupStopCleanlyAndSayWhatIsLeft) {
  const fs::path folder = freshFolder("terminated");
  const std::string show = movingShowFile().string();
  const fs::path errors = scratchFolder() / "terminated-err.txt";
  pid_t pid = startRender({show, "--size", "640x360", "--frames", "0-100000", "-o", (folder / "long.mp4").string()}, errors);
  // Wait until the movie is being written under its hidden name.
  EXPECT_TRUE(waitFor([&] { return !fs::is_empty(folder); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  kill(pid, SIGTERM);
  EXPECT_EQ(exitCodeOf(pid), 1);
  EXPECT_TRUE(fs::is_empty(folder)) << namesIn(folder).front();
  std::string err = readText(errors);
  EXPECT_NE(err.find("interrupted by SIGTERM; nothing written under '" + (folder / "long.mp4").string() + "'"),
            std::string::npos)
      << err;

  // A sequence keeps its finished frames and lists them.
  pid = startRender({show, "--size", "64x48", "--frames", "0-100000", "-o", (folder / "s%d.bmp").string()}, errors);
  EXPECT_TRUE(waitFor([&] { return fs::exists(folder / "s3.bmp"); }));
  kill(pid, SIGHUP);
  EXPECT_EQ(exitCodeOf(pid), 1);
  err = readText(errors);
  const std::vector<std::string> left = namesIn(folder);
  for (const std::string& name : left) EXPECT_EQ(name.find(".part"), std::string::npos) << name;
  const std::string expected = "interrupted by SIGHUP; " + std::to_string(left.size()) +
                               " frames written before the stop: " + (folder / "s0.bmp").string() + " to " +
                               (folder / ("s" + std::to_string(left.size() - 1) + ".bmp")).string();
  EXPECT_NE(err.find(expected), std::string::npos) << err << " expected " << expected;
}

TEST(RenderProgress, OneLinePerFinishedFrameWhenPiped) {
  const fs::path folder = freshFolder("progress");
  for (const char* threads : {"1", "2"}) {
    const RunResult r = render({movingShowFile().string(), "--size", "32x24", "--frames", "3-6", "--progress",
                                "--threads", threads, "-o", (folder / "p%d.png").string(), "-y"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::istringstream lines(r.err);
    std::string line;
    int done = 0;
    while (std::getline(lines, line)) {
      ++done;
      const std::string head = "frame=" + std::to_string(2 + done) + " done=" + std::to_string(done) + " total=4 fps=";
      EXPECT_EQ(line.rfind(head, 0), 0u) << line;
      EXPECT_GT(std::atof(line.substr(head.size()).c_str()), 0.0) << line;
    }
    EXPECT_EQ(done, 4) << r.err;
  }
  // The movie command reports the same way.
  const RunResult m = runProgram({"movie", movingShowFile().string(), "--size", "32x24", "--frames", "0-1",
                                  "--progress", "-o", (folder / "m.mp4").string()});
  ASSERT_EQ(m.exitCode, 0) << m.err;
  EXPECT_EQ(m.err.rfind("frame=0 done=1 total=2 fps=", 0), 0u) << m.err;
  EXPECT_NE(m.err.find("\nframe=1 done=2 total=2 fps="), std::string::npos) << m.err;
}

TEST(RenderInputs, MoviesAreKnownByContentWhateverTheirName) {
  const fs::path folder = freshFolder("by-content");
  const fs::path mp4 = makeMovie(folder / "in.mp4", "25", 1, "32x24", "libx264", "");
  const fs::path ts = folder / "in.ts", webm = folder / "in.webm", mpg = folder / "in.mpg", bare = folder / "clip";
  ASSERT_TRUE(ffmpeg("-i " + quoted(mp4) + " -c copy", ts));
  ASSERT_TRUE(ffmpeg("-i " + quoted(mp4) + " -c:v libvpx-vp9 -deadline realtime", webm));
  ASSERT_TRUE(ffmpeg("-i " + quoted(mp4) + " -c:v mpeg2video", mpg));
  fs::copy_file(mp4, bare);
  for (const fs::path& in : {ts, webm, mpg, bare}) {
    const fs::path out = folder / (in.filename().string() + ".mp4");
    const RunResult r = render({movingShowFile().string(), "-i", in.string(), "-o", out.string()});
    ASSERT_EQ(r.exitCode, 0) << in << ": " << r.err;
    EXPECT_EQ(decodedFrames(out), 25) << in;
    EXPECT_EQ(probe(out, "v:0", "width"), "32") << in;
  }
}

TEST(RenderOutputs, ThePicturesDescriptionAndTheEncoderChoicesReachTheMovie) {
  const fs::path folder = freshFolder("description");
  // Anamorphic, interlaced top field first, BT.709.
  const fs::path in = makeMovie(folder / "in.mp4", "25", 1, "64x48", "libx264", "",
                                "-vf setsar=4/3 -flags +ildct+ilme -x264opts tff=1 -color_primaries bt709 "
                                "-color_trc bt709 -colorspace bt709");
  const fs::path out = folder / "out.mp4";
  RunResult r = render({movingShowFile().string(), "-i", in.string(), "-o", out.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(probe(out, "v:0", "sample_aspect_ratio"), "4:3");
  EXPECT_EQ(probe(out, "v:0", "field_order"), "tt");
  EXPECT_EQ(probe(out, "v:0", "color_space"), "bt709");
  EXPECT_EQ(probe(out, "v:0", "color_primaries"), "bt709");
  EXPECT_EQ(probe(out, "v:0", "pix_fmt"), "yuv420p");

  // 10-bit 4:2:2 ProRes stays 10-bit 4:2:2 in H.264; the encoder can be chosen with its settings.
  const fs::path prores = makeMovie(folder / "in.mov", "25", 0.4, "64x48", "prores_ks", "",
                                    "-profile:v 2 -pix_fmt yuv422p10le");
  r = render({movingShowFile().string(), "-i", prores.string(), "-o", (folder / "deep.mov").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(probe(folder / "deep.mov", "v:0", "pix_fmt"), "yuv422p10le");
  EXPECT_EQ(probe(folder / "deep.mov", "v:0", "codec_name"), "h264");
  r = render({movingShowFile().string(), "-i", prores.string(), "-c:v", "libx265", "--crf", "30", "--preset",
              "ultrafast", "--pix-fmt", "yuv444p", "-o", (folder / "chosen.mkv").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(probe(folder / "chosen.mkv", "v:0", "codec_name"), "hevc");
  EXPECT_EQ(probe(folder / "chosen.mkv", "v:0", "pix_fmt"), "yuv444p");
  EXPECT_EQ(decodedFrames(folder / "chosen.mkv"), 10);

  // Choices that cannot work are a one-line message and exit code 1, with nothing left behind.
  auto oneLine = [](const RunResult& result) { return std::count(result.err.begin(), result.err.end(), '\n') == 1; };
  const fs::path bad = freshFolder("bad-encoder");
  r = render({movingShowFile().string(), "-c:v", "nosuchcodec", "-o", (bad / "a.mp4").string()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("no video encoder named 'nosuchcodec'"), std::string::npos) << r.err;
  r = render({movingShowFile().string(), "--pix-fmt", "yuv422p10le", "-c:v", "mpeg4", "-o", (bad / "b.avi").string()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("cannot write yuv422p10le"), std::string::npos) << r.err;
  r = render({movingShowFile().string(), "--preset", "sideways", "-o", (bad / "c.mp4").string()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("encoder has no preset 'sideways'"), std::string::npos) << r.err;
  EXPECT_TRUE(oneLine(r)) << r.err;
  EXPECT_TRUE(fs::is_empty(bad));
}

TEST(RenderChunksScript, TwoLocalJobSlotsGiveTheFramesOfOneWholeRender) {
  if (std::system("command -v parallel >/dev/null") != 0) GTEST_SKIP() << "GNU Parallel is not installed";
  const fs::path folder = freshFolder("render-chunks");
  const fs::path in = makeMovie(folder / "in.mp4", "25", 2, "48x36", "libx264", "aac");
  const std::string show = movingShowFile().string();
  const fs::path whole = folder / "whole.mkv", joined = folder / "joined.mkv";
  ASSERT_EQ(render({show, "-i", in.string(), "--frames", "0-44", "-c:v", "ffv1", "-o", whole.string()}).exitCode, 0);
  const fs::path script = fs::path(KM_TEST_DATA_DIR).parent_path().parent_path() / "scripts" / "render-chunks";
  const std::string command = "KESTRELMOVE=" + std::string(KM_PROGRAM_PATH) + " " + quoted(script) + " " + show +
                              " -o " + quoted(joined) + " --frames 0-44 --chunk 10 --jobs 2 -- -i " + quoted(in) +
                              " -c:v ffv1 2>" + quoted(folder / "log.txt");
  ASSERT_EQ(std::system(command.c_str()), 0) << readText(folder / "log.txt");
  const std::string log = readText(folder / "log.txt");
  EXPECT_NE(log.find("render-chunks: 45 frames in 5 chunks (5 rendered now, 0 from an earlier run, 0 retries)"),
            std::string::npos)
      << log;
  EXPECT_EQ(frameChecksums("-i " + quoted(joined)), frameChecksums("-i " + quoted(whole)));
  EXPECT_EQ(decodedFrames(joined), 45);
  EXPECT_NEAR(probeSeconds(joined, "a:0") > 0 ? probeSeconds(joined, "a:0") : 1.8, 1.8, 0.1);
  // The chunks' folder is gone; the joined movie is not replaced without -y.
  EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"in.mp4", "joined.mkv", "log.txt", "whole.mkv"}));
  EXPECT_NE(std::system(command.c_str()), 0);
}
