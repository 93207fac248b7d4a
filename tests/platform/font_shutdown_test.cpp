#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/platform_state.h"
#include "platform/screen/font.h"
#include "platform/screen/headless_backend.h"
#include "platform/screen/screen.h"

namespace {

std::vector<uint32_t> drawn(const ws::Font& font) {
  ws::Surface s(200, 30, 0xFFFFFF);
  font.draw(s, s.bounds(), 0, 0, "Start 0123 again", 0x000000);
  return s.data();
}

}  // namespace

TEST(PlatformShutDown, ReleasesTheFontLibrariesAndTheFontsWorkWhenThePlatformStartsAgain) {
  setenv("KESTRELMOVE_CONFIG_DIR", ::testing::TempDir().c_str(), 1);
  ws::startScreen(std::make_unique<ws::HeadlessBackend>(), 640, 480);
  platformInit(nullptr, "Kestrelmove", 101);
  ASSERT_TRUE(standardFont(13));
  const std::vector<uint32_t> first = drawn(*standardFont(13));
  ASSERT_TRUE(ws::fontLibrariesActive());
  platformExit();
  EXPECT_FALSE(ws::fontLibrariesActive());
  EXPECT_EQ(standardFont(13), nullptr);

  platformInit(nullptr, "Kestrelmove", 101);
  ASSERT_TRUE(standardFont(13));
  EXPECT_EQ(drawn(*standardFont(13)), first);
  platformExit();
  EXPECT_FALSE(ws::fontLibrariesActive());
  ws::stopScreen();
}
