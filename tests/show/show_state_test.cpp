#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/show/show_test_support.h"

using namespace testshow;

namespace {

// A show built from the given settings text (the section line is added).
std::unique_ptr<ShowState> showWith(SettingsFile& settings, const std::string& lines) {
  settings.setTextBuffer(("[Kestrelmove]\r\n" + lines).c_str());
  return std::make_unique<ShowState>(settings);
}

void expectStartingKey(const PictureSlot& slot, int index) {
  SCOPED_TRACE("slot " + std::to_string(index));
  ASSERT_EQ(slot.keyCount, 1);
  KeyFrame first;
  first.x = 200;
  first.y = 200;
  first.width = 100;
  first.height = 100;
  EXPECT_EQ(std::memcmp(&slot.keys[0], &first, sizeof first), 0);
  const KeyFrame zero;
  for (int k = 1; k < kMaxKeys; ++k) ASSERT_EQ(std::memcmp(&slot.keys[k], &zero, sizeof zero), 0) << k;
  EXPECT_TRUE(slot.file.empty());
  EXPECT_EQ(int(slot.file.volume), 0);
  EXPECT_EQ(slot.tintColour, 255u);
  EXPECT_EQ(slot.brushCode, 0);
  EXPECT_EQ(slot.reserved[0], 0u);
  EXPECT_EQ(slot.reserved[1], 0u);
  EXPECT_EQ(slot.lock, 0);
  EXPECT_EQ(slot.image.width(), 8);
  EXPECT_EQ(slot.image.height(), 8);
  EXPECT_EQ(slot.image.bitsPerPixel(), 32);
}

}  // namespace

TEST(ShowStateConstruction, DefaultsWithoutSettings) {
  SettingsFile settings;
  auto show = showWith(settings, "");
  EXPECT_EQ(show->aspect, 0.75f);
  EXPECT_EQ(show->stageWidth(), 640);
  EXPECT_EQ(show->stageHeight(), 480);
  EXPECT_EQ(show->showLength, 1800);
  EXPECT_EQ(show->backgroundMode, 2);
  EXPECT_EQ(show->clipboard.time, -9999);
  EXPECT_EQ(show->fastDisplay, 0);
  EXPECT_EQ(show->alphaBlur, 1);
  EXPECT_EQ(show->fieldSwap, 0);
  EXPECT_EQ(show->videoColours, 1);
  EXPECT_EQ(show->flopTopField, 0);
  EXPECT_EQ(show->autoAddKeys, 1);
  EXPECT_EQ(show->frameRate, 2997);
  EXPECT_STREQ(show->rootVolume, "C:\\");
  EXPECT_TRUE(show->alternateImageFolder.empty());
  EXPECT_EQ(show->pictureCount, 0);
  EXPECT_EQ(show->selectedKey, -1);
  for (int i = 0; i < kSlotCount; ++i) expectStartingKey(show->slots[i], i);
  // Defaults are read, never written into the settings.
  EXPECT_STREQ(settings.text(), "[Kestrelmove]\r\n");
}

TEST(ShowStateConstruction, SettingsGiveTheSwitchesAndTheStage) {
  SettingsFile settings;
  auto show = showWith(settings,
                       "AspectMode=5625\r\nFieldSwap=7\r\nVideoColors=0\r\nFlopTopField=-1\r\nFrameRate=2500\r\n"
                       "AutoAddKey=0\r\nRootVolume=D:\\\r\nAltImageFolder=/media/pictures\r\nAlphaBlur=0\r\n");
  EXPECT_EQ(show->aspect, 0.5625f);
  EXPECT_EQ(show->stageWidth(), 853);
  EXPECT_EQ(show->stageHeight(), 480);
  // Any non-zero switch is kept as 1.
  EXPECT_EQ(show->fieldSwap, 1);
  EXPECT_EQ(show->flopTopField, 1);
  EXPECT_EQ(show->videoColours, 0);
  EXPECT_EQ(show->autoAddKeys, 0);
  EXPECT_EQ(show->frameRate, 2500);
  EXPECT_EQ(show->framesPerSecond(), 25);
  EXPECT_STREQ(show->rootVolume, "D:\\");
  EXPECT_EQ(show->alternateImageFolder.pathText(), "/media/pictures");
  // The feathering is switched on whatever the setting says.
  EXPECT_EQ(show->alphaBlur, 1);
}

TEST(ShowStateConstruction, StageWidthComesFromTheAspectInDoublePrecision) {
  SettingsFile settings;
  // 5120 x 0.0001 = 0.512 is kept as the float 0.51200002..., so 0.75 / aspect x 640 + 0.5 is
  // 937.99995 and the stage is 937 wide (a float product, 0.51199996..., would give 938).
  EXPECT_EQ(showWith(settings, "AspectMode=5120\r\n")->stageWidth(), 937);
  EXPECT_EQ(showWith(settings, "AspectMode=7500\r\n")->stageWidth(), 640);
  EXPECT_EQ(showWith(settings, "AspectMode=10000\r\n")->stageWidth(), 480);
}

TEST(ShowStateConstruction, AnAspectWithoutAUsableStageFallsBackToFourByThree) {
  SettingsFile settings;
  // 0, a negative aspect, a stage of 96000 units (AspectMode 50) and one of 0 units are no stage.
  for (const char* value : {"0", "-7500", "50", "100000000"}) {
    SCOPED_TRACE(value);
    auto show = showWith(settings, std::string("AspectMode=") + value + "\r\n");
    EXPECT_EQ(show->aspect, 0.75f);
    EXPECT_EQ(show->stageWidth(), 640);
    EXPECT_EQ(show->stageHeight(), 480);
  }
}

TEST(ShowStateConstruction, FramesPerSecondRoundsAndNeverOverflows) {
  SettingsFile settings;
  auto show = showWith(settings, "");
  EXPECT_EQ(show->framesPerSecond(), 30);  // (2997 + 50) / 100
  show->frameRate = 2400;
  EXPECT_EQ(show->framesPerSecond(), 24);
  show->frameRate = 2147483647;
  EXPECT_EQ(show->framesPerSecond(), 21474836);
}

TEST(NewShow, ResetsEverySlotAndTheEditingState) {
  auto show = makeShow();
  RecordingViews views;
  show->setViews(&views);
  addPictures(*show, 3);
  show->slots[1].keyCount = 5;
  show->slots[1].keys[3].time = 70;
  show->slots[2].tintColour = 0x00FF00;
  show->slots[2].brushCode = kBrushTint;
  show->slots[2].reserved[1] = 9;
  show->slots[2].lock = 1;
  show->slots[2].file.volume = 3;
  ASSERT_TRUE(show->slots[0].image.create(20, 10, 32));
  show->undoPosition = 5;
  show->undoCount = 6;
  show->redoCount = 2;
  show->modified = 1;
  show->changeStamp = 77;
  show->currentPicture = 2;
  show->soundTrackFile.setPath("/a.wav");
  show->backgroundFile.setPath("/b.bmp");
  show->showFile.setPath("/c.kmv");
  ASSERT_TRUE(show->backgroundPicture.create(30, 20, 24));
  show->clipboard.time = 12;
  views.states[4].x = -3;

  show->newShow();
  for (int i = 0; i < kSlotCount; ++i) expectStartingKey(show->slots[i], i);
  EXPECT_EQ(show->pictureCount, 0);
  EXPECT_EQ(show->undoPosition, -1);
  EXPECT_EQ(show->undoCount, 0);
  EXPECT_EQ(show->redoCount, 0);
  EXPECT_EQ(show->modified, 0);
  EXPECT_EQ(show->changeStamp, 0);
  EXPECT_EQ(show->currentPicture, 0);
  EXPECT_TRUE(show->soundTrackFile.empty());
  EXPECT_TRUE(show->backgroundFile.empty());
  EXPECT_TRUE(show->showFile.empty());
  EXPECT_EQ(show->backgroundPicture.width(), 8);
  EXPECT_EQ(show->backgroundPicture.height(), 8);
  EXPECT_EQ(show->backgroundPicture.bitsPerPixel(), 32);
  // The keyframe clipboard outlives a new show.
  EXPECT_EQ(show->clipboard.time, 12);
  // The stage shows every slot at its first key.
  EXPECT_EQ(views.states[4].x, 200.0f);
  EXPECT_EQ(views.states[31].width, 100.0f);
  show->setViews(nullptr);
}

TEST(ShowAccessors, SetCurrentPictureStaysAmongThePictures) {
  auto show = makeShow();
  RecordingViews views;
  show->setViews(&views);
  show->setCurrentPicture(4);
  EXPECT_EQ(show->currentPicture, 0);
  addPictures(*show, 3);
  show->setCurrentPicture(7);
  EXPECT_EQ(show->currentPicture, 2);
  show->setCurrentPicture(-4);
  EXPECT_EQ(show->currentPicture, 0);
  show->setCurrentPicture(1);
  EXPECT_EQ(show->currentPicture, 1);
  EXPECT_EQ(views.calls, (std::vector<std::string>{"menu 0", "menu 2", "menu 0", "menu 1"}));
  show->setViews(nullptr);
}

TEST(ShowAccessors, GetAndPutKeyIgnoreIndexesOutOfRange) {
  auto show = makeShow();
  KeyFrame record;
  record.x = 12;
  record.time = 40;
  show->modified = 0;
  show->putKey(127, record, 31);
  EXPECT_EQ(show->slots[31].keys[127].x, 12.0f);
  EXPECT_EQ(show->modified, 1);

  show->modified = 0;
  show->putKey(128, record, 0);
  show->putKey(-1, record, 0);
  show->putKey(0, record, 32);
  show->putKey(0, record, -1);
  EXPECT_EQ(show->modified, 0);
  EXPECT_EQ(show->slots[0].keys[0].x, 200.0f);

  KeyFrame out;
  out.x = -8;
  show->getKey(128, out, 0);
  show->getKey(0, out, 32);
  EXPECT_EQ(out.x, -8.0f);
  show->getKey(127, out, 31);
  EXPECT_EQ(out.x, 12.0f);
  EXPECT_EQ(out.time, 40);
}
