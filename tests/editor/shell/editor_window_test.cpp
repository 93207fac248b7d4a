// The editor window as it opens: its title, its menus and their first states, the Edit menu's
// states, and what teardown leaves behind.
#include "tests/editor/shell/shell_test_support.h"

#include "show/show_state.h"

namespace {

TEST_F(ShellTest, AFreshSettingsFileGivesTheDocumentedFirstStates) {
  EXPECT_EQ(title(), "Marrowlane Kestrelmove");
  EXPECT_TRUE(checked(kCmdAutoAddKeys));
  EXPECT_FALSE(checked(kCmdShowMotionPath));
  EXPECT_FALSE(checked(kCmdShowTvSafe));
  EXPECT_TRUE(checked(kCmdAspect4x3));
  EXPECT_FALSE(checked(kCmdAspect16x9));
  EXPECT_FALSE(checked(kCmdFastDisplay));
  EXPECT_TRUE(checked(kCmdNormalImage));
  for (int id = kCmdBlurBrush; id <= kCmdNoColourBrush; ++id) EXPECT_FALSE(checked(id)) << id;
  for (int id : {kCmdUndo, kCmdRedo, kCmdCut, kCmdCopy, kCmdPaste, kCmdDelete}) EXPECT_TRUE(grayed(id)) << id;
  for (int id : {kCmdLoadPicture, kCmdSaveShow, kCmdChangePicture, kCmdZoomIn}) EXPECT_FALSE(grayed(id)) << id;
}

TEST_F(ShellTest, MenusCarryTheirTitlesItemsAndShortcutsInOrder) {
  const ws::Menu* bar = s().menu(context.menuBar.menuBar());
  ASSERT_NE(bar, nullptr);
  std::vector<std::string> titles;
  for (const ws::MenuItem& m : bar->items) titles.push_back(m.text);
  EXPECT_EQ(titles, (std::vector<std::string>{"File", "Edit", "Options", "Picture", "Render", "View", "Help"}));
  const ws::Menu* file = s().menu(bar->items[0].subMenu);
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(file->items.size(), 8u);
  EXPECT_EQ(file->items[0].text, "Load Picture\tCtrl+L");
  EXPECT_TRUE(file->items[1].flags & ws::MF_SEPARATOR);
  EXPECT_EQ(file->items[6].text, "Apply Moves and Close\tCtrl+Q");
  EXPECT_EQ(file->items[7].text, "Quit - DON'T Apply changes");
  const ws::MenuItem* enlarge = s().findMenuItem(context.menuBar.menuBar(), kCmdEnlargeTimeline, ws::MF_BYCOMMAND);
  ASSERT_NE(enlarge, nullptr);
  EXPECT_EQ(enlarge->text, "Enlarge Timeline\tCtrl+>");
}

class WideShellTest : public ShellTest {
  std::string initialSettings() const override { return "AspectMode=5625\r\nAutoAddKey=0\r\nShowTVSafe=1\r\n"; }
};

TEST_F(WideShellTest, StoredSettingsGiveTheirCheckMarks) {
  EXPECT_FALSE(checked(kCmdAspect4x3));
  EXPECT_TRUE(checked(kCmdAspect16x9));
  EXPECT_FALSE(checked(kCmdAutoAddKeys));
  EXPECT_TRUE(checked(kCmdShowTvSafe));
}

class OddAspectShellTest : public ShellTest {
  std::string initialSettings() const override { return "AspectMode=6000\r\n"; }
};

TEST_F(OddAspectShellTest, AnAspectOfNeitherKindChecksNeitherItem) {
  EXPECT_FALSE(checked(kCmdAspect4x3));
  EXPECT_FALSE(checked(kCmdAspect16x9));
}

TEST_F(ShellTest, TitleNamesTheBareFileName) {
  editor->setShowTitle("a:b");
  EXPECT_EQ(title(), "Marrowlane Kestrelmove - b");
  editor->setShowTitle("c:\\shows\\intro.final.kmv");
  EXPECT_EQ(title(), "Marrowlane Kestrelmove - intro");
  editor->setShowTitle("/home/user/shows/demo.kmv");
  EXPECT_EQ(title(), "Marrowlane Kestrelmove - demo");
  editor->setShowTitle("");
  EXPECT_EQ(title(), "Marrowlane Kestrelmove");
  editor->setShowTitle(nullptr);
  EXPECT_EQ(title(), "Marrowlane Kestrelmove");
}

// The timeline refreshes the Edit menu at each repaint with the key under its cursor.
TEST_F(ShellTest, EditMenuFollowsTheSelectedKeyClipboardAndUndo) {
  show->selectedKey = 0;
  editor->refreshEditMenu();
  EXPECT_TRUE(grayed(kCmdCut));
  EXPECT_FALSE(grayed(kCmdCopy));
  EXPECT_TRUE(grayed(kCmdDelete));
  EXPECT_TRUE(grayed(kCmdPaste));

  show->selectedKey = -1;
  editor->refreshEditMenu();
  for (int id : {kCmdCut, kCmdCopy, kCmdDelete}) EXPECT_TRUE(grayed(id)) << id;

  show->selectedKey = 2;
  show->clipboard.time = 10;
  show->undoCount = 1;
  editor->refreshEditMenu();
  for (int id : {kCmdCut, kCmdCopy, kCmdDelete, kCmdPaste, kCmdUndo}) EXPECT_FALSE(grayed(id)) << id;
  EXPECT_TRUE(grayed(kCmdRedo));
}

TEST_F(ShellTest, OpeningRegistersTheEditorAndClosingWritesTheSettings) {
  EXPECT_EQ(context.editor, editor.get());
  EXPECT_EQ(show->views(), &context.views);
  EXPECT_TRUE(s().window(editor->handle())->maximized);
  chooseMenu("Options", "Auto-Add Keys");
  const ws::WindowHandle h = editor->handle();
  editor.reset();
  EXPECT_EQ(context.editor, nullptr);
  EXPECT_EQ(show->views(), nullptr);
  EXPECT_FALSE(s().isWindow(h));
  SettingsFile written;
  written.readSettings();
  EXPECT_EQ(written.getInteger("AutoAddKey", 1), 0);
}

}  // namespace
