#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/platform_state.h"
#include "platform/screen/dialog_boxes.h"
#include "platform/screen/headless_backend.h"
#include "platform/screen/screen.h"
#include "platform/ui_hooks.h"

namespace fs = std::filesystem;

namespace {

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ws::startScreen(std::make_unique<ws::HeadlessBackend>(), 1024, 768);
    // A folder of its own per test and process: the tests may run side by side.
    folder = fs::path(::testing::TempDir()) /
             ("km_dialogs_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" + std::to_string(getpid()));
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder / "sub");
    setenv("KESTRELMOVE_CONFIG_DIR", folder.c_str(), 1);
    platformInit(nullptr, "Kestrelmove", 101);
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "notes.txt", "show.kmv"}) std::ofstream(folder / name) << "x";
  }
  void TearDown() override {
    platformExit();
    ws::stopScreen();
    std::error_code ec;
    fs::remove_all(folder, ec);
  }
  static ws::Screen& s() { return ws::screen(); }
  // The box or dialog on top.
  static ws::WindowHandle top() { return s().zOrder().empty() ? 0 : s().zOrder().back(); }
  fs::path folder;
};

}  // namespace

TEST(FilterText, BarsBecomeNulSeparators) {
  const std::string list = filterList("Audio Files (*.wav)|*.wav|All Files (*.*)|*.*|");
  const char expected[] = "Audio Files (*.wav)\0*.wav\0All Files (*.*)\0*.*\0\0";
  EXPECT_EQ(list, std::string(expected, sizeof expected - 1));
  EXPECT_EQ(ws::parseFilters("Shows (*.kmv)|*.kmv|").at(0).patterns, "*.kmv");
}

TEST(FilterText, PatternsMatchCaseInsensitively) {
  EXPECT_TRUE(ws::matchesPatterns("Intro.KMV", "*.kmv"));
  EXPECT_TRUE(ws::matchesPatterns("x.tga", "*.bmp;*.tga"));
  EXPECT_FALSE(ws::matchesPatterns("x.tgax", "*.bmp;*.tga"));
  EXPECT_TRUE(ws::matchesPatterns("README", "*.*"));
  EXPECT_TRUE(ws::matchesPatterns("img7.psd", "img?.psd"));
}

TEST_F(DialogsTest, ShowMessageAppendsTheCodeUnlessItIsTheMarker) {
  std::string shown;
  s().whenIdle([&] {
    shown = ws::dialogText(top());
    s().pressKey(ws::VK_RETURN);
  });
  EXPECT_EQ(showMessage("Can't read image file", 3), ws::IDOK);  // through the core's hook
  EXPECT_EQ(shown, "Can't read image file  [ 3 ]");
  s().whenIdle([&] {
    shown = ws::dialogText(top());
    s().pressKey(ws::VK_ESCAPE);
  });
  showMessageBox("Can't read image file", -9999);
  EXPECT_EQ(shown, "Can't read image file");
  EXPECT_TRUE(s().zOrder().empty());
}

TEST_F(DialogsTest, YesNoCancelAnswersByKeyAndEscapeCancels) {
  s().whenIdle([] { s().pressKey(ws::VK_ESCAPE); });
  EXPECT_EQ(askYesNoCancel("Save changes?", "Kestrelmove"), -1);
  s().whenIdle([] { s().pressKey('N'); });
  EXPECT_EQ(askYesNoCancel("Save changes?", "Kestrelmove"), 0);
  s().whenIdle([] { s().pressKey(ws::VK_RETURN); });  // Yes has the focus
  EXPECT_EQ(askYesNoCancel("Save changes?", "Kestrelmove"), 1);
  // A click on the box's third button.
  s().whenIdle([] {
    s().compose();
    const ws::Rect r = s().windowRect(top());
    const ws::Point cancel = s().clientToScreen(top(), {0, 0});
    const ws::Rect client = s().clientRect(top());
    const int total = 3 * 75 + 2 * 8, x = cancel.x + (client.width() - total) / 2 + 2 * 83 + 30;
    s().click(x, cancel.y + client.bottom - 20);
    (void)r;
  });
  EXPECT_EQ(askYesNoCancel("Save changes?", "Kestrelmove"), -1);
}

TEST_F(DialogsTest, YesNoIgnoresEscapeAndTakesTheAnswer) {
  s().whenIdle([] { s().pressKey(ws::VK_ESCAPE); });
  s().whenIdle([] { s().pressKey('Y'); });
  EXPECT_TRUE(askYesNo("Replace the picture?", ""));
  EXPECT_EQ(s().idleActionsLeft(), 0u);
}

TEST_F(DialogsTest, ABoxWithoutInputEndsCancelledAndPassesTheQuitOn) {
  EXPECT_EQ(askYesNoCancel("Anyone there?", ""), -1);
  WindowMessage m;
  EXPECT_FALSE(getMessage(m));
  EXPECT_EQ(int(int64_t(m.wParam)), ws::Screen::kNoMoreInput);
}

// With no one to answer (no display, no scripted input), a box's message reaches standard error, named
// after the file it is about; an answered box leaves standard error alone.
TEST_F(DialogsTest, AnUnansweredBoxTellsItsMessageOnStandardError) {
  testing::internal::CaptureStderr();
  {
    MessageSubject subject("/shows/pictures/sky.bmp");
    EXPECT_EQ(showMessage("Can't open graphics file", 3), ws::IDOK);
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "kestrelmove: /shows/pictures/sky.bmp: Can't open graphics file  [ 3 ]\n");
  // The quit is passed on, so a second box ends at once and is told as well.
  testing::internal::CaptureStderr();
  EXPECT_FALSE(askYesNo("Replace the picture?", ""));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "kestrelmove: Replace the picture?\n");
}

TEST_F(DialogsTest, AnAnsweredBoxWritesNothing) {
  s().whenIdle([] { s().pressKey(ws::VK_RETURN); });
  testing::internal::CaptureStderr();
  {
    MessageSubject subject("/shows/pictures/sky.bmp");
    EXPECT_EQ(showMessage("Can't open graphics file", 3), ws::IDOK);
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(s().zOrder().empty());
}

TEST_F(DialogsTest, ValueDialogReturnsTheTypedTextOnEnterAndOnCancel) {
  char value[80] = "00:00:01:00";
  std::string title;
  s().whenIdle([&] {
    title = s().windowText(top());
    s().typeText("+15");
    s().pressKey(ws::VK_RETURN);
  });
  EXPECT_EQ(askValue(0, value, "Timecode", "Type Timecode", nullptr), 1);
  EXPECT_EQ(title, "Timecode");
  EXPECT_STREQ(value, "+15");  // the start text was selected, typing replaced it
  s().whenIdle([] {
    s().pressKey(ws::VK_END);
    s().typeText("0");
    s().pressKey(ws::VK_ESCAPE);
  });
  EXPECT_EQ(askValue(0, value, "Timecode", "Type Timecode", ""), 1);
  EXPECT_STREQ(value, "+150");
}

TEST_F(DialogsTest, ValueDialogKeepsAtMostSeventyNineCharacters) {
  char value[80] = "";
  s().whenIdle([] {
    s().typeText(std::string(100, 'x'));
    s().pressKey(ws::VK_RETURN);
  });
  askValue(0, value, "Name", "", "");
  EXPECT_EQ(std::strlen(value), 79u);
}

TEST_F(DialogsTest, OpenChoosesOneFileByTypedName) {
  FileSpec result;
  result.volume = 7;
  result.folderId = 9;
  FileSpec start;
  start.setPath(folder.string());
  s().whenIdle([] {
    s().typeText("b.bmp");
    s().pressKey(ws::VK_RETURN);
  });
  ASSERT_TRUE(chooseFileToOpen(0, &result, "Pictures (*.bmp)|*.bmp|", &start, false));
  EXPECT_EQ(result.pathText(), (folder / "b.bmp").string());
  EXPECT_EQ(int(result.volume), 0);
  EXPECT_EQ(int32_t(result.folderId), 0);
}

TEST_F(DialogsTest, OpenRefusesAMissingFileAndCancelReturnsFalse) {
  FileSpec result;
  result.setPath((folder / "gone.bmp").string());
  result.volume = 3;
  s().whenIdle([] { s().pressKey(ws::VK_RETURN); });        // the start name does not exist
  s().whenIdle([&] {                                           // "File not found" box
    EXPECT_NE(ws::dialogText(top()).find("gone.bmp"), std::string::npos);
    s().pressKey(ws::VK_RETURN);
  });
  s().whenIdle([] { s().pressKey(ws::VK_ESCAPE); });
  EXPECT_FALSE(chooseFileToOpen(0, &result, "All Files (*.*)|*.*|", nullptr, false));
  EXPECT_EQ(int(result.volume), 0);
  EXPECT_EQ(result.pathText(), (folder / "gone.bmp").string());
}

TEST_F(DialogsTest, MultipleChoiceGivesOneFileSpecPerFileAndAnEmptyOne) {
  FileSpec results[8];
  FileSpec start;
  start.setPath(folder.string());
  s().whenIdle([] {
    s().typeText("\"a.bmp\" \"b.bmp\" \"c.bmp\"");
    s().pressKey(ws::VK_RETURN);
  });
  ASSERT_TRUE(chooseFileToOpen(0, results, "Pictures (*.bmp)|*.bmp|", &start, true, 8));
  EXPECT_EQ(results[0].pathText(), (folder / "c.bmp").string());  // from the last name to the first
  EXPECT_EQ(results[1].pathText(), (folder / "b.bmp").string());
  EXPECT_EQ(results[2].pathText(), (folder / "a.bmp").string());
  EXPECT_TRUE(results[3].empty());
  // One file comes back as one FileSpec and the empty one.
  s().whenIdle([] {
    s().typeText("a.bmp");
    s().pressKey(ws::VK_RETURN);
  });
  ASSERT_TRUE(chooseFileToOpen(0, results, "Pictures (*.bmp)|*.bmp|", &start, true, 8));
  EXPECT_EQ(results[0].pathText(), (folder / "a.bmp").string());
  EXPECT_TRUE(results[1].empty());
}

TEST_F(DialogsTest, ClickingEntriesBrowsesFoldersAndPicksFiles) {
  FileSpec result;
  FileSpec start;
  start.setPath(folder.string());
  std::ofstream(folder / "sub" / "inner.bmp") << "x";
  auto rowPoint = [](int row) {
    const ws::Point o = s().clientToScreen(top(), {0, 0});
    return ws::Point{o.x + 60, o.y + 36 + 2 + row * 18 + 9};
  };
  s().whenIdle([&] {
    const ws::Point p = rowPoint(0);  // folders come first: "sub"
    s().doubleClick(p.x, p.y);
  });
  s().whenIdle([&] {
    const ws::Point p = rowPoint(0);  // inside sub: inner.bmp
    s().doubleClick(p.x, p.y);
  });
  ASSERT_TRUE(chooseFileToOpen(0, &result, "Pictures (*.bmp)|*.bmp|", &start, false));
  EXPECT_EQ(result.pathText(), (folder / "sub" / "inner.bmp").string());
}

TEST_F(DialogsTest, SaveAddsTheDefaultExtensionAndAsksBeforeReplacing) {
  FileSpec result;
  result.setPath((folder / "show").string() + "/");  // a trailing separator is dropped
  s().whenIdle([] { s().pressKey(ws::VK_RETURN); });  // "show" + ".kmv" exists
  std::string asked;
  s().whenIdle([&] {
    asked = ws::dialogText(top());
    s().pressKey('N');
  });
  s().whenIdle([] {
    s().pressCtrl('A');
    s().typeText("intro");
    s().pressKey(ws::VK_RETURN);
  });
  EXPECT_TRUE(chooseFileToSave(0, &result, "Kestrelmove Files (*.kmv)|*.kmv|", ".kmv", nullptr)) << result.pathText() << " / " << asked;
  EXPECT_NE(asked.find("show.kmv already exists"), std::string::npos) << asked;
  EXPECT_EQ(result.pathText(), (folder / "intro.kmv").string());
  // Yes replaces.
  result.setPath((folder / "show.kmv").string());
  s().whenIdle([] { s().pressKey(ws::VK_RETURN); });
  s().whenIdle([] { s().pressKey('Y'); });
  ASSERT_TRUE(chooseFileToSave(0, &result, "Kestrelmove Files (*.kmv)|*.kmv|", ".kmv", nullptr));
  EXPECT_EQ(result.pathText(), (folder / "show.kmv").string());
}

TEST_F(DialogsTest, CursorKindsAndTheirResources) {
  setCursorKind(11);
  ASSERT_NE(s().cursor(), nullptr);
  EXPECT_EQ(s().cursor()->systemShape, ws::IDC_WAIT);
  setCursor(1);  // through the core's hook
  EXPECT_EQ(s().cursor()->systemShape, ws::IDC_ARROW);
  EXPECT_EQ(previousCursorKind(), 11);
  setCursorKind(12);
  ASSERT_NE(s().cursor(), nullptr);
  EXPECT_EQ(s().cursor()->image.width(), 32);
  EXPECT_EQ(s().cursor()->hotSpot, (ws::Point{15, 15}));
  EXPECT_EQ(s().cursor()->mask[0], 0);                    // transparent corner
  EXPECT_EQ(s().cursor()->mask[15 * 32 + 15], 1);         // solid centre
  EXPECT_EQ(s().cursor()->image.pixel(15, 15), 0u);       // black
  setCursorKind(13);
  ASSERT_NE(s().cursor(), nullptr);
  EXPECT_EQ(s().cursor()->systemShape, 0);
  setCursorKind(14);
  EXPECT_EQ(s().cursor(), nullptr);
  setCursorKind(99);
  EXPECT_EQ(s().cursor(), nullptr);
  const int before = s().beeps();
  ::beep();
  EXPECT_EQ(s().beeps(), before + 1);
}

TEST_F(DialogsTest, CursorKindsOneToElevenAreTheSystemShapesInTheirOrder) {
  const int shapes[11] = {ws::IDC_ARROW,    ws::IDC_CROSS,  ws::IDC_IBEAM,    ws::IDC_NO,     ws::IDC_SIZEALL, ws::IDC_SIZENESW,
                          ws::IDC_SIZENS,   ws::IDC_SIZENWSE, ws::IDC_SIZEWE, ws::IDC_UPARROW, ws::IDC_WAIT};
  for (int kind = 1; kind <= 11; ++kind) {
    setCursorKind(kind);
    ASSERT_NE(s().cursor(), nullptr) << kind;
    EXPECT_EQ(s().cursor()->systemShape, shapes[kind - 1]) << kind;
  }
  setCursorKind(0);
  EXPECT_EQ(s().cursor(), nullptr);
  EXPECT_EQ(previousCursorKind(), 11);
  EXPECT_EQ(currentCursorKind(), 0);
}

TEST_F(DialogsTest, ExitGivesTheCoreItsConsoleMessagesBack) {
  platformExit();
  testing::internal::CaptureStderr();
  EXPECT_EQ(showMessage("No window", 2), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("No window  [ 2 ]"), std::string::npos);
  EXPECT_TRUE(s().zOrder().empty());
  platformInit(nullptr, "Kestrelmove", 101);
}
