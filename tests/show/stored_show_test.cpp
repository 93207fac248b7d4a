#include "show/stored_show.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/settings_file.h"
#include "show/show_state.h"
#include "tests/show/stored_show_bytes.h"

namespace {

using testbytes::buildShow;
using testbytes::TestKey;
using testbytes::TestPicture;

// Picture files of the test shows do not exist: the loader puts its placeholder in quietly.
std::unique_ptr<ShowState> makeShow() {
  static SettingsFile settingsText;
  auto show = std::make_unique<ShowState>(settingsText);
  show->showPictureErrors = 0;
  return show;
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t le16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

// Adds a picture (file and keys, no image: storing needs none) with count keys one frame apart.
void addPicture(ShowState& show, const char* path, int count) {
  const int slot = show.pictureCount++;
  show.slots[slot].file.setPath(path);
  show.slots[slot].keyCount = count;
  for (int k = 0; k < count; ++k) {
    show.slots[slot].keys[k].time = k;
    show.slots[slot].keys[k].x = float(k);
  }
}

// A 2 x 2 24-bit BMP file, written byte by byte.
std::string writeTinyBmp(const std::string& name) {
  const std::string path = (std::filesystem::temp_directory_path() / name).string();
  testbytes::ByteBuilder b;
  b.u8('B');
  b.u8('M');
  b.u32(54 + 16);
  b.u32(0);
  b.u32(54);
  b.u32(40);
  b.u32(2);
  b.u32(2);
  b.u16(1);
  b.u16(24);
  b.zeros(24);
  for (int i = 0; i < 16; ++i) b.u8(uint8_t(0x40 + i));
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    std::fwrite(b.bytes.data(), 1, b.bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

TestPicture samplePicture() {
  TestPicture p;
  p.path = "/shows/pictures/logo.png";
  p.volume = 0x0102;
  p.folder = 0xA0B0C0D0;
  p.brush = 3000;
  p.tint = 0x00336699;
  p.reserved0 = 0x11223344;
  p.reserved1 = 5;
  p.lock = 1;
  TestKey a;
  a.x = 320.25f;
  a.y = -12.5f;
  a.width = 100;
  a.height = 50;
  a.rotation = 15;
  a.easeCode = 2051;
  a.amount = 90;
  a.r1 = 0xDEADBEEF;
  a.r9 = 7;
  a.r11 = 0x44E10000;
  a.tag = 0x0203;
  a.flags = 0x0405;
  TestKey b = a;
  b.time = 150;
  b.x = 0.1f;
  b.easeCode = 0;
  p.keys = {a, b};
  return p;
}

}  // namespace

TEST(StoredShow, EmptyShowStoresItsHeaderOnly) {
  auto show = makeShow();
  show->backgroundFile.setPath("/video/back.bmp");
  show->backgroundFile.volume = -2;
  show->backgroundFile.folderId = 99;
  show->videoColours = 0;
  show->alphaBlur = 1;
  std::vector<uint8_t> area(kParameterBlockSize, 0xAB);
  const long length = show->storeShow(area.data(), area.size());
  EXPECT_EQ(length, 338);
  EXPECT_EQ(show->storedSize(), 338u);
  EXPECT_EQ(area[0], 0x34);
  EXPECT_EQ(area[1], 0x12);
  EXPECT_EQ(le16(area, 2), show->changeStamp);
  EXPECT_EQ(le32(area, 4), 338u);
  EXPECT_EQ(area[270], 0);
  EXPECT_EQ(area[271], 1);
  for (size_t i = 272; i < 334; ++i) EXPECT_EQ(area[i], 0) << i;
  // The store writes nothing behind its length.
  EXPECT_EQ(area[338], 0xAB);

  auto loaded = makeShow();
  loaded->videoColours = 1;
  ASSERT_TRUE(loaded->loadShow(area.data(), area.size(), false));
  EXPECT_EQ(loaded->pictureCount, 0);
  EXPECT_EQ(loaded->backgroundFile.pathText(), "/video/back.bmp");
  EXPECT_EQ(int(loaded->backgroundFile.volume), -2);
  EXPECT_EQ(int32_t(loaded->backgroundFile.folderId), 99);
  EXPECT_EQ(loaded->videoColours, 0);
  EXPECT_EQ(loaded->alphaBlur, 1);
  EXPECT_EQ(loaded->changeStamp, show->changeStamp);
}

TEST(StoredShow, StoredLengthsAndTheShowLengthInEachFirstKey) {
  auto show = makeShow();
  show->showLength = 900;
  addPicture(*show, "/p/one.png", 1);
  std::vector<uint8_t> area(kParameterBlockSize);
  EXPECT_EQ(show->storeShow(area.data(), area.size()), 692);
  // Field 11 of key 0 holds the show length as a float, in the show and in the record.
  float length;
  std::memcpy(&length, &show->slots[0].keys[0].reserved11, 4);
  EXPECT_EQ(length, 900.0f);
  std::memcpy(&length, &area[334 + 298 + 44], 4);
  EXPECT_EQ(length, 900.0f);

  auto full = makeShow();
  for (int i = 0; i < 30; ++i) addPicture(*full, "/p/pic.png", 32);
  EXPECT_EQ(full->storedSize(), 63038u);
  EXPECT_EQ(full->storeShow(area.data(), area.size()), 63038);
}

TEST(StoredShow, AShowThatDoesNotFitIsRefusedAndLeavesTheAreaAlone) {
  auto show = makeShow();
  for (int i = 0; i < 30; ++i) addPicture(*show, "/p/pic.png", 128);
  show->soundTrackFile.setPath("/audio/track.wav");
  show->modified = 1;
  const uint16_t stamp = show->changeStamp;
  EXPECT_EQ(show->storedSize(), kMaxStoredShowSize);
  EXPECT_EQ(kMaxStoredShowSize, 224584u);

  std::vector<uint8_t> block(kParameterBlockSize, 0x5A);
  EXPECT_EQ(show->storeShow(block.data(), block.size()), 0);
  for (uint8_t b : block) ASSERT_EQ(b, 0x5A);
  EXPECT_EQ(show->changeStamp, stamp);
  EXPECT_EQ(show->modified, 1);

  // The show file work area takes the largest legal show, and it loads back whole.
  std::vector<uint8_t> area(kMaxStoredShowSize);
  EXPECT_EQ(show->storeShow(area.data(), area.size()), long(kMaxStoredShowSize));
  auto loaded = makeShow();
  ASSERT_TRUE(loaded->loadShow(area.data(), area.size(), false));
  EXPECT_EQ(loaded->pictureCount, 30);
  EXPECT_EQ(loaded->slots[29].keyCount, 128);
  EXPECT_EQ(loaded->slots[29].keys[127].x, 127.0f);
  EXPECT_EQ(loaded->soundTrackFile.pathText(), "/audio/track.wav");
}

TEST(StoredShow, ChangeStampIsNeverZeroAndChangesWithEachStore) {
  auto show = makeShow();
  std::vector<uint8_t> area(1000);
  uint16_t previous = 0;
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(show->storeShow(area.data(), area.size()), 338);
    const uint16_t stamp = le16(area, 2);
    EXPECT_NE(stamp, 0);
    EXPECT_LE(stamp, 32767);
    EXPECT_NE(stamp, previous);
    EXPECT_EQ(show->changeStamp, stamp);
    EXPECT_EQ(show->modified, 0);
    previous = stamp;
  }
}

TEST(StoredShow, SoundTrackIsStoredAndRead) {
  auto show = makeShow();
  addPicture(*show, "/p/one.png", 1);
  show->soundTrackFile.setPath("/audio/music.wav");
  std::vector<uint8_t> area(2000);
  EXPECT_EQ(show->storeShow(area.data(), area.size()), 334 + 298 + 56 + 266 + 4);
  auto loaded = makeShow();
  ASSERT_TRUE(loaded->loadShow(area.data(), area.size(), false));
  EXPECT_EQ(loaded->pictureCount, 1);
  EXPECT_EQ(loaded->soundTrackFile.pathText(), "/audio/music.wav");
  EXPECT_EQ(loaded->slots[0].file.pathText(), "/p/one.png");

  // A show without a sound track leaves none behind from the show before.
  show->soundTrackFile.clear();
  show->storeShow(area.data(), area.size());
  ASSERT_TRUE(loaded->loadShow(area.data(), area.size(), false));
  EXPECT_TRUE(loaded->soundTrackFile.empty());
}

TEST(StoredShow, LoadsBothByteOrders) {
  for (const bool bigEndian : {false, true}) {
    SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
    const auto bytes = buildShow(bigEndian, 0x1357, "/bg/back.tga", {samplePicture()}, "/audio/a.wav", 1, 0);
    auto show = makeShow();
    show->undoPosition = 4;
    show->undoCount = 3;
    show->modified = 1;
    ASSERT_TRUE(show->loadShow(bytes.data(), bytes.size(), false));
    EXPECT_EQ(show->changeStamp, 0x1357);
    EXPECT_EQ(show->backgroundFile.pathText(), "/bg/back.tga");
    EXPECT_EQ(int(show->backgroundFile.volume), 3);
    EXPECT_EQ(int32_t(show->backgroundFile.folderId), 0x01020304);
    EXPECT_EQ(show->videoColours, 1);
    EXPECT_EQ(show->alphaBlur, 0);
    ASSERT_EQ(show->pictureCount, 1);
    const PictureSlot& slot = show->slots[0];
    EXPECT_EQ(slot.file.pathText(), "/shows/pictures/logo.png");
    EXPECT_EQ(int(slot.file.volume), 0x0102);
    EXPECT_EQ(uint32_t(slot.file.folderId), 0xA0B0C0D0u);
    EXPECT_EQ(slot.brushCode, 3000);
    EXPECT_EQ(slot.tintColour, 0x00336699u);
    EXPECT_EQ(slot.reserved[0], 0x11223344u);
    EXPECT_EQ(slot.reserved[1], 5u);
    EXPECT_EQ(slot.lock, 1);
    ASSERT_EQ(slot.keyCount, 2);
    const KeyFrame& a = slot.keys[0];
    EXPECT_EQ(a.x, 320.25f);
    EXPECT_EQ(a.y, -12.5f);
    EXPECT_EQ(a.width, 100.0f);
    EXPECT_EQ(a.rotation, 15.0f);
    EXPECT_EQ(a.easeCode, 2051.0f);
    EXPECT_EQ(a.amount, 90.0f);
    EXPECT_EQ(a.reserved1, 0xDEADBEEFu);
    EXPECT_EQ(a.reserved9, 7u);
    EXPECT_EQ(a.reserved11, 0x44E10000u);
    EXPECT_EQ(a.tag, 0x0203);
    EXPECT_EQ(a.flags, 0x0405);
    EXPECT_EQ(slot.keys[1].time, 150);
    EXPECT_EQ(slot.keys[1].x, 0.1f);
    EXPECT_EQ(show->soundTrackFile.pathText(), "/audio/a.wav");
    EXPECT_EQ(show->undoPosition, -1);
    EXPECT_EQ(show->undoCount, 0);
    EXPECT_EQ(show->modified, 0);
  }
}

TEST(StoredShow, ParsingAndEncodingReproduceTheBytes) {
  for (const bool bigEndian : {false, true}) {
    auto bytes = buildShow(bigEndian, 4321, "/bg.bmp", {samplePicture(), samplePicture()}, "/s.wav");
    // Bytes that carry no meaning are kept as they were found.
    bytes[300] = 0x77;
    bytes[334 + 280] = 0x01;
    bytes[bytes.size() - 2] = 0xEE;
    StoredShow parsed;
    std::string error;
    ASSERT_TRUE(parseStoredShow(bytes.data(), bytes.size(), parsed, error)) << error;
    EXPECT_EQ(parsed.bigEndian, bigEndian);
    EXPECT_EQ(parsed.pictures.size(), 2u);
    EXPECT_TRUE(parsed.hasSoundTrack);
    EXPECT_EQ(encodeStoredShow(parsed), bytes);
  }
}

TEST(StoredShow, BadBlocksAreRefusedAndTheShowStaysAsItWas) {
  const auto good = buildShow(false, 11, "/bg.bmp", {samplePicture()});
  auto show = makeShow();
  ASSERT_TRUE(show->loadShow(good.data(), good.size(), false));
  show->slots[0].keys[1].x = 555;

  auto expectRefused = [&](std::vector<uint8_t> bytes, const char* problem) {
    SCOPED_TRACE(problem);
    std::string error;
    EXPECT_FALSE(show->loadShow(bytes.data(), bytes.size(), false, &error));
    EXPECT_NE(error.find(problem), std::string::npos) << error;
    EXPECT_EQ(show->pictureCount, 1);
    EXPECT_EQ(show->slots[0].keyCount, 2);
    EXPECT_EQ(show->slots[0].keys[1].x, 555.0f);
    EXPECT_EQ(show->changeStamp, 11);
  };

  auto reset = good;
  reset[0] = 0;  // the host's reset request
  expectRefused(reset, "magic");
  expectRefused({}, "no data");
  expectRefused(std::vector<uint8_t>(good.begin(), good.begin() + 100), "truncated");
  expectRefused(std::vector<uint8_t>(good.begin(), good.end() - 1), "truncated");

  auto tooMany = good;
  tooMany[334 + 294] = 129;
  expectRefused(tooMany, "key count 129");
  auto negative = good;
  std::memset(&negative[334 + 294], 0xFF, 4);
  expectRefused(negative, "key count -1");
  auto shortLength = good;
  shortLength[4] = 10;
  shortLength[5] = shortLength[6] = shortLength[7] = 0;
  expectRefused(shortLength, "below");
  // A record longer than the stored length is cut short.
  auto cut = good;
  testbytes::ByteBuilder patch{false, cut};
  patch.setLength(uint32_t(good.size() - 56));
  expectRefused(patch.bytes, "record 1");
}

TEST(StoredShow, APictureThatCannotBeLoadedKeepsItsSlotAndKeys) {
  TestPicture missing = samplePicture();
  missing.path = "x";  // too short for the picture loader
  missing.keys[0].x = 1;
  TestPicture present = samplePicture();
  present.path = writeTinyBmp("kestrelmove_show_test_present.bmp");
  present.keys[0].x = 2;
  present.keys.push_back(present.keys[1]);
  present.keys[2].time = 300;
  const auto bytes = buildShow(false, 9, "", {missing, present});

  auto show = makeShow();
  // With messages on, a missing file fails to load as well.
  show->showPictureErrors = 1;
  ASSERT_TRUE(show->loadShow(bytes.data(), bytes.size(), false));
  ASSERT_EQ(show->pictureCount, 2);
  EXPECT_EQ(show->slots[0].file.pathText(), "x");
  EXPECT_EQ(show->slots[0].keyCount, 2);
  EXPECT_EQ(show->slots[0].keys[0].x, 1.0f);
  EXPECT_EQ(show->slots[0].image.width(), 8);
  EXPECT_EQ(show->slots[1].file.pathText(), present.path);
  EXPECT_EQ(show->slots[1].keyCount, 3);
  EXPECT_EQ(show->slots[1].keys[0].x, 2.0f);
  // The loadable picture has its own image, not the missing one's.
  EXPECT_EQ(show->slots[1].image.width(), 2);
  EXPECT_EQ(show->slots[1].image.height(), 2);

  // Storing again keeps both records.
  std::vector<uint8_t> area(4000);
  EXPECT_EQ(show->storeShow(area.data(), area.size()), long(bytes.size()));
}

TEST(StoredShow, ATrackWithoutKeysIsStoredWithOneSoTheShowReadsBackWhole) {
  auto show = makeShow();
  addPicture(*show, "/p/a.png", 1);
  addPicture(*show, "/p/b.png", 2);
  show->deleteKey(0, 0);
  ASSERT_EQ(show->slots[0].keyCount, 0);
  std::vector<uint8_t> area(4000);
  EXPECT_EQ(show->storeShow(area.data(), area.size()), 334 + 298 + 56 + 298 + 112 + 4);
  auto loaded = makeShow();
  ASSERT_TRUE(loaded->loadShow(area.data(), area.size(), false));
  EXPECT_EQ(loaded->pictureCount, 2);
  EXPECT_EQ(loaded->slots[1].file.pathText(), "/p/b.png");
  EXPECT_EQ(loaded->slots[1].keyCount, 2);
}
