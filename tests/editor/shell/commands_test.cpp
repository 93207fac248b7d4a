// Menu commands and the close protocol, chosen as a user chooses them.
#include "tests/editor/shell/shell_test_support.h"

#include "editor/editor_context.h"
#include "editor/shell/view_steps.h"
#include "editor/stage/stage_view.h"
#include "show/show_state.h"
#include "show/stored_show.h"

namespace {

TEST(ViewSteps, ZoomStepsThroughItsFourChoicesAndStaysAtTheEnds) {
  EXPECT_EQ(zoomedIn(1.0f), 2.0f);
  EXPECT_EQ(zoomedIn(2.0f), 2.0f);
  EXPECT_EQ(zoomedIn(0.5f), 0.75f);
  EXPECT_EQ(zoomedIn(1.5f), 1.5f);
  float z = 2.0f;
  std::vector<int> stored;
  for (int i = 0; i < 4; ++i) stored.push_back(zoomSetting(z = zoomedOut(z)));
  EXPECT_EQ(stored, (std::vector<int>{100, 75, 50, 50}));
  EXPECT_EQ(zoomSetting(2.0f), 200);
}

TEST(ViewSteps, TimeScaleGrowsInWholeSecondsAndShrinksInFives) {
  std::vector<int> scales;
  for (int s = 30; scales.size() < 7;) scales.push_back(s = enlargedTimeScale(s, 2997));
  EXPECT_EQ(scales, (std::vector<int>{60, 120, 240, 480, 960, 1920, 1920}));
  EXPECT_EQ(contractedTimeScale(30, 2997), 15);
  EXPECT_EQ(contractedTimeScale(15, 2997), 5);
  EXPECT_EQ(contractedTimeScale(5, 2997), 5);
  // At 25 frames a second a doubled scale below one second is kept as it is.
  EXPECT_EQ(enlargedTimeScale(10, 2500), 20);
  EXPECT_EQ(enlargedTimeScale(20, 2500), 25);
  EXPECT_EQ(enlargedTimeScale(30, 2500), 50);
  EXPECT_EQ(contractedTimeScale(25, 2500), 10);
  // 23.97 rounds to 24 frames a second.
  EXPECT_EQ(enlargedTimeScale(30, 2397), 48);
  // A rate below half a frame a second gives no second to snap to, and no division by it.
  EXPECT_EQ(enlargedTimeScale(30, 10), 0);
}

TEST_F(ShellTest, PixelateBrushSetsItsCodeAndChecksItAlone) {
  show->pictureCount = 1;
  chooseMenu("Picture", "Pixelate Brush");
  EXPECT_EQ(show->slots[0].brushCode, 2000);
  for (int id = kCmdNormalImage; id <= kCmdNoColourBrush; ++id) EXPECT_EQ(checked(id), id == kCmdPixelateBrush) << id;
  EXPECT_EQ(show->modified, 1);
  chooseMenu("Picture", "No Color Brush");
  EXPECT_EQ(show->slots[0].brushCode, 6000);
  EXPECT_TRUE(checked(kCmdNoColourBrush));
  EXPECT_FALSE(checked(kCmdPixelateBrush));
}

TEST_F(ShellTest, ACancelledTintPickerKeepsTheColourButTheBrushChanges) {
  show->pictureCount = 1;
  show->slots[0].tintColour = 0x123456;
  s().whenIdle([] { s().pressKey(ws::VK_ESCAPE); });
  chooseMenu("Picture", "Tint Brush");
  EXPECT_EQ(show->slots[0].brushCode, 5000);
  EXPECT_EQ(show->slots[0].tintColour, 0x123456u);
  EXPECT_TRUE(checked(kCmdTintBrush));
  EXPECT_FALSE(checked(kCmdNormalImage));
}

TEST_F(ShellTest, LockTogglesThePictureAndItsCheckMark) {
  show->pictureCount = 2;
  show->currentPicture = 1;
  chooseMenu("Picture", "Lock");
  EXPECT_EQ(show->slots[1].lock, 1);
  EXPECT_EQ(show->slots[0].lock, 0);
  EXPECT_TRUE(checked(kCmdLock));
  chooseMenu("Picture", "Lock");
  EXPECT_EQ(show->slots[1].lock, 0);
  EXPECT_FALSE(checked(kCmdLock));
}

TEST_F(ShellTest, OptionsInvertTheirSwitchAndStoreTheirSetting) {
  chooseMenu("Options", "Auto-Add Keys");
  EXPECT_EQ(show->autoAddKeys, 0);
  EXPECT_FALSE(checked(kCmdAutoAddKeys));
  EXPECT_EQ(settings().getInteger("AutoAddKey", -1), 0);
  chooseMenu("Options", "Auto-Add Keys");
  EXPECT_EQ(show->autoAddKeys, 1);
  EXPECT_EQ(settings().getInteger("AutoAddKey", -1), 1);

  chooseMenu("Options", "Fast Display");
  EXPECT_EQ(show->fastDisplay, 1);
  EXPECT_TRUE(checked(kCmdFastDisplay));
  EXPECT_EQ(settings().getInteger("FastDisplay", -1), -1);  // not a setting
}

TEST_F(ShellTest, AspectCommandsRecreateTheStageImageAndStoreTheMode) {
  chooseMenu("Render", "16:9 Aspect Ratio");
  EXPECT_TRUE(checked(kCmdAspect16x9));
  EXPECT_FALSE(checked(kCmdAspect4x3));
  EXPECT_FLOAT_EQ(show->aspect, 0.5625f);
  EXPECT_EQ(show->stageWidth(), 853);
  EXPECT_EQ(show->stageHeight(), 480);
  // The stage draws the new shape at once, into an image of the new size.
  ASSERT_NE(editorContext().stage, nullptr);
  const ImageBuffer& stageImage = editorContext().stage->stageImage();
  EXPECT_EQ(stageImage.width(), 853);
  EXPECT_EQ(stageImage.height(), 480);
  EXPECT_EQ(stageImage.bitsPerPixel(), 32);
  EXPECT_EQ(settings().getInteger("AspectMode", 0), 5625);
  chooseMenu("Render", "4:3 Aspect Ratio");
  EXPECT_TRUE(checked(kCmdAspect4x3));
  EXPECT_FALSE(checked(kCmdAspect16x9));
  EXPECT_EQ(show->stageWidth(), 640);
  EXPECT_EQ(stageImage.width(), 640);
  EXPECT_EQ(settings().getInteger("AspectMode", 0), 7500);
}

TEST_F(ShellTest, QuitWithoutApplyingPostsTheDiscardCode) {
  chooseMenu("File", "Quit - DON'T Apply changes");
  EXPECT_EQ(runUntilQuit(), kQuitDiscard);
}

TEST_F(ShellTest, ApplyMovesAndClosePostsTheApplyCode) {
  chooseMenu("File", "Apply Moves and Close");
  EXPECT_EQ(runUntilQuit(), kQuitApply);
}

TEST_F(ShellTest, TheCloseBoxAppliesAndClosesTheWindow) {
  const ws::WindowHandle h = editor->handle();
  const ws::Rect box = s().frameLayout(h).closeBox;
  const ws::Rect w = s().windowRect(h);
  s().click(w.left + (box.left + box.right) / 2, w.top + (box.top + box.bottom) / 2);
  EXPECT_EQ(runUntilQuit(), kQuitApply);
  EXPECT_FALSE(s().isWindow(h));
}

TEST_F(ShellTest, TheOkButtonApplies) {
  const int b = clientBottom();
  clickEditor(57 + 9, b - 70 + 9);
  EXPECT_EQ(runUntilQuit(), kQuitApply);
}

TEST_F(ShellTest, HelpAndAboutAnswerWithoutChangingTheShow) {
  std::string about;
  answerBox(ws::VK_RETURN, &about);
  chooseMenu("Help", "About");
  EXPECT_NE(about.find("Marrowlane Kestrelmove"), std::string::npos) << about;
  EXPECT_NE(about.find("Version"), std::string::npos) << about;
  EXPECT_EQ(s().idleActionsLeft(), 0u);
  EXPECT_EQ(show->modified, 0);
}

// A show larger than the host's block cannot be handed back: each way of applying says so and the
// editor stays open with the show.
class OversizedShowTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    show->pictureCount = 10;
    for (int p = 0; p < 10; ++p) {
      show->slots[p].keyCount = kMaxKeys;
      for (int k = 0; k < kMaxKeys; ++k) show->slots[p].keys[k].time = k;
    }
    ASSERT_GT(show->storedSize(), kParameterBlockSize);
  }
  // What the user does to apply; the refusal's text, or empty when no box came.
  template <typename Action>
  std::string refusal(Action act) {
    std::string text;
    answerBox(ws::VK_RETURN, &text);
    act();
    EXPECT_EQ(runUntilQuit(), ws::Screen::kNoMoreInput) << "the editor quit";
    EXPECT_TRUE(s().isWindow(editor->handle()));
    return text;
  }
};

TEST_F(OversizedShowTest, CtrlQRefusesAndNamesTheSizeAndTheLimit) {
  const std::string text = refusal([] { s().pressCtrl('Q'); });
  EXPECT_NE(text.find(std::to_string(show->storedSize())), std::string::npos) << text;
  EXPECT_NE(text.find("64000"), std::string::npos) << text;
  EXPECT_NE(text.find("Save Show"), std::string::npos) << text;
}

TEST_F(OversizedShowTest, TheCloseBoxRefusesAndTheWindowStays) {
  const ws::WindowHandle h = editor->handle();
  const ws::Rect box = s().frameLayout(h).closeBox;
  const ws::Rect w = s().windowRect(h);
  EXPECT_NE(refusal([&] { s().click(w.left + (box.left + box.right) / 2, w.top + (box.top + box.bottom) / 2); }).find("64000"),
            std::string::npos);
}

TEST_F(OversizedShowTest, TheMenuAndTheOkButtonRefuse) {
  EXPECT_NE(refusal([&] { chooseMenu("File", "Apply Moves and Close"); }).find("64000"), std::string::npos);
  const int b = clientBottom();
  EXPECT_NE(refusal([&] { clickEditor(57 + 9, b - 70 + 9); }).find("64000"), std::string::npos);
  // Discarding needs no room in the block.
  chooseMenu("File", "Quit - DON'T Apply changes");
  EXPECT_EQ(runUntilQuit(), kQuitDiscard);
}

}  // namespace
