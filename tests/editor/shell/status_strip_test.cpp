// The status strip as the screen shows it: the zoom markers, the OK button's two images, the picture
// buttons and the timeline's rows button; and a screenshot of the whole editor.
#include "tests/editor/shell/shell_test_support.h"

#include <cstdio>
#include <cstdlib>

#include "editor/timeline/timeline_view.h"
#include "platform/resource_store.h"
#include "show/show_state.h"

namespace {

class StatusStripTest : public ShellTest {
 protected:
  uint32_t pixel(int clientX, int clientY) {
    const ws::Point p = onEditor(clientX, clientY);
    return s().pixelAt(p.x, p.y) & 0xFFFFFF;
  }
  static bool dark(uint32_t c) { return ws::redOf(c) < 60 && ws::greenOf(c) < 60 && ws::blueOf(c) < 60; }
  // The centre of the n-th zoom marker (0: "200%").
  ws::Point markerCentre(int n) const { return {14, clientBottom() - 82 + 10 * n + 4}; }
  ws::Rect timelineRect() const { return context.timeline->windowRect(); }
};

TEST_F(StatusStripTest, OnlyTheMarkerOfTheCurrentZoomIsFilled) {
  // Without a stage the zoom is 1.0: the "100%" row.
  for (int n = 0; n < 4; ++n) {
    const ws::Point c = markerCentre(n);
    EXPECT_EQ(dark(pixel(c.x, c.y)), n == 1) << "row " << n;
    // Every row has its circle.
    EXPECT_TRUE(dark(pixel(10, c.y))) << "row " << n;
  }
}

// The read-outs truncate toward zero: a state drawn with fractions looks exactly like its whole part.
TEST_F(StatusStripTest, ReadOutsTruncateTowardZero) {
  const int b = clientBottom();
  auto readOuts = [&](float x, float y, float rotation) {
    KeyFrame state;
    state.x = x, state.y = y, state.width = 64, state.height = 48, state.rotation = rotation;
    editor->drawStatus(state);
    std::vector<uint32_t> pixels;
    const ws::Surface& screen = s().compose();
    for (int py = b - 40; py < b - 8; ++py)
      for (int px = 10; px < 110; ++px) {
        const ws::Point p = onEditor(px, py);
        pixels.push_back(screen.pixel(p.x, p.y) & 0xFFFFFF);
      }
    return pixels;
  };
  const std::vector<uint32_t> fractions = readOuts(100.9f, 50.2f, -10.7f);
  EXPECT_EQ(fractions, readOuts(100, 50, -10));
  EXPECT_NE(fractions, readOuts(101, 50, -10));
  EXPECT_NE(fractions, readOuts(100, 50, -11));
}

TEST_F(StatusStripTest, TheOkButtonShowsItsPressedImageWhileHeld) {
  const int b = clientBottom();
  // The "O" of the disc: white when up, grey while pressed.
  const ws::Point o = {57 + 5, b - 70 + 7};
  EXPECT_EQ(pixel(o.x, o.y), 0xFFFFFFu);
  EXPECT_TRUE(dark(pixel(57 + 9, b - 70 + 2)));
  const ws::Point p = onEditor(57 + 9, b - 70 + 9);
  s().mouseMove(p.x, p.y);
  s().mouseButton(0, true, p.x, p.y);
  pump();
  EXPECT_EQ(pixel(o.x, o.y), ws::rgb(160, 160, 160));
  // Released outside, it keeps the pressed image and nothing is applied.
  s().mouseMove(p.x + 200, p.y);
  s().mouseButton(0, false, p.x + 200, p.y);
  pump();
  EXPECT_EQ(pixel(o.x, o.y), ws::rgb(160, 160, 160));
  EXPECT_EQ(runUntilQuit(), ws::Screen::kNoMoreInput);
}

TEST_F(StatusStripTest, PictureButtonsStepThroughThePicturesAndStopAtTheEnds) {
  ASSERT_NE(context.timeline, nullptr);
  show->pictureCount = 2;
  const ws::Rect t = timelineRect();
  const int b = clientBottom();
  auto clickDown = [&] { clickEditor(t.left - 15, b - 42); };
  auto clickUp = [&] { clickEditor(t.left - 15, b - 69); };
  clickDown();
  EXPECT_EQ(show->currentPicture, 1);
  clickDown();
  EXPECT_EQ(show->currentPicture, 1);
  clickUp();
  clickUp();
  EXPECT_EQ(show->currentPicture, 0);
  show->pictureCount = 0;
  clickDown();
  EXPECT_EQ(show->currentPicture, 0);
}

TEST_F(StatusStripTest, TheRowsButtonTogglesTheTimelineBetweenCollapsedAndExpanded) {
  ASSERT_NE(context.timeline, nullptr);
  const ws::Rect t = timelineRect();
  const int b = clientBottom();
  EXPECT_EQ(context.timeline->displayMode, TimelineView::kCollapsed);
  clickEditor(t.left - 14, b - 22);
  EXPECT_EQ(context.timeline->displayMode, TimelineView::kExpanded);
  EXPECT_EQ(editor->timelineRowsButton.state, BitmapButton::kActive);
  clickEditor(t.left - 14, b - 22);
  EXPECT_EQ(context.timeline->displayMode, TimelineView::kCollapsed);
  EXPECT_EQ(editor->timelineRowsButton.state, BitmapButton::kNormal);
}

TEST_F(StatusStripTest, TimelineScaleCommandsAtTwentyNineNinetySevenAndTwentyFive) {
  ASSERT_NE(context.timeline, nullptr);
  context.timeline->timeScale = 30;
  chooseMenu("View", "Enlarge Timeline");
  EXPECT_EQ(context.timeline->timeScale, 60);
  chooseMenu("View", "Contract Timeline");
  chooseMenu("View", "Contract Timeline");
  EXPECT_EQ(context.timeline->timeScale, 15);
  show->frameRate = 2500;
  context.timeline->timeScale = 10;
  // The comma key's code stands for ">" with Ctrl, as the menu's shortcut says.
  s().pressCtrl(0xBC);
  pump();
  EXPECT_EQ(context.timeline->timeScale, 20);
  s().pressCtrl(0xBE);
  pump();
  EXPECT_EQ(context.timeline->timeScale, 10);
}

TEST_F(StatusStripTest, TheTimelinesRepaintSetsTheEditMenuForTheKeyUnderItsCursor) {
  ASSERT_NE(context.timeline, nullptr);
  show->pictureCount = 1;
  show->slots[0].keyCount = 2;
  show->slots[0].keys[1].time = 60;
  show->showAt(0, true);
  pump();
  EXPECT_EQ(show->selectedKey, 0);
  EXPECT_FALSE(grayed(kCmdCopy));
  EXPECT_TRUE(grayed(kCmdCut));
  EXPECT_TRUE(grayed(kCmdDelete));
  show->showAt(60, true);
  pump();
  EXPECT_EQ(show->selectedKey, 1);
  EXPECT_FALSE(grayed(kCmdCut));
  EXPECT_FALSE(grayed(kCmdDelete));
}

// The editor with two pictures loaded through the dialog, for the eye: written as shell_editor.png
// into the test's temporary folder, which the output names.
TEST_F(StatusStripTest, ScreenshotOfTheEditorWithPictures) {
  const struct {
    int number;
    const char* name;
  } samples[] = {{9002, "photo.bmp"}, {9001, "logo.tga"}};
  for (const auto& sample : samples) {
    const ResourceBytes r = findResource(ResourceKind::data, sample.number);
    ASSERT_TRUE(r);
    const std::string path = (folder / sample.name).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(r.bytes), std::streamsize(r.size));
    answerFileDialogWith(path);
    chooseMenu("File", "Load Picture");
  }
  ASSERT_EQ(show->pictureCount, 2);
  show->showLength = 150;
  show->showAt(0, true);
  s().pressKey(ws::VK_END);
  s().pressKey(ws::VK_RETURN);
  s().pressKey(ws::VK_HOME);
  pump();
  editor->paint();
  pump();
  EXPECT_EQ(show->slots[0].keyCount, 2);
  const std::string png = (std::filesystem::path(::testing::TempDir()) / "shell_editor.png").string();
  EXPECT_TRUE(s().saveScreenshot(png));
  std::printf("screenshot: %s\n", png.c_str());
}

}  // namespace

namespace {

// The README's picture: KM_DEMO_SHOW names the demo show (`kestrelmove demo -o DIR` writes
// DIR/demo.kmv), KM_EDITOR_SCREENSHOT the PNG file to write. Run by hand when the editor's look
// changes; without them there is nothing to do.
TEST_F(StatusStripTest, ScreenshotOfTheDemoShowForTheReadme) {
  const char* demo = std::getenv("KM_DEMO_SHOW");
  const char* out = std::getenv("KM_EDITOR_SCREENSHOT");
  if (!demo || !out) GTEST_SKIP() << "KM_DEMO_SHOW and KM_EDITOR_SCREENSHOT are not set";
  answerFileDialogWith(demo);
  chooseMenu("File", "Load Show");
  ASSERT_GT(show->pictureCount, 0);
  show->showAt(45, true);
  pump();
  editor->paint();
  pump();
  EXPECT_TRUE(s().saveScreenshot(out));
}

}  // namespace
