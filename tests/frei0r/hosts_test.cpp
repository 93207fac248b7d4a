// The filter inside real hosts: FFmpeg's frei0r filter and melt render the show with every brush over
// a generated clip, and their frames are compared byte for byte with "kestrelmove render" of the same
// show over the same clip. The clip is stored as PNG frames in a movie (RGB, 8 bits a channel), so no
// host converts colours: FFmpeg and MLT only reorder the bytes into the filter's RGBA and back.
#include "tests/frei0r/frei0r_test_support.h"

namespace frei0rtest {
namespace {

struct HostCase {
  const char* name;
  const char* rate;     // as the hosts and "kestrelmove render --rate" take it
  const char* rational; // the clip's and the profile's frame rate
  int width, height;
  long aspectMode;      // the stage that "auto" chooses for this frame shape
};

// 4:3 at 25 fps and 16:9 at 29.97 fps: "auto" takes each clip's stage.
const HostCase kCases[] = {
    {"rate25", "25", "25/1", 320, 240, 7500},
    {"rate2997", "29.97", "30000/1001", 320, 180, 5625},
};
constexpr int kFrames = 14;

class HostsTest : public testing::TestWithParam<HostCase> {
 protected:
  void SetUp() override {
    const HostCase& c = GetParam();
    folder = freshFolder(std::string("hosts-") + c.name);
    writeSettings(c.aspectMode);
    show = writeEveryBrushShow(folder);
    clip = folder / "clip.mov";
    const RunResult made = run({"ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                                "testsrc=size=" + std::to_string(c.width) + "x" + std::to_string(c.height) +
                                    ":rate=" + c.rational,
                                "-frames:v", std::to_string(kFrames), "-c:v", "png", "-pix_fmt", "rgb24",
                                clip.string()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const fs::path expectedFolder = freshFolder(std::string("hosts-") + c.name + "-expected");
    const RunResult rendered = run({KM_PROGRAM_PATH, "render", show.string(), "-i", clip.string(), "--rate", c.rate,
                                    "-o", (expectedFolder / "frame%03d.png").string()});
    ASSERT_EQ(rendered.exitCode, 0) << rendered.err;
    expected = rawFrames(expectedFolder / "frame%03d.png");
    ASSERT_EQ(expected.size(), size_t(c.width) * c.height * 3 * kFrames);
    // The show must have drawn something, or the comparisons would prove nothing.
    ASSERT_NE(expected, rawFrames(clip));
  }

  // The frames of a movie or an image sequence as packed RGB bytes, one frame after another.
  std::string rawFrames(const fs::path& input) {
    const fs::path raw = folder / "raw.rgb";
    const RunResult r = run({"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", input.string(), "-f", "rawvideo",
                             "-pix_fmt", "rgb24", raw.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return readText(raw);
  }

  void expectSameFrames(const std::string& host, const std::string& actual) {
    ASSERT_EQ(actual.size(), expected.size()) << host << " wrote a different number of frames";
    const size_t frameBytes = size_t(GetParam().width) * GetParam().height * 3;
    for (size_t f = 0; f < kFrames; ++f) {
      const size_t at = f * frameBytes;
      size_t differing = 0;
      for (size_t i = at; i < at + frameBytes; ++i) differing += actual[i] != expected[i];
      EXPECT_EQ(differing, 0u) << host << ": frame " << f << " differs in " << differing << " bytes";
    }
  }

  fs::path folder, show, clip;
  std::string expected;
};

TEST_P(HostsTest, FfmpegFramesEqualKestrelmoveRender) {
  const HostCase& c = GetParam();
  const fs::path out = freshFolder(std::string("hosts-") + c.name + "-ffmpeg");
  // FFmpeg gives f0r_update the frame's time in milliseconds.
  const RunResult r = run({"ffmpeg", "-nostdin", "-v", "error", "-i", clip.string(), "-vf",
                           "frei0r=kestrelmove:" + show.string() + "|" + c.rate + "|auto|progressive|milliseconds",
                           "-pix_fmt", "rgb24", (out / "frame%03d.png").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  expectSameFrames("ffmpeg", rawFrames(out / "frame%03d.png"));
  // One frame stays beside the test program, to be looked at.
  std::error_code ec;
  fs::copy_file(out / "frame006.png", fs::current_path() / (std::string("ffmpeg-") + c.name + "-frame006.png"),
                fs::copy_options::overwrite_existing, ec);
}

TEST_P(HostsTest, MeltFramesEqualKestrelmoveRender) {
  const HostCase& c = GetParam();
  const fs::path out = freshFolder(std::string("hosts-") + c.name + "-melt");
  const std::string rational = c.rational;
  const size_t slash = rational.find('/');
  const fs::path profile = folder / "profile";
  std::ofstream(profile) << "description=test\nframe_rate_num=" << rational.substr(0, slash)
                         << "\nframe_rate_den=" << rational.substr(slash + 1) << "\nwidth=" << c.width
                         << "\nheight=" << c.height
                         << "\nprogressive=1\nsample_aspect_num=1\nsample_aspect_den=1\ndisplay_aspect_num="
                         << c.width << "\ndisplay_aspect_den=" << c.height << "\ncolorspace=709\n";
  // MLT passes seconds, the filter's default unit.
  const RunResult r = run({"melt", "-quiet", "-profile", profile.string(), clip.string(), "-filter",
                           "frei0r.kestrelmove", "show=" + show.string(), std::string("rate=") + c.rate, "-consumer",
                           "avformat:" + (out / "frame%03d.png").string(), "vcodec=png", "pix_fmt=rgb24", "an=1",
                           "real_time=0"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  expectSameFrames("melt", rawFrames(out / "frame%03d.png"));
}

INSTANTIATE_TEST_SUITE_P(Rates, HostsTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<HostCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace frei0rtest
