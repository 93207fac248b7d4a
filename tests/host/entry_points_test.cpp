// The entry points as a host calls them: identity, PiPL, frame rates, actions the plug-in does not
// know, and the edit action of this build.
#include "tests/host/plugin_test_support.h"

using namespace plugintest;

namespace {

std::string textAt(const uint8_t* bytes, size_t offset) { return reinterpret_cast<const char*>(bytes + offset); }

uint32_t u32At(const uint8_t* bytes, size_t offset) {
  uint32_t v;
  std::memcpy(&v, bytes + offset, 4);
  return v;
}

}  // namespace

TEST(Identity, NullRecordAnswersOneAndWritesNothing) {
  LoadedPlugin plugin;
  EXPECT_EQ(plugin.express(nullptr), 1);
  // The plug-in goes on working afterwards.
  PluginIdentity identity{};
  EXPECT_EQ(plugin.express(&identity), 1);
  EXPECT_EQ(identity.parameterSize, 64000);
}

TEST(Identity, FieldsAtTheirDocumentedOffsets) {
  LoadedPlugin plugin;
  uint8_t bytes[sizeof(PluginIdentity) + 16];
  std::memset(bytes, 0xAB, sizeof bytes);
  ASSERT_EQ(plugin.express(reinterpret_cast<PluginIdentity*>(bytes)), 1);
  EXPECT_EQ(u32At(bytes, 0), 0x40000u);
  EXPECT_EQ(textAt(bytes, 4), "Kestrelmove");
  EXPECT_EQ(textAt(bytes, 20), "Kestrelmove");
  EXPECT_EQ(textAt(bytes, 84), "&Kestrelmove");
  EXPECT_EQ(textAt(bytes, 148), "Marrowlane");
  EXPECT_EQ(textAt(bytes, 212), "&Marrowlane");
  EXPECT_EQ(u32At(bytes, 276), 64000u);
  EXPECT_EQ(u32At(bytes, 280), 0u);
  EXPECT_EQ(u32At(bytes, 284), 21u);
  // Nothing past the 288-byte record is touched.
  for (size_t i = 288; i < sizeof bytes; ++i) EXPECT_EQ(bytes[i], 0xAB) << "byte " << i;
}

TEST(Pipl, ExactBytes) {
  LoadedPlugin plugin;
  const uint8_t expected[] = {
      1, 0, 0, 0, 0, 0, 0, 0, 6, 0, 0, 0,
      // kind: "VFlt"
      'M', 'I', 'B', '8', 'd', 'n', 'i', 'k', 0, 0, 0, 0, 4, 0, 0, 0, 't', 'l', 'F', 'V',
      // name: 12, " Kestrelmove", padded to 16
      'M', 'I', 'B', '8', 'e', 'm', 'a', 'n', 0, 0, 0, 0, 16, 0, 0, 0,
      12, ' ', 'K', 'e', 's', 't', 'r', 'e', 'l', 'm', 'o', 'v', 'e', 0, 0, 0,
      // eMNA: 11, "Kestrelmove", padded to 16
      'M', 'I', 'B', '8', 'A', 'N', 'M', 'e', 0, 0, 0, 0, 16, 0, 0, 0,
      11, 'K', 'e', 's', 't', 'r', 'e', 'l', 'm', 'o', 'v', 'e', 0, 0, 0, 0,
      // ePVR 0, eSVR 3, eVER 0
      'M', 'I', 'B', '8', 'R', 'V', 'P', 'e', 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0,
      'M', 'I', 'B', '8', 'R', 'V', 'S', 'e', 0, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0,
      'M', 'I', 'B', '8', 'R', 'E', 'V', 'e', 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0,
  };
  size_t size = 0;
  const uint8_t* bytes = plugin.pipl(&size);
  ASSERT_EQ(size, sizeof expected);
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + size), std::vector<uint8_t>(expected, expected + sizeof expected));
}

TEST(FrameRate, FromTheHostsCodeOnEveryAction) {
  LoadedPlugin plugin;
  const struct {
    int code, rate;
  } cases[] = {{2, 2500}, {3, 2400}, {0, 2997}, {1, 2997}, {4, 2997}, {2, 2500}};
  for (const auto& c : cases) {
    ActionRecord record{};
    record.action = 7;  // not an action the plug-in knows: still sets the rate
    record.frameRateCode = c.code;
    EXPECT_EQ(plugin.action(0, &record), 1);
    EXPECT_EQ(plugin.status().frameRate, c.rate) << "code " << c.code;
  }
}

TEST(Actions, UnknownActionsAnswerOneAndLeaveTheDestinationAlone) {
  LoadedPlugin plugin;
  RenderRecords r(nullptr, 4, 2, 24);
  r.record.action = 1;
  EXPECT_EQ(plugin.action(0, &r.record), 1);
  for (uint8_t b : r.destination) ASSERT_EQ(b, 0x5A);
  // Without a record nothing can be rendered, and the answer says so.
  EXPECT_EQ(plugin.action(0, nullptr), 0);
}

TEST(Actions, EditIsDiscardedAndLeavesTheBlockAsItWas) {
  LoadedPlugin plugin;
  std::vector<uint8_t> block = movingShowBlock();
  const std::vector<uint8_t> before = block;
  RenderRecords r(block.data(), 4, 2, 24);
  r.record.action = KM_ACTION_EDIT;
  r.record.length = 300;
  EXPECT_EQ(plugin.action(0, &r.record), 0);
  EXPECT_EQ(block, before);
}

TEST(Reset, ClearsTheFirstByteOfTheBlockAndStartsANewShow) {
  LoadedPlugin plugin;
  std::vector<uint8_t> block = movingShowBlock();
  const std::vector<uint8_t> before = block;
  RenderRecords r(block.data(), 8, 6, 24);
  ASSERT_EQ(plugin.action(0, &r.record), 1);
  ASSERT_EQ(plugin.status().pictureCount, 1);

  HostParameters parameters{0, block.data()};
  InfoRecord info{};
  info.parameters = &parameters;
  EXPECT_EQ(plugin.getInfo(0, 0, KM_INFO_RESET, &info), 1);
  EXPECT_EQ(block[0], 0);
  EXPECT_TRUE(std::equal(block.begin() + 1, block.end(), before.begin() + 1));
  EXPECT_EQ(plugin.status().pictureCount, 0);

  // The broken block is never loaded again.
  const int loads = plugin.status().showLoads;
  ASSERT_EQ(plugin.action(0, &r.record), 1);
  EXPECT_EQ(plugin.status().showLoads, loads);
  EXPECT_EQ(plugin.status().pictureCount, 0);
}

TEST(Reset, WithoutARecordStillStartsANewShow) {
  LoadedPlugin plugin;
  std::vector<uint8_t> block = movingShowBlock();
  RenderRecords r(block.data(), 8, 6, 24);
  ASSERT_EQ(plugin.action(0, &r.record), 1);
  EXPECT_EQ(plugin.getInfo(0, 0, KM_INFO_RESET, nullptr), 1);
  EXPECT_EQ(plugin.status().pictureCount, 0);
  EXPECT_EQ(plugin.getInfo(0, 0, 99, nullptr), 1);
}
