// The filter inside real hosts: FFmpeg's frei0r filter, melt and GStreamer render the show with every
// brush over a generated clip, and their frames are compared byte for byte with "kestrelmove render" of
// the same show over the same clip. The clip is stored as PNG frames in a movie (RGB, 8 bits a
// channel), so no host converts colours: the hosts only reorder the bytes into the filter's RGBA and
// back.
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

// A frame that holds one field: FFmpeg's field filter cuts the clip's frames into their top (even)
// and bottom (odd) lines, and the filter, told which field it gets, must draw on them what
// "kestrelmove render --fields" weaves into those lines of the same frame.
TEST_P(HostsTest, FfmpegFieldsEqualTheLinesKestrelmoveRenderWeaves) {
  const HostCase& c = GetParam();
  const fs::path woven = freshFolder(std::string("hosts-") + c.name + "-woven");
  const RunResult rendered = run({KM_PROGRAM_PATH, "render", show.string(), "-i", clip.string(), "--rate", c.rate,
                                  "--fields", "-o", (woven / "frame%03d.png").string()});
  ASSERT_EQ(rendered.exitCode, 0) << rendered.err;
  const std::string wovenFrames = rawFrames(woven / "frame%03d.png");
  ASSERT_EQ(wovenFrames.size(), expected.size());
  // Fields are rendered apart, so the woven frames differ from the progressive ones.
  ASSERT_NE(wovenFrames, expected);

  const fs::path out = freshFolder(std::string("hosts-") + c.name + "-fields");
  const std::string filter = std::string("|") + c.rate + "|auto|";
  const RunResult r = run({"ffmpeg", "-nostdin", "-v", "error", "-i", clip.string(), "-filter_complex",
                           "[0:v]split[a][b];[a]field=top,frei0r=kestrelmove:" + show.string() + filter +
                               "top|milliseconds[top];[b]field=bottom,frei0r=kestrelmove:" + show.string() +
                               filter + "bottom|milliseconds[bottom]",
                           "-map", "[top]", "-pix_fmt", "rgb24", (out / "top%03d.png").string(), "-map", "[bottom]",
                           "-pix_fmt", "rgb24", (out / "bottom%03d.png").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::string top = rawFrames(out / "top%03d.png");
  const std::string bottom = rawFrames(out / "bottom%03d.png");
  const size_t row = size_t(c.width) * 3;
  const size_t fieldRows = size_t(c.height) / 2;
  ASSERT_EQ(top.size(), row * fieldRows * kFrames);
  ASSERT_EQ(bottom.size(), top.size());
  for (int f = 0; f < kFrames; ++f) {
    size_t differing[2] = {0, 0};
    for (size_t y = 0; y < size_t(c.height); ++y) {
      const std::string& field = y % 2 == 0 ? top : bottom;
      const size_t from = (size_t(f) * fieldRows + y / 2) * row;
      const size_t at = (size_t(f) * c.height + y) * row;
      for (size_t i = 0; i < row; ++i) differing[y % 2] += field[from + i] != wovenFrames[at + i];
    }
    EXPECT_EQ(differing[0], 0u) << "frame " << f << ": the top field differs in " << differing[0] << " bytes";
    EXPECT_EQ(differing[1], 0u) << "frame " << f << ": the bottom field differs in " << differing[1] << " bytes";
  }
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

// GStreamer makes every filter on FREI0R_PATH an element, frei0r-filter-kestrelmove, with a string
// property for each parameter, and gives the frame's time in seconds, the filter's default unit. It
// holds double parameters to [0, 1], so this is the host that needs the rate as a string.
TEST_P(HostsTest, GstreamerFramesEqualKestrelmoveRender) {
  const HostCase& c = GetParam();
  const fs::path raw = freshFolder(std::string("hosts-") + c.name + "-gstreamer") / "frames.rgb";
  const RunResult r = run({"gst-launch-1.0", "-q", "filesrc", "location=" + clip.string(), "!", "decodebin", "!",
                           "videoconvert", "!", "frei0r-filter-kestrelmove", "show=" + show.string(),
                           std::string("rate=") + c.rate, "!", "videoconvert", "!", "video/x-raw,format=RGB", "!",
                           "filesink", "location=" + raw.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  expectSameFrames("gstreamer", readText(raw));
}

INSTANTIATE_TEST_SUITE_P(Rates, HostsTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<HostCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace frei0rtest
