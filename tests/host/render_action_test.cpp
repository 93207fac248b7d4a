// The render action: destination layout, time and field from the frame number, and when the show is
// loaded from the host's block.
#include "host/plugin_context.h"
#include "host/render_action.h"
#include "show/stored_show.h"
#include "tests/host/plugin_test_support.h"

using namespace plugintest;

TEST(RenderDestination, TwentyFourBitRowsOfWidth13StepForty) {
  LoadedPlugin plugin;
  std::vector<uint8_t> block = movingShowBlock();
  RenderRecords r(block.data(), 13, 5, 24);
  r.destination.resize(40 * 5 + 8, 0x5A);  // guard bytes behind the frame
  r.record.destinationPixels = r.destination.data();
  r.record.frameNumber = 4;
  ASSERT_EQ(plugin.action(0, &r.record), 1);
  expectDestinationMatches(r, renderDirect(block, r, 4, 0, 0));
  // The 40th byte of each row is padding, and nothing behind the frame is written.
  for (int row = 0; row < 5; ++row) EXPECT_EQ(r.destination[size_t(row) * 40 + 39], 0x5A) << "row " << row;
  for (size_t i = 200; i < r.destination.size(); ++i) EXPECT_EQ(r.destination[i], 0x5A);
}

TEST(RenderDestination, ThirtyTwoBitKeepsTheFourthByteOfTheImage) {
  LoadedPlugin plugin;
  std::vector<uint8_t> block = movingShowBlock();
  RenderRecords r(block.data(), 64, 48, 32);
  r.record.frameNumber = 10;
  ASSERT_EQ(plugin.action(0, &r.record), 1);
  const ImageBuffer expected = renderDirect(block, r, 10, 0, 0);
  expectDestinationMatches(r, expected);
  // The picture sets alpha 255 where it is drawn; the host frame leaves it where it is not.
  int opaque = 0, other = 0;
  for (size_t i = 3; i < r.destination.size(); i += 4) (r.destination[i] == 255 ? opaque : other) += 1;
  EXPECT_GT(opaque, 0);
  EXPECT_GT(other, 0);
}

TEST(RenderDestination, UnusableDestinationsAreRefused) {
  LoadedPlugin plugin;
  RenderRecords r(nullptr, 8, 4, 16);
  EXPECT_EQ(plugin.action(0, &r.record), 0);
  for (uint8_t b : r.destination) ASSERT_EQ(b, 0x5A);
  RenderRecords noPixels(nullptr, 8, 4, 24);
  noPixels.record.destinationPixels = nullptr;
  EXPECT_EQ(plugin.action(0, &noPixels.record), 0);
  RenderRecords noSize(nullptr, 8, 4, 24);
  noSize.destinationHeader.width = 0;
  EXPECT_EQ(plugin.action(0, &noSize.record), 0);
}

TEST(RenderDestination, MissingSourceKeepsThePreviousBackground) {
  LoadedPlugin plugin;
  RenderRecords first(nullptr, 8, 4, 24);
  ASSERT_EQ(plugin.action(0, &first.record), 1);
  RenderRecords second(nullptr, 8, 4, 24);
  second.record.sourcePixels = nullptr;
  ASSERT_EQ(plugin.action(0, &second.record), 1);
  EXPECT_EQ(second.destination, first.destination);
}

TEST(RenderDestination, FastDisplayLeftOnByTheEditorStillRendersTheHostFrames) {
  SettingsFile settings;
  PluginContext context(settings);
  context.show->fastDisplay = 1;  // as Options > Fast Display leaves it at the end of an edit run
  std::vector<uint8_t> block = movingShowBlock();
  RenderRecords r(block.data(), 32, 24, 24);
  r.record.frameNumber = 6;
  ASSERT_EQ(renderAction(context, r.record), 1);
  expectDestinationMatches(r, renderDirect(block, r, 6, 0, 0));
}

TEST(FieldTiming, FrameNumbersCountFieldsInFieldMode) {
  LoadedPlugin plugin;
  std::vector<uint8_t> block = movingShowBlock();
  const struct {
    int frame, time, field, lineFlag;
  } cases[] = {{7, 3, 1, 0}, {8, 4, 2, 1}, {-3, -1, 1, 0}, {0, 0, 2, 1}, {1, 0, 1, 0}};
  for (const auto& c : cases) {
    RenderRecords r(block.data(), 32, 12, 24);
    r.record.fieldMode = 1;
    r.record.frameNumber = c.frame;
    ASSERT_EQ(plugin.action(0, &r.record), 1);
    const KmPluginStatus s = plugin.status();
    EXPECT_EQ(s.lastTime, c.time) << "frame " << c.frame;
    EXPECT_EQ(s.lastField, c.field) << "frame " << c.frame;
    EXPECT_EQ(s.lastLineFlag, c.lineFlag) << "frame " << c.frame;
    expectDestinationMatches(r, renderDirect(block, r, c.time, c.field, c.lineFlag));
  }
}

TEST(FieldTiming, ProgressiveFramesAreShowTimes) {
  LoadedPlugin plugin;
  std::vector<uint8_t> block = movingShowBlock();
  RenderRecords r(block.data(), 32, 24, 24);
  r.record.frameNumber = 7;
  ASSERT_EQ(plugin.action(0, &r.record), 1);
  EXPECT_EQ(plugin.status().lastTime, 7);
  EXPECT_EQ(plugin.status().lastField, 0);
  expectDestinationMatches(r, renderDirect(block, r, 7, 0, 0));
}

TEST(ShowReload, TwoRendersFromOneBlockLoadTheShowOnce) {
  LoadedPlugin plugin;
  std::vector<uint8_t> block = movingShowBlock();
  RenderRecords r(block.data(), 32, 24, 24);
  r.record.frameNumber = 5;
  ASSERT_EQ(plugin.action(0, &r.record), 1);
  const std::vector<uint8_t> first = r.destination;
  EXPECT_EQ(plugin.status().showLoads, 1);

  // Same stamp, different keys: the show in memory is still the one loaded.
  std::vector<uint8_t> moved = block;
  float x = 400;
  std::memcpy(&moved[334 + 298], &x, 4);
  r.parameters.parameterBlock = moved.data();
  ASSERT_EQ(plugin.action(0, &r.record), 1);
  EXPECT_EQ(plugin.status().showLoads, 1);
  EXPECT_EQ(r.destination, first);

  // A new stamp brings the change in.
  moved[2] ^= 0x5A;
  ASSERT_EQ(plugin.action(0, &r.record), 1);
  EXPECT_EQ(plugin.status().showLoads, 2);
  EXPECT_NE(r.destination, first);
}

TEST(ShowReload, ABlockWithStampZeroIsLoadedIntoAFreshShow) {
  LoadedPlugin plugin;
  std::vector<uint8_t> block = movingShowBlock();
  block[2] = block[3] = 0;
  ASSERT_EQ(plugin.status().changeStamp, 0);
  RenderRecords r(block.data(), 32, 24, 24);
  ASSERT_EQ(plugin.action(0, &r.record), 1);
  EXPECT_EQ(plugin.status().showLoads, 1);
  EXPECT_EQ(plugin.status().pictureCount, 1);
  ASSERT_EQ(plugin.action(0, &r.record), 1);
  EXPECT_EQ(plugin.status().showLoads, 1);
}

TEST(ShowReload, BlockWithoutTheMagicNumberLeavesTheShowInMemory) {
  LoadedPlugin plugin;
  std::vector<uint8_t> block = movingShowBlock();
  RenderRecords r(block.data(), 32, 24, 24);
  ASSERT_EQ(plugin.action(0, &r.record), 1);
  std::vector<uint8_t> broken(KM_PARAMETER_BLOCK_SIZE, 0);
  broken[2] = 9;
  r.parameters.parameterBlock = broken.data();
  const std::vector<uint8_t> before = r.destination;
  ASSERT_EQ(plugin.action(0, &r.record), 1);
  EXPECT_EQ(plugin.status().pictureCount, 1);
  EXPECT_EQ(r.destination, before);
  // Without any block the show in memory renders as well.
  r.project.parameters = nullptr;
  ASSERT_EQ(plugin.action(0, &r.record), 1);
  EXPECT_EQ(r.destination, before);
}

TEST(ShowReload, BigEndianBlocksAreNotReloadedOnEveryFrame) {
  LoadedPlugin plugin;
  const std::vector<uint8_t> little = movingShowBlock();
  StoredShow stored;
  std::string error;
  ASSERT_TRUE(parseStoredShow(little.data(), little.size(), stored, error)) << error;
  stored.bigEndian = true;
  stored.changeStamp = 0x1203;  // its two bytes differ, so the byte order matters
  std::vector<uint8_t> block = encodeStoredShow(stored);
  ASSERT_EQ(block[0], 0x12);
  block.resize(KM_PARAMETER_BLOCK_SIZE, 0);
  RenderRecords r(block.data(), 16, 12, 24);
  ASSERT_EQ(plugin.action(0, &r.record), 1);
  ASSERT_EQ(plugin.action(0, &r.record), 1);
  EXPECT_EQ(plugin.status().showLoads, 1);
  EXPECT_EQ(plugin.status().changeStamp, 0x1203);
  EXPECT_EQ(plugin.status().pictureCount, 1);
}
