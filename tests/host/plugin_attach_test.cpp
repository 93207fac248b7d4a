// Library attach and detach: the window layer starts with the library and shuts down with it, copies
// loaded side by side stay apart, and a render without anyone to answer a box still tells of a missing
// picture on standard error.
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "tests/host/plugin_test_support.h"
#include "tests/scoped_env.h"

using namespace plugintest;

TEST(LibraryAttach, StartsTheWindowLayerWithItsWorkArea) {
  ScopedEnv video("KESTRELMOVE_VIDEO", "headless");
  ScopedEnv size("KESTRELMOVE_SCREEN_SIZE", "800x600");
  LoadedPlugin plugin;
  const KmPluginStatus s = plugin.status();
  EXPECT_EQ(s.workRight, 800);
  EXPECT_EQ(s.workBottom, 600);
}

TEST(LibraryAttach, DetachWritesTheSettingsFileOnlyAfterAChange) {
  ScopedEnv video("KESTRELMOVE_VIDEO", "headless");
  const fs::path file = scratchFolder() / "Kestrelmove.ini";
  std::error_code ec;
  fs::remove(file, ec);
  {
    LoadedPlugin plugin;
    EXPECT_EQ(plugin.status().pictureCount, 0);
  }
  // Nothing was set, so no file appears.
  EXPECT_FALSE(fs::exists(file));
  const std::string text = "[Kestrelmove]\r\nScale=90\r\nNotOurs=1\r\n";
  std::ofstream(file, std::ios::binary) << text;
  {
    LoadedPlugin plugin;
    std::vector<uint8_t> block = movingShowBlock();
    RenderRecords r(block.data(), 8, 8, 24);
    EXPECT_EQ(plugin.action(0, &r.record), 1);
  }
  std::ifstream in(file, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
  fs::remove(file, ec);
}

// What the host program's --threads does: several copies at once, each with its own window layer and
// show, give the same frames, and one copy going leaves the others working.
TEST(LibraryAttach, CopiesSideBySideRenderTheSameFrames) {
  ScopedEnv video("KESTRELMOVE_VIDEO", "headless");
  std::vector<uint8_t> block = movingShowBlock();
  auto first = std::make_unique<LoadedPlugin>();
  LoadedPlugin second;
  RenderRecords a(block.data(), 48, 32, 24), b(block.data(), 48, 32, 24);
  a.record.frameNumber = b.record.frameNumber = 9;
  ASSERT_EQ(first->action(0, &a.record), 1);
  ASSERT_EQ(second.action(0, &b.record), 1);
  EXPECT_EQ(a.destination, b.destination);
  expectDestinationMatches(a, renderDirect(block, a, 9, 0, 0));
  first.reset();
  RenderRecords c(block.data(), 48, 32, 24);
  c.record.frameNumber = 9;
  ASSERT_EQ(second.action(0, &c.record), 1);
  EXPECT_EQ(c.destination, a.destination);
  EXPECT_GT(second.status().workRight, 0);
}

TEST(LibraryAttach, AMissingPictureIsNamedOnStandardErrorWhenNoOneCanAnswer) {
  ScopedEnv video("KESTRELMOVE_VIDEO", "headless");
  const fs::path gone = scratchFolder() / "gone.tga";
  fs::copy_file(pictureFile(), gone, fs::copy_options::overwrite_existing);
  std::vector<uint8_t> block(KM_PARAMETER_BLOCK_SIZE, 0);
  {
    SettingsFile settings;
    ShowState show(settings);
    FileSpec file;
    file.setPath(gone.string());
    ASSERT_EQ(show.loadPicture(file, -1), 0);
    ASSERT_GT(show.storeShow(block.data(), block.size()), 0);
  }
  fs::remove(gone);
  LoadedPlugin plugin;
  RenderRecords r(block.data(), 16, 8, 24);
  testing::internal::CaptureStderr();
  EXPECT_EQ(plugin.action(0, &r.record), 1);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("kestrelmove: "), std::string::npos) << said;
  EXPECT_NE(said.find("gone.tga: Can't open graphics file"), std::string::npos) << said;
}
