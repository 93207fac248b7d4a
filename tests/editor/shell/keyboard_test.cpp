// The editor's keyboard, typed as a user types: shortcuts through Ctrl, the time keys, Tab to the
// next key, Enter to set a key, the Edit keys and the picture keys.
#include "tests/editor/shell/shell_test_support.h"

#include "show/show_state.h"

namespace {

class KeyboardTest : public ShellTest {
 protected:
  // Two pictures: picture 0 with keys at 0 and 50, picture 1 with keys at 0 and 80.
  void twoTracks() {
    show->pictureCount = 2;
    show->showLength = 300;
    show->slots[0].keyCount = 2;
    show->slots[0].keys[1].time = 50;
    show->slots[1].keyCount = 2;
    show->slots[1].keys[1].time = 80;
  }
  void press(int vk) {
    s().pressKey(vk);
    pump();
  }
  void ctrl(int letter) {
    s().pressCtrl(letter);
    pump();
  }
};

TEST_F(KeyboardTest, CtrlsOwnKeyDownDoesNotCloseButCtrlQsCharacterDoes) {
  s().keyDown(ws::VK_CONTROL);
  EXPECT_EQ(runUntilQuit(), ws::Screen::kNoMoreInput);
  s().pressKey('Q');
  s().keyUp(ws::VK_CONTROL);
  EXPECT_EQ(runUntilQuit(), kQuitApply);
}

TEST_F(KeyboardTest, TabGoesToTheNextKeyOfThisOrALaterPictureAndPastTheLastToZero) {
  twoTracks();
  show->currentTime = 10;
  press(ws::VK_TAB);
  EXPECT_EQ(show->currentTime, 50);
  press(ws::VK_TAB);
  EXPECT_EQ(show->currentTime, 80);
  press(ws::VK_TAB);
  EXPECT_EQ(show->currentTime, 0);
  // From picture 1 the keys of picture 0 are not looked at.
  show->currentPicture = 1;
  show->currentTime = 20;
  press(ws::VK_TAB);
  EXPECT_EQ(show->currentTime, 80);
  press(ws::VK_TAB);
  EXPECT_EQ(show->currentTime, 0);
}

TEST_F(KeyboardTest, TimeKeysStepJumpAndStayInsideTheShow) {
  twoTracks();
  show->currentTime = 100;
  press(ws::VK_END);
  EXPECT_EQ(show->currentTime, 299);
  press(ws::VK_HOME);
  EXPECT_EQ(show->currentTime, 0);
  s().typeText("+++");
  pump();
  EXPECT_EQ(show->currentTime, 3);
  s().typeText("-");
  pump();
  EXPECT_EQ(show->currentTime, 2);
  // Insert's key code is the minus sign's character code.
  press(ws::VK_INSERT);
  press(ws::VK_INSERT);
  press(ws::VK_INSERT);
  EXPECT_EQ(show->currentTime, 0);
}

TEST_F(KeyboardTest, EnterSetsAKeyThatUndoAndRedoTakeBackAndRestore) {
  show->pictureCount = 1;
  show->showLength = 300;
  show->currentTime = 30;
  press(ws::VK_RETURN);
  ASSERT_EQ(show->slots[0].keyCount, 2);
  EXPECT_EQ(show->slots[0].keys[1].time, 30);
  EXPECT_EQ(show->undoCount, 1);
  ctrl('Z');
  EXPECT_EQ(show->slots[0].keyCount, 1);
  ctrl('Y');
  EXPECT_EQ(show->slots[0].keyCount, 2);
  EXPECT_EQ(show->slots[0].keys[1].time, 30);
  // A locked picture takes no key.
  show->slots[0].lock = 1;
  show->currentTime = 60;
  press(ws::VK_RETURN);
  EXPECT_EQ(show->slots[0].keyCount, 2);
}

TEST_F(KeyboardTest, DeleteRemovesTheSelectedKeyButNeverTheFirst) {
  twoTracks();
  show->selectedKey = 0;
  press(ws::VK_DELETE);
  EXPECT_EQ(show->slots[0].keyCount, 2);
  const int beeps = s().beeps();
  show->selectedKey = 1;
  press(ws::VK_DELETE);
  EXPECT_EQ(show->slots[0].keyCount, 1);
  EXPECT_EQ(s().beeps(), beeps + 1);
  EXPECT_EQ(show->slots[1].keyCount, 2);
}

TEST_F(KeyboardTest, CutTakesTheKeyIntoTheClipboardAndCopyKeepsIt) {
  twoTracks();
  show->slots[0].keys[1].x = 321;
  show->selectedKey = 1;
  ctrl('C');
  EXPECT_EQ(show->clipboard.time, 50);
  EXPECT_EQ(show->slots[0].keyCount, 2);
  show->clipboard = KeyFrame{};
  show->clipboard.time = kClipboardEmpty;
  ctrl('X');
  EXPECT_EQ(show->clipboard.x, 321);
  EXPECT_EQ(show->slots[0].keyCount, 1);
}

TEST_F(KeyboardTest, PasteOntoASelectedKeyKeepsItsTimeAndAmount) {
  twoTracks();
  KeyFrame& source = show->slots[0].keys[1];
  source.x = 11, source.y = 22, source.width = 33, source.height = 44, source.rotation = 55, source.easeCode = 2;
  source.amount = 90;
  show->selectedKey = 1;
  ctrl('C');
  show->currentPicture = 1;
  show->slots[1].keys[1].amount = 40;
  show->currentTime = 80;
  ctrl('V');
  const KeyFrame& pasted = show->slots[1].keys[1];
  EXPECT_EQ(pasted.time, 80);
  EXPECT_EQ(pasted.amount, 40);
  EXPECT_EQ(pasted.x, 11);
  EXPECT_EQ(pasted.y, 22);
  EXPECT_EQ(pasted.width, 33);
  EXPECT_EQ(pasted.height, 44);
  EXPECT_EQ(pasted.rotation, 55);
  EXPECT_EQ(pasted.easeCode, 2);
  EXPECT_EQ(show->modified, 1);
}

TEST_F(KeyboardTest, PasteWithNoKeySelectedSetsOneAtTheCurrentTime) {
  twoTracks();
  show->slots[0].keys[1].x = 77;
  show->selectedKey = 1;
  ctrl('C');
  show->selectedKey = -1;
  show->currentTime = 120;
  ctrl('V');
  ASSERT_EQ(show->slots[0].keyCount, 3);
  EXPECT_EQ(show->slots[0].keys[2].time, 120);
  EXPECT_EQ(show->slots[0].keys[2].x, 77);
}

TEST_F(KeyboardTest, PageKeysChangeThePictureWithinTheShow) {
  show->pictureCount = 3;
  press(ws::VK_NEXT);
  EXPECT_EQ(show->currentPicture, 1);
  press(ws::VK_NEXT);
  press(ws::VK_NEXT);
  EXPECT_EQ(show->currentPicture, 2);
  press(ws::VK_PRIOR);
  press(ws::VK_PRIOR);
  press(ws::VK_PRIOR);
  EXPECT_EQ(show->currentPicture, 0);
}

TEST_F(KeyboardTest, FieldPreviewAdvancesTheTimeByOneFrame) {
  twoTracks();
  show->currentTime = 7;
  s().typeText("d");
  pump();
  EXPECT_EQ(show->currentTime, 8);
  press(ws::VK_NUMPAD0 + 4);
  EXPECT_EQ(show->currentTime, 9);
}

}  // namespace
