#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "../editor_test_support.h"
#include "dialogs/form.h"
#include "editor/shell/advanced_options.h"
#include "editor/stage/stage_view.h"
#include "platform/dialogs.h"
#include "platform/drawing.h"

namespace {

// The stage the form is drawn over, counting its repaints. Until the stage opens a window of its
// own, it is given a plain one, placed away from the screen's corner.
class CountingStage : public StageView {
 public:
  CountingStage() : StageView(nullptr) {
    live() = this;
    if (!handle()) {
      create(0, kWindowPopup, procedure);
      move(30, 20, 830, 620, false);
      show(1);
      ownsWindow_ = true;
    }
    editorContext().stage = this;
    editorContext().viewsChanged();
  }
  ~CountingStage() override {
    if (editorContext().stage == this) editorContext().stage = nullptr;
    editorContext().viewsChanged();
    if (ownsWindow_) destroy();
    live() = nullptr;
  }
  void paint() override {
    ++paints;
    StageView::paint();
  }
  int paints = 0;

 private:
  static CountingStage*& live() {
    static CountingStage* stage = nullptr;
    return stage;
  }
  static ws::LResult procedure(ws::WindowHandle h, uint32_t m, ws::WParam w, ws::LParam l) {
    return forwardMessage(live(), h, m, w, l);
  }
  bool ownsWindow_ = false;
};

// A 24-bit BMP of 4 x 4 pixels in one colour.
void writeBmp(const std::filesystem::path& file, int red, int green, int blue) {
  std::vector<uint8_t> b(54 + 4 * 12, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
  };
  b[0] = 'B', b[1] = 'M';
  put32(2, uint32_t(b.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, 4);
  put32(22, 4);
  b[26] = 1, b[28] = 24;
  for (size_t p = 54; p < b.size(); p += 3) b[p] = uint8_t(blue), b[p + 1] = uint8_t(green), b[p + 2] = uint8_t(red);
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

class AdvancedOptionsTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    stage = std::make_unique<CountingStage>();
    pump();
    // The form measures its labels in the size-10 font; the widest is the folder row's.
    DrawingScope scope(stage->handle());
    selectFont(standardFont(10), 0xFFFFFFFFu, -1);
    e = textWidth("@FAlternative Image Folder");
  }
  void TearDown() override {
    stage.reset();
    EditorTest::TearDown();
  }
  // Client positions of the form at (50, 50): a point in row i's value column, and the buttons.
  ws::Point rowPoint(int row) const { return at(50 + e + 16 + 4, 50 + 44 + 20 * row); }
  ws::Point okPoint() const { return at(50 + 2 * e - 20, 50 + 44 + 20 * 6); }
  ws::Point cancelPoint() const { return at(50 + 2 * e - 20, 50 + 44 + 20 * 7); }
  ws::Point at(int clientX, int clientY) const { return ws::screen().clientToScreen(stage->handle(), {clientX, clientY}); }
  static void click(ws::Point p) { ws::screen().click(p.x, p.y); }
  ws::ColourRef pixel(int clientX, int clientY) const {
    const ws::Point p = at(clientX, clientY);
    const uint32_t v = ws::screen().pixelAt(p.x, p.y);
    return ws::rgb((v >> 16) & 255, (v >> 8) & 255, v & 255);
  }
  // The red and blue of a slot's picture in its middle (32-bit rows: blue, green, red, alpha).
  std::pair<int, int> redBlueOf(int slot) const {
    const uint8_t* p = show->slots[slot].image.row(2) + 2 * 4;
    return {p[2], p[0]};
  }
  void loadPictures(int red, int blue) {
    for (const char* name : {"one.bmp", "two.bmp"}) {
      writeBmp(configDir / name, red, 0, blue);
      FileSpec f;
      f.setPath((configDir / name).string());
      ASSERT_GE(show->loadPicture(f, -1), 0);
    }
    ASSERT_EQ(show->pictureCount, 2);
  }

  std::unique_ptr<CountingStage> stage;
  int e = 0;
};

TEST_F(AdvancedOptionsTest, CancelChangesNothingButReloadsEveryPicture) {
  loadPictures(20, 200);
  show->fieldSwap = 1;
  show->videoColours = 0;
  show->alternateImageFolder.setPath("/art/");
  const std::string settingsBefore = settings().text();
  writeBmp(configDir / "one.bmp", 200, 0, 20);
  writeBmp(configDir / "two.bmp", 200, 0, 20);

  click(rowPoint(0));  // Flop Field Order off
  click(rowPoint(4));  // VideoSafe on
  ws::screen().whenIdle([&] {
    EXPECT_EQ(pixel(55, 80), ws::rgb(192, 192, 192)) << "the form over the stage at (50, 50)";
    EXPECT_NE(pixel(45, 80), ws::rgb(192, 192, 192)) << "left of it the stage shows";
    click(cancelPoint());
  });
  const int paintsBefore = stage->paints;
  advancedOptions();

  EXPECT_EQ(show->fieldSwap, 1);
  EXPECT_EQ(show->videoColours, 0);
  EXPECT_EQ(show->alternateImageFolder.pathText(), "/art/");
  EXPECT_EQ(std::string(settings().text()), settingsBefore);
  for (int slot : {0, 1}) {
    const auto [red, blue] = redBlueOf(slot);
    EXPECT_GT(red, blue) << "picture " << slot << " loaded again from its changed file";
  }
  EXPECT_EQ(stage->paints, paintsBefore + 1);
  EXPECT_EQ(currentCursorKind(), 1);
}

TEST_F(AdvancedOptionsTest, ConfirmedSwitchesAreStoredInTheirOrder) {
  show->videoColours = 1;
  show->alphaBlur = 1;
  show->flopTopField = 0;
  show->fieldSwap = 0;
  show->showPictureErrors = 0;
  click(rowPoint(4));  // VideoSafe off
  click(rowPoint(1));  // Flop Top Field on
  click(okPoint());
  advancedOptions();

  EXPECT_EQ(show->videoColours, 0);
  EXPECT_EQ(show->flopTopField, 1);
  EXPECT_EQ(show->alphaBlur, 1);
  EXPECT_EQ(settings().getInteger("VideoColors", 1), 0);
  EXPECT_EQ(settings().getInteger("FlopTopField", 0), 1);
  EXPECT_EQ(settings().getInteger("AlphaBlur", 0), 1);
  EXPECT_EQ(settings().getInteger("FieldSwap", 1), 0);
  EXPECT_EQ(settings().getInteger("ShowPicError", 1), 0);
  const std::string text = settings().text();
  size_t last = 0;
  for (const char* key : {"FlopTopField=", "AltImageFolder=", "ShowPicError=", "FieldSwap=", "VideoColors=", "AlphaBlur="}) {
    const size_t at = text.find(key);
    ASSERT_NE(at, std::string::npos) << key;
    EXPECT_GT(at, last) << key << " in order";
    last = at;
  }
}

TEST_F(AdvancedOptionsTest, ChosenFileMakesItsFolderTheAlternateImageFolder) {
  std::filesystem::create_directories(configDir / "art" / "set1");
  writeBmp(configDir / "art" / "set1" / "sky.bmp", 1, 2, 3);
  show->alternateImageFolder.setPath((configDir / "art" / "set1").string() + "/");
  show->alternateImageFolder.volume = 4;
  show->alternateImageFolder.folderId = 77;
  click(rowPoint(2));
  ws::screen().whenIdle([] {
    ws::screen().typeText("sky.bmp");
    ws::screen().pressKey(ws::VK_RETURN);
  });
  ws::screen().whenIdle([&] { click(okPoint()); });
  advancedOptions();

  const std::string expected = (configDir / "art" / "set1").string() + "/";
  EXPECT_EQ(show->alternateImageFolder.pathText(), expected);
  EXPECT_EQ(int(show->alternateImageFolder.volume), 4) << "kept";
  EXPECT_EQ(int32_t(show->alternateImageFolder.folderId), 77) << "kept";
  EXPECT_EQ(settings().getText("AltImageFolder", ""), expected);
}

TEST_F(AdvancedOptionsTest, LongFolderIsShownShortenedAndKeptWhole) {
  const std::string longFolder = "c:\\" + std::string(40, 'a') + "\\" + std::string(40, 'b') + "\\";
  ASSERT_GT(longFolder.size(), 63u);
  show->alternateImageFolder.setPath(longFolder);
  ws::screen().whenIdle([&] {
    // The row's last pixels inside its frame are its own grey: the text stops short of them.
    const int rowRight = 50 + 2 * e + 8;
    for (int px = rowRight - 4; px < rowRight - 1; ++px)
      for (int py = 50 + 36 + 40 + 2; py < 50 + 52 + 40 - 2; ++py) ASSERT_EQ(pixel(px, py), ws::rgb(224, 224, 224)) << px << "," << py;
    ws::screen().saveScreenshot((std::filesystem::path(::testing::TempDir()) / "km-advanced-options.png").string());
    click(okPoint());
  });
  advancedOptions();
  EXPECT_EQ(show->alternateImageFolder.pathText(), longFolder);
  EXPECT_EQ(settings().getText("AltImageFolder", ""), longFolder);
}

TEST_F(AdvancedOptionsTest, WithoutPicturesTheViewsAreStillRefreshed) {
  ws::screen().whenIdle([] { ws::screen().pressKey(ws::VK_ESCAPE); });
  const int paintsBefore = stage->paints;
  advancedOptions();
  EXPECT_EQ(show->pictureCount, 0);
  EXPECT_EQ(stage->paints, paintsBefore + 1);
  EXPECT_EQ(currentCursorKind(), 1);
  EXPECT_EQ(previousCursorKind(), 11) << "the wait cursor, with nothing loaded";
}

TEST_F(AdvancedOptionsTest, FormIsFilledFromTheShow) {
  show->fieldSwap = 0;
  show->flopTopField = 1;
  show->showPictureErrors = 1;
  show->videoColours = 0;
  show->alphaBlur = 1;
  ws::screen().whenIdle([&] {
    // A checked box shows its cross: the pixel 3 in from its top-left corner.
    const int boxX = 50 + e + 16 + 3;
    const bool expected[6] = {false, true, false, true, false, true};
    for (int row : {0, 1, 3, 4, 5})
      EXPECT_EQ(pixel(boxX, 50 + 52 + 20 * row - 14 + 3) == ws::rgb(0, 0, 0), expected[row]) << "row " << row;
    ws::screen().pressKey(ws::VK_ESCAPE);
  });
  advancedOptions();
}

}  // namespace
