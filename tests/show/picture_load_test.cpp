#include <gtest/gtest.h>

#include <memory>

#include "platform/settings_file.h"
#include "show/show_state.h"
#include "tests/image/image_test_files.h"

namespace {

using namespace imagetest;

class PictureLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    show = std::make_unique<ShowState>(settings);
    ASSERT_EQ(show->stageWidth(), 640);
    ASSERT_EQ(show->stageHeight(), 480);
    show->showPictureErrors = 1;
    show->alphaBlur = 0;
    show->videoColours = 0;
  }

  // A 24-bit 100 x 50 BMP picture with colours inside the video-safe range.
  FileSpec pictureFile(const std::string& name = "p.bmp", int w = 100, int h = 50) {
    BmpSpec s;
    s.width = w;
    s.height = h;
    return folder.write(name, makeBmp(s));
  }

  // Alpha of slot 0's image at (x, y) counted from the bottom row of the buffer.
  int alpha(int slot, int x, int bufferRow) const { return show->slots[slot].image.row(bufferRow)[4 * x + 3]; }

  SettingsFile settings;
  TempFolder folder;
  RecordingHooks hooks;
  std::unique_ptr<ShowState> show;
};

TEST_F(PictureLoad, NewPictureInAnEmptyShow) {
  ASSERT_EQ(show->loadPicture(pictureFile(), -1), 0);
  EXPECT_EQ(show->pictureCount, 1);
  const PictureSlot& p = show->slots[0];
  EXPECT_EQ(p.file.pathText(), folder.file("p.bmp"));
  ASSERT_EQ(p.image.bitsPerPixel(), 32);
  ASSERT_EQ(p.image.width(), 100);
  ASSERT_EQ(p.image.height(), 50);
  EXPECT_EQ(p.keys[0].x, 320.0f);
  EXPECT_EQ(p.keys[0].y, 240.0f);
  EXPECT_EQ(p.keys[0].width, 100.0f);
  EXPECT_EQ(p.keys[0].height, 50.0f);
  EXPECT_EQ(p.keys[0].rotation, 0.0f);
  EXPECT_EQ(p.keys[0].amount, 0.0f);
  for (int i = 0; i < 50; ++i)
    for (int j = 0; j < 100; ++j) {
      const bool border = i == 0 || i == 49 || j == 0 || j == 99;
      ASSERT_EQ(alpha(0, j, i), border ? 0 : 255) << j << "," << i;
    }
  EXPECT_EQ(pixel(p.image, 7, 3), (Rgba{colourAt(7, 3).r, colourAt(7, 3).g, colourAt(7, 3).b, 255}));
  EXPECT_EQ(show->modified, 1);
  EXPECT_EQ(hooks.cursors, (std::vector<int>{11, 1}));
  EXPECT_TRUE(hooks.messages.empty());
}

TEST_F(PictureLoad, AlphaBlurSoftensTheInnerEdgeTwice) {
  show->alphaBlur = 1;
  ASSERT_EQ(show->loadPicture(pictureFile(), -1), 0);
  // Buffer rows from the bottom; the pass runs upwards and rightwards in place.
  EXPECT_EQ(alpha(0, 1, 1), 93);
  EXPECT_EQ(alpha(0, 2, 1), 131);
  EXPECT_EQ(alpha(0, 1, 2), 127);
  EXPECT_EQ(alpha(0, 2, 2), 187);
  EXPECT_EQ(alpha(0, 3, 3), 230);
  EXPECT_EQ(alpha(0, 98, 48), 75);
  EXPECT_EQ(alpha(0, 1, 48), 83);
  EXPECT_EQ(alpha(0, 98, 1), 85);
  EXPECT_EQ(alpha(0, 50, 25), 253);
  EXPECT_EQ(alpha(0, 0, 25), 0);
  EXPECT_EQ(alpha(0, 50, 49), 0);
}

TEST_F(PictureLoad, VideoColoursAndAlphaOfThirtyTwoBitFiles) {
  show->videoColours = 1;
  TgaSpec s;
  s.width = 4;
  s.height = 3;
  s.bits = 32;
  Bytes f = makeTga(s);
  f[18] = 0;    // blue of the bottom-left pixel: out of the video-safe range
  f[21] = 255;  // its alpha
  ASSERT_EQ(show->loadPicture(folder.write("a.tga", f), -1), 0);
  const ImageBuffer& img = show->slots[0].image;
  EXPECT_EQ(img.row(0)[0], 15);                                       // 0 maps to 15
  EXPECT_EQ(img.row(1)[4 + 1], (86 * colourAt(1, 1).g + 1548) / 100);  // in range, mapped all the same
  // A 32-bit file keeps its own alpha inside the border.
  EXPECT_EQ(img.row(1)[4 * 1 + 3], colourAt(1, 1).a);
  EXPECT_EQ(img.row(1)[4 * 2 + 3], colourAt(2, 1).a);
  EXPECT_EQ(img.row(0)[3], 0);
}

TEST_F(PictureLoad, ChangedPictureKeepsItsKeys) {
  ASSERT_EQ(show->loadPicture(pictureFile(), -1), 0);
  show->slots[0].keys[0].x = 12;
  show->slots[0].keys[0].width = 400;
  ASSERT_EQ(show->loadPicture(pictureFile("q.bmp", 20, 10), 0), 0);
  EXPECT_EQ(show->pictureCount, 1);
  EXPECT_EQ(show->slots[0].image.width(), 20);
  EXPECT_EQ(show->slots[0].keys[0].x, 12.0f);
  EXPECT_EQ(show->slots[0].keys[0].width, 400.0f);
  EXPECT_EQ(show->slots[0].file.pathText(), folder.file("q.bmp"));
}

TEST_F(PictureLoad, AThirtyFirstPictureIsRefused) {
  const FileSpec f = pictureFile("small.bmp", 8, 4);
  for (int i = 0; i < kMaxPictures; ++i) ASSERT_EQ(show->loadPicture(f, -1), i);
  EXPECT_EQ(show->pictureCount, 30);
  hooks.messages.clear();
  show->modified = 0;
  EXPECT_EQ(show->loadPicture(pictureFile("extra.bmp", 6, 6), -1), -1);
  EXPECT_EQ(hooks.messages, (std::vector<std::string>{"A show holds at most 30 pictures"}));
  EXPECT_EQ(show->pictureCount, 30);
  EXPECT_EQ(show->modified, 0);
  EXPECT_NE(show->slots[30].image.width(), 6);
  EXPECT_EQ(show->slots[29].image.width(), 8);
  // Changing a picture in use is still allowed with thirty in the show.
  EXPECT_EQ(show->loadPicture(pictureFile("swap.bmp", 6, 6), 29), 29);
  EXPECT_EQ(show->slots[29].image.width(), 6);
}

TEST_F(PictureLoad, FailuresLeaveTheShowAsItWas) {
  EXPECT_EQ(show->loadPicture(folder.spec("absent.bmp"), -1), -1);
  EXPECT_EQ(show->loadPicture(folder.spec("absent.bmp"), 4), 4);
  EXPECT_EQ(show->pictureCount, 0);
  EXPECT_EQ(show->modified, 0);
  EXPECT_EQ(hooks.messages, (std::vector<std::string>{"Can't open graphics file", "Can't open graphics file"}));
  EXPECT_EQ(hooks.cursors, (std::vector<int>{11, 1, 11, 1}));
  FileSpec tiny;
  tiny.setPath("ab");
  EXPECT_EQ(show->loadPicture(tiny, -1), 0);
  EXPECT_EQ(show->pictureCount, 0);
  EXPECT_EQ(show->loadPicture(pictureFile(), 32), -1);
  EXPECT_EQ(show->pictureCount, 0);
}

TEST_F(PictureLoad, PlaceholderWhenPictureErrorsAreOff) {
  show->showPictureErrors = 0;
  ASSERT_EQ(show->loadPicture(folder.spec("absent.bmp"), -1), 0);
  EXPECT_EQ(show->pictureCount, 1);
  EXPECT_EQ(show->slots[0].image.width(), 160);
  EXPECT_EQ(show->slots[0].image.height(), 120);
  EXPECT_EQ(show->slots[0].keys[0].width, 160.0f);
  EXPECT_EQ(show->slots[0].file.pathText(), folder.file("absent.bmp"));
  EXPECT_TRUE(hooks.messages.empty());
}

TEST_F(PictureLoad, AlternateImageFolder) {
  std::filesystem::create_directories(folder.file("elsewhere"));
  BmpSpec s;
  s.width = 9;
  s.height = 9;
  const Bytes bytes = makeBmp(s);
  std::ofstream(folder.file("elsewhere/logo.bmp"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
  show->alternateImageFolder.setPath(folder.file("elsewhere"));
  FileSpec stored;
  stored.setPath("C:\\Show\\logo.bmp");
  ASSERT_EQ(show->loadPicture(stored, -1), 0);
  EXPECT_EQ(show->slots[0].image.width(), 9);
  // The slot keeps the path the show was saved with.
  EXPECT_EQ(show->slots[0].file.pathText(), "C:\\Show\\logo.bmp");
}

}  // namespace
