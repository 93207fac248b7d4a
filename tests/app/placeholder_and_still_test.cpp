// What stands in for a picture that cannot be loaded under --allow-missing, and a PNG picture as the
// host video: both checked on the rendered pixels.
#include <fstream>

#include "tests/app/media_test_support.h"

using namespace mediatest;

namespace {

// A show of one picture, 200 x 150 stage units at the centre of the 4:3 stage, opaque.
fs::path onePictureShow(const fs::path& folder, const std::string& name, const std::string& picture) {
  const fs::path json = folder / (name + ".json"), show = folder / (name + ".kmv");
  std::ofstream(json) << R"({"changeStamp": 1, "background": {"path": ""}, "pictures": [{"file": {"path": ")" << picture
                      << R"("}, "keys": [{"time": 0, "x": 320, "y": 240, "width": 200, "height": 150, "rotation": 0,
                         "easeCode": 0, "amount": 0}]}]})";
  const RunResult r = runProgram({"show", "build", json.string(), "-o", show.string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return show;
}

RgbImage renderFrame(const fs::path& show, const fs::path& output, std::vector<std::string> extra = {}) {
  std::vector<std::string> args{"render", show.string(), "-o", output.string(), "--size", "160x120",
                                "--frames", "0", "-i", "#000000", "-y"};
  args.insert(args.end(), extra.begin(), extra.end());
  const RunResult r = runProgram(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  std::string frame0 = output.string();
  frame0.replace(frame0.find("%d"), 2, "0");
  return readPicture(frame0);
}

}  // namespace

// Whatever the "ShowPicError" setting says: its default (on) would have the plug-in draw nothing.
TEST(AllowMissing, EveryPictureThatCannotBeLoadedRendersAsThePlaceholder) {
  const fs::path folder = freshFolder("allow-missing-placeholder");
  // The placeholder shown as an ordinary picture is what every stand-in must look like.
  // (Its resource has 16 colours, which the picture readers refuse, so it is written out at 24 bits.)
  ASSERT_TRUE(ffmpeg("-i " + quoted(fs::path(KM_SOURCE_DIR) / "resources" / "bitmaps" / "placeholder_133.bmp") +
                         " -pix_fmt bgr24",
                     folder / "placeholder.bmp"));
  const RgbImage wanted = renderFrame(onePictureShow(folder, "real", "placeholder.bmp"), folder / "real%d.png");
  // The placeholder is drawn: the picture's area is not the black background.
  ASSERT_EQ(wanted.width, 160);
  const size_t centre = (size_t(60) * 160 + 80) * 3;
  EXPECT_TRUE(wanted.rgb[centre] || wanted.rgb[centre + 1] || wanted.rgb[centre + 2]);

  // A file that is not there, and one that is there but that no reader takes (its load reports an error).
  std::ofstream(folder / "garbage.bmp") << "BM this is no bitmap";
  for (const char* picture : {"nowhere.bmp", "garbage.bmp"}) {
    const fs::path show = onePictureShow(folder, "broken", picture);
    const RunResult refused = runProgram({"render", show.string(), "-o", (folder / "no%d.png").string(), "--size",
                                          "160x120", "--frames", "0", "-y"});
    EXPECT_EQ(refused.exitCode, 2) << picture;
    EXPECT_NE(refused.err.find(picture), std::string::npos) << refused.err;
    const RgbImage got = renderFrame(show, folder / (std::string(picture) + "%d.png"), {"--allow-missing"});
    EXPECT_EQ(got.rgb, wanted.rgb) << picture;
  }
}

TEST(StillInput, PngPictureIsTheHostVideoUnderTheShow) {
  const fs::path folder = freshFolder("png-still-input");
  // Left half red, right half blue, 160 x 120.
  ASSERT_TRUE(ffmpeg("-f lavfi -i color=red:size=80x120 -f lavfi -i color=blue:size=80x120 -filter_complex hstack "
                     "-frames:v 1 -pix_fmt rgb24",
                     folder / "still.png"));
  const fs::path json = folder / "empty.json", show = folder / "empty.kmv";
  std::ofstream(json) << R"({"changeStamp": 1, "background": {"path": ""}, "pictures": []})";
  ASSERT_EQ(runProgram({"show", "build", json.string(), "-o", show.string()}).exitCode, 0);
  const RunResult r = runProgram({"render", show.string(), "-i", (folder / "still.png").string(), "-o",
                                  (folder / "f%d.png").string(), "--size", "160x120", "--frames", "0-1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const RgbImage still = readPicture(folder / "still.png");
  ASSERT_EQ(still.width, 160);
  // The halves differ, so a frame of one colour, or a mirrored one, cannot pass.
  ASSERT_NE(std::vector<uint8_t>(still.rgb.begin(), still.rgb.begin() + 3),
            std::vector<uint8_t>(still.rgb.begin() + 150 * 3, still.rgb.begin() + 153 * 3));
  for (const char* name : {"f0.png", "f1.png"}) {
    const RgbImage frame = readPicture(folder / name);
    ASSERT_EQ(frame.width, 160);
    ASSERT_EQ(frame.height, 120);
    EXPECT_EQ(frame.rgb, still.rgb) << name;
  }
}
