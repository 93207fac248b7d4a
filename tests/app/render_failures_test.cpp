// How render, movie and the show commands fail: shows that do not parse whole, pictures that cannot
// be loaded, sizes no frame can have, paths that are not UTF-8; and how pictures are found.
#include <gtest/gtest.h>

#include "app/show_json.h"
#include "tests/app/cli_test_support.h"

namespace {

using namespace clitest;

// A show of the given pictures (paths as stored), each with one key, written as a show file.
fs::path writeShow(const fs::path& file, const std::vector<std::string>& pictures) {
  StoredShow show;
  for (const std::string& path : pictures) {
    StoredPicture p;
    std::memcpy(p.file.path, path.data(), std::min(path.size(), sizeof p.file.path - 1));
    KeyFrame k{};
    k.x = 320, k.y = 240, k.width = 64, k.height = 48;
    p.keys.push_back(k);
    show.pictures.push_back(p);
  }
  const std::vector<uint8_t> bytes = encodeStoredShow(show);
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
  return file;
}

int lines(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

TEST(RenderFailures, MissingPicturesExitTwoNamingEachUnlessAllowed) {
  const fs::path folder = freshFolder("missing-pictures");
  fs::copy_file(pictureFile(), folder / "present.tga");
  const fs::path show = writeShow(folder / "show.kmv", {(folder / "present.tga").string(), (folder / "gone.tga").string(),
                                                        (folder / "also-gone.png").string()});
  for (const char* command : {"render", "movie"}) {
    const fs::path output = folder / (std::string(command) + ".mp4");
    const RunResult r = runProgram({command, show.string(), "-o", output.string(), "--frames", "0-1"});
    EXPECT_EQ(r.exitCode, 2) << command << ": " << r.err;
    EXPECT_EQ(lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find("2 pictures cannot be loaded"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("'" + (folder / "gone.tga").string() + "' (Can't open graphics file)"), std::string::npos);
    EXPECT_NE(r.err.find("also-gone.png"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("present.tga"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(output));
  }
  const RunResult allowed =
      runProgram({"render", show.string(), "-o", (folder / "f%02d.png").string(), "--frames", "0-1", "--allow-missing"});
  EXPECT_EQ(allowed.exitCode, 0) << allowed.err;
  EXPECT_NE(allowed.err.find("warning"), std::string::npos) << allowed.err;
  EXPECT_TRUE(fs::exists(folder / "f01.png"));
}

TEST(RenderFailures, UnreadablePictureNamesTheReadersMessage) {
  const fs::path folder = freshFolder("unreadable-picture");
  std::ofstream(folder / "noise.tga", std::ios::binary) << std::string(40, 'Z');
  const fs::path show = writeShow(folder / "show.kmv", {(folder / "noise.tga").string()});
  const RunResult r = runProgram({"render", show.string(), "-o", (folder / "f%02d.png").string(), "--frames", "0"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("(Can't read image file  [ 3 ])"), std::string::npos) << r.err;
}

TEST(RenderFailures, ShowCutShortIsRefusedByEveryCommandAlike) {
  const fs::path folder = freshFolder("cut-show");
  fs::copy_file(pictureFile(), folder / "p.tga");
  const fs::path whole = writeShow(folder / "whole.kmv", {(folder / "p.tga").string(), (folder / "p.tga").string()});
  const std::string bytes = readText(whole);
  for (size_t cut : {size_t(8), size_t(300), size_t(700), size_t(1000)}) {
    const fs::path show = folder / ("cut" + std::to_string(cut) + ".kmv");
    std::ofstream(show, std::ios::binary) << bytes.substr(0, cut);
    const RunResult dump = runProgram({"show", "dump", show.string()});
    EXPECT_EQ(dump.exitCode, 2) << cut;
    EXPECT_EQ(lines(dump.err), 1) << dump.err;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"render", show.string(), "-o", (folder / "r%02d.png").string()},
          std::vector<std::string>{"movie", show.string(), "-o", (folder / "m.mp4").string()},
          std::vector<std::string>{"show", "state", show.string(), "--frame", "0"}}) {
      const RunResult r = runProgram(args);
      EXPECT_EQ(r.exitCode, 2) << args[0] << " at " << cut << " bytes";
      EXPECT_EQ(r.err, dump.err) << args[0] << " at " << cut << " bytes";
    }
  }
  EXPECT_FALSE(fs::exists(folder / "r00.png"));
}

TEST(RenderFailures, RelativePicturesFromTheShowsFolderThenTheCurrentOne) {
  const fs::path folder = freshFolder("relative-pictures");
  fs::create_directories(folder / "show" / "pics");
  fs::create_directories(folder / "work" / "pics");
  fs::copy_file(pictureFile(), folder / "show" / "pics" / "a.tga");
  fs::copy_file(pictureFile(), folder / "work" / "pics" / "b.tga");
  const fs::path show = writeShow(folder / "show" / "s.kmv", {"pics/a.tga", "pics/b.tga"});
  // Run from the work folder: a.tga is found beside the show, b.tga only in the current folder.
  const fs::path here = fs::current_path();
  fs::current_path(folder / "work");
  const RunResult r = runProgram({"render", "../show/s.kmv", "-o", "f%02d.png", "--frames", "0"});
  fs::current_path(here);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(fs::exists(folder / "work" / "f00.png"));
  // The frame holds the picture: not every pixel is the black background.
  RgbImage frame;
  std::string why;
  ASSERT_TRUE(readPng((folder / "work" / "f00.png").string(), frame, why)) << why;
  EXPECT_TRUE(std::any_of(frame.rgb.begin(), frame.rgb.end(), [](uint8_t v) { return v != 0; }));
}

TEST(RenderFailures, HugeSizesAndOddPathsGiveOneLineNotAnAbort) {
  const fs::path folder = freshFolder("huge-and-odd");
  const fs::path empty = writeShow(folder / "empty.kmv", {});
  const RunResult huge = runProgram({"render", empty.string(), "-o", (folder / "h.mp4").string(), "--size", "99999x99999"});
  EXPECT_EQ(huge.exitCode, 2) << huge.err;
  EXPECT_EQ(lines(huge.err), 1) << huge.err;
  EXPECT_NE(huge.err.find("8192"), std::string::npos) << huge.err;

  const fs::path odd = writeShow(folder / "odd.kmv", {"/pictures/caf\xE9.bmp"});
  const RunResult state = runProgram({"show", "state", odd.string(), "--frame", "0"});
  ASSERT_EQ(state.exitCode, 0) << state.err;
  const Json json = Json::parse(state.out);
  EXPECT_EQ(json["pictures"][0]["file"], "/pictures/caf?.bmp");
  EXPECT_EQ(json["pictures"][0]["pathBytes"], toHex(reinterpret_cast<const uint8_t*>("/pictures/caf\xE9.bmp"), 18));
}

TEST(ShowBuild, UnknownFieldsAreRefusedByName) {
  const fs::path folder = freshFolder("unknown-fields");
  const auto build = [&](const std::string& text) {
    std::ofstream(folder / "show.json") << text;
    return runProgram({"show", "build", (folder / "show.json").string(), "-o", (folder / "s.kmv").string()});
  };
  const std::string key = R"({"time": 0, "x": 1, "y": 2, "width": 3, "height": 4, "rotation": 0, "easeCode": 0, "amount": 0)";
  const std::string good = R"({"changeStamp": 1, "background": {"path": ""}, "pictures": [{"file": {"path": "a.bmp"}, "keys": [)" + key + "}]}]}";
  EXPECT_EQ(build(good).exitCode, 0);
  const RunResult typoKey = build(R"({"changeStamp": 1, "background": {"path": ""}, "pictures": [{"file": {"path": "a.bmp"}, "keys": [)" + key + R"(, "amuont": 50}]}]})");
  EXPECT_EQ(typoKey.exitCode, 2);
  EXPECT_NE(typoKey.err.find("show.pictures[0].keys[0].amuont: unknown field"), std::string::npos) << typoKey.err;
  const RunResult typoTop = build(R"({"changeStamp": 1, "background": {"path": ""}, "pictures": [], "videoColors": 1})");
  EXPECT_NE(typoTop.err.find("show.videoColors: unknown field"), std::string::npos) << typoTop.err;
  const RunResult typoFile = build(R"({"changeStamp": 1, "background": {"path": "", "folder": 2}, "pictures": []})");
  EXPECT_NE(typoFile.err.find("show.background.folder: unknown field"), std::string::npos) << typoFile.err;
  const RunResult range = build(R"({"changeStamp": 70000, "background": {"path": ""}, "pictures": []})");
  EXPECT_EQ(range.exitCode, 2);
  EXPECT_NE(range.err.find("show.changeStamp: out of range"), std::string::npos) << range.err;
}

}  // namespace
