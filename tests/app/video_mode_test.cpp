// The host program keeps the plug-in's window layer off the desktop for its rendering commands, and a
// render still names a missing picture on standard error.
#include <cstdlib>

#include "app/video_mode.h"
#include "tests/app/cli_test_support.h"
#include "tests/scoped_env.h"

using namespace clitest;

namespace {

std::string videoAfter(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  keepRenderCommandsHeadless(int(argv.size()), argv.data());
  const char* v = std::getenv("KESTRELMOVE_VIDEO");
  return v ? v : "(unset)";
}

}  // namespace

TEST(VideoMode, RenderingCommandsRunHeadlessUnlessTheUserChose) {
  ScopedEnv saved("KESTRELMOVE_VIDEO");
  for (const char* command : {"render", "movie", "info", "demo", "image"}) {
    unsetenv("KESTRELMOVE_VIDEO");
    EXPECT_EQ(videoAfter({"kestrelmove", command, "x.kmv"}), "headless") << command;
    setenv("KESTRELMOVE_VIDEO", "sdl", 1);
    EXPECT_EQ(videoAfter({"kestrelmove", command, "x.kmv"}), "sdl") << command;
  }
  unsetenv("KESTRELMOVE_VIDEO");
  EXPECT_EQ(videoAfter({"kestrelmove", "show", "dump", "x.kmv"}), "(unset)");
  EXPECT_EQ(videoAfter({"kestrelmove", "--help"}), "(unset)");
  EXPECT_EQ(videoAfter({"kestrelmove", "--version", "render"}), "headless");
}

TEST(VideoMode, TheUsersChoiceReachesThePlugin) {
  ScopedEnv video("KESTRELMOVE_VIDEO"), display("DISPLAY"), driver("SDL_VIDEODRIVER");
  // A display that is not there: SDL cannot start, and the plug-in says so because it was asked for.
  setenv("DISPLAY", ":4242", 1);
  setenv("SDL_VIDEODRIVER", "x11", 1);
  setenv("KESTRELMOVE_VIDEO", "sdl", 1);
  const RunResult asked = runProgram({"info"});
  EXPECT_NE(asked.err.find("no SDL display available"), std::string::npos) << asked.err;
  unsetenv("KESTRELMOVE_VIDEO");
  const RunResult plain = runProgram({"info"});
  EXPECT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_EQ(plain.err.find("SDL"), std::string::npos) << plain.err;
}

TEST(VideoMode, RenderOfAShowWithAMissingPictureNamesTheFile) {
  const fs::path folder = freshFolder("missing-picture");
  const fs::path picture = folder / "vanished.tga";
  fs::copy_file(pictureFile(), picture);
  std::vector<uint8_t> block(KM_PARAMETER_BLOCK_SIZE, 0);
  {
    SettingsFile settings;
    ShowState show(settings);
    FileSpec file;
    file.setPath(picture.string());
    ASSERT_EQ(show.loadPicture(file, -1), 0);
    ASSERT_GT(show.storeShow(block.data(), block.size()), 0);
  }
  fs::remove(picture);
  uint32_t length = 0;
  std::memcpy(&length, block.data() + 4, 4);
  const fs::path showFile = folder / "show.kmv";
  std::ofstream(showFile, std::ios::binary).write(reinterpret_cast<const char*>(block.data()), length);
  ScopedEnv video("KESTRELMOVE_VIDEO");
  unsetenv("KESTRELMOVE_VIDEO");
  const RunResult r = runProgram({"render", showFile.string(), "-o", (folder / "f%02d.png").string(), "--size",
                                  "32x24", "--frames", "0-1", "--allow-missing"});
  EXPECT_NE(r.err.find("'" + picture.string() + "' (Can't open graphics file)"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.rfind("kestrelmove: ", 0), 0u) << r.err;
  // No window was asked for: nothing of SDL starts, and nothing waits for an answer.
  EXPECT_EQ(r.err.find("SDL"), std::string::npos) << r.err;
  // Asked to, the show renders on with the placeholder in the picture's place.
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(fs::exists(folder / "f00.png"));
  EXPECT_TRUE(fs::exists(folder / "f01.png"));
}
