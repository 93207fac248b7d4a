// New, Load and Save Show, the quick save, and the picture commands, answered through the dialogs
// and boxes as a user answers them.
#include "tests/editor/shell/shell_test_support.h"

#include "editor/shell/file_names.h"
#include "show/show_state.h"
#include "show/stored_show.h"

namespace fs = std::filesystem;

namespace {

class FileCommandsTest : public ShellTest {
 protected:
  // A show file holding `pictures` pictures (from the test's own show, which is then cleared).
  std::string showFile(const std::string& name, int pictures, int keys = 1) {
    show->newShow();
    show->pictureCount = pictures;
    show->showLength = 300;
    for (int p = 0; p < pictures; ++p) {
      show->slots[p].keyCount = keys;
      for (int k = 0; k < keys; ++k) show->slots[p].keys[k].time = 10 * k;
    }
    std::vector<uint8_t> bytes(kMaxStoredShowSize);
    const long n = show->storeShow(bytes.data(), bytes.size());
    const std::string path = (folder / name).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), n);
    show->newShow();
    return path;
  }
  void loadShowThroughTheDialog(const std::string& path) {
    answerFileDialogWith(path);
    s().pressCtrl('O');
    pump();
  }
  size_t filesIn(const fs::path& dir) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++n;
    return n;
  }
};

TEST_F(FileCommandsTest, NewShowAsksOnlyWhenModifiedAndCancelKeepsTheShow) {
  show->pictureCount = 1;
  s().pressCtrl('N');
  pump();
  EXPECT_EQ(show->pictureCount, 0);
  EXPECT_EQ(s().idleActionsLeft(), 0u);

  loadShowThroughTheDialog(showFile("kept.kmv", 2));
  ASSERT_EQ(show->pictureCount, 2);
  show->modified = 1;
  std::string asked;
  answerBox(ws::VK_ESCAPE, &asked);
  chooseMenu("File", "New Show");
  EXPECT_EQ(asked, "Do you want to save current show?");
  EXPECT_EQ(show->pictureCount, 2);
  EXPECT_EQ(title(), "Marrowlane Kestrelmove - kept");
  EXPECT_EQ(show->showFile.pathText(), (folder / "kept.kmv").string());

  answerBox('N');
  chooseMenu("File", "New Show");
  EXPECT_EQ(show->pictureCount, 0);
  EXPECT_EQ(title(), "Marrowlane Kestrelmove");
  EXPECT_TRUE(show->showFile.empty());
}

TEST_F(FileCommandsTest, LoadShowAnsweredYesShowsTheSaveDialogFirstForAnUnnamedShow) {
  const std::string other = showFile("other.kmv", 3);
  show->pictureCount = 1;
  show->modified = 1;
  std::vector<std::string> dialogs;
  answerBox('Y');
  s().whenIdle([&] {
    dialogs.push_back(s().windowText(top()));
    s().pressCtrl('A');
    s().typeText((folder / "first").string());
    s().pressKey(ws::VK_RETURN);
  });
  s().whenIdle([&] {
    dialogs.push_back(s().windowText(top()));
    s().pressCtrl('A');
    s().typeText(other);
    s().pressKey(ws::VK_RETURN);
  });
  chooseMenu("File", "Load Show");
  EXPECT_EQ(dialogs, (std::vector<std::string>{"Save As", "Open"}));
  // The unsaved show went into the file named in the Save dialog, with the default extension.
  std::vector<uint8_t> saved = fileBytes(folder / "first.kmv");
  StoredShow stored;
  std::string error;
  ASSERT_TRUE(parseStoredShow(saved.data(), saved.size(), stored, error)) << error;
  EXPECT_EQ(stored.pictures.size(), 1u);
  EXPECT_EQ(show->pictureCount, 3);
  EXPECT_EQ(title(), "Marrowlane Kestrelmove - other");
  EXPECT_EQ(settings().getText("InitialFolder", ""), folder.string() + "/");
}

TEST_F(FileCommandsTest, CtrlSWritesTheNamedShowWithoutADialogAndKeepsTheTime) {
  const std::string path = showFile("named.kmv", 1);
  loadShowThroughTheDialog(path);
  show->pictureCount = 2;
  show->modified = 1;
  show->currentTime = 40;
  s().pressCtrl('S');
  pump();
  EXPECT_EQ(show->currentTime, 40);
  EXPECT_EQ(show->modified, 0);
  std::vector<uint8_t> saved = fileBytes(path);
  StoredShow stored;
  std::string error;
  ASSERT_TRUE(parseStoredShow(saved.data(), saved.size(), stored, error)) << error;
  EXPECT_EQ(stored.pictures.size(), 2u);
  EXPECT_EQ(filesIn(folder), 1u) << "a temporary file was left behind";
}

TEST_F(FileCommandsTest, CtrlSOnANewShowOpensTheSaveDialog) {
  show->pictureCount = 1;
  show->modified = 1;
  std::string dialog;
  s().whenIdle([&] {
    dialog = s().windowText(top());
    s().typeText((folder / "fresh").string());
    s().pressKey(ws::VK_RETURN);
  });
  s().pressCtrl('S');
  pump();
  EXPECT_EQ(dialog, "Save As");
  EXPECT_TRUE(fs::exists(folder / "fresh.kmv"));
  EXPECT_EQ(show->showFile.pathText(), (folder / "fresh.kmv").string());
  EXPECT_EQ(title(), "Marrowlane Kestrelmove - fresh");
  EXPECT_EQ(show->modified, 0);
}

TEST_F(FileCommandsTest, AColonInTheSavedNameTitlesThePartBehindIt) {
  answerFileDialogWith((folder / "a:b").string());
  chooseMenu("File", "Save Show");
  EXPECT_TRUE(fs::exists(folder / "a:b.kmv"));
  EXPECT_EQ(title(), "Marrowlane Kestrelmove - b");
}

TEST_F(FileCommandsTest, LoadShowLeavesEverythingAsItWasForAFileThatHoldsNoShow) {
  const std::string good = showFile("good.kmv", 2);
  loadShowThroughTheDialog(good);
  ASSERT_EQ(show->pictureCount, 2);
  const std::string junk = (folder / "junk.kmv").string();
  std::ofstream(junk) << "this is not a show at all, only some words in a file";
  std::vector<uint8_t> whole = fileBytes(good);
  const std::string cut = (folder / "cut.kmv").string();
  std::ofstream(cut, std::ios::binary).write(reinterpret_cast<const char*>(whole.data()), std::streamsize(whole.size() / 2));

  for (const std::string& bad : {junk, cut}) {
    std::string message;
    answerFileDialogWith(bad);
    answerBox(ws::VK_RETURN, &message);
    s().pressCtrl('O');
    pump();
    EXPECT_NE(message.find(bad), std::string::npos) << message;
    EXPECT_NE(message.find("Could not load the show file"), std::string::npos) << message;
    EXPECT_EQ(show->pictureCount, 2) << bad;
    EXPECT_EQ(show->showFile.pathText(), good);
    EXPECT_EQ(title(), "Marrowlane Kestrelmove - good");
  }
}

TEST_F(FileCommandsTest, ALargeShowFileLoadsWhole) {
  // Larger than the host's block and than the 128000 bytes a show file was once read in.
  const std::string big = showFile("big.kmv", 30, kMaxKeys);
  ASSERT_GT(fs::file_size(big), 128000u);
  loadShowThroughTheDialog(big);
  EXPECT_EQ(show->pictureCount, 30);
  EXPECT_EQ(show->slots[29].keyCount, kMaxKeys);
}

TEST_F(FileCommandsTest, ALoadedShowStartsAtTimeZeroWithItsFirstPicturesMenus) {
  // A show whose first picture has the blur brush.
  show->pictureCount = 2;
  show->slots[0].brushCode = kBrushBlur;
  std::vector<uint8_t> bytes(kMaxStoredShowSize);
  const long n = show->storeShow(bytes.data(), bytes.size());
  const std::string path = (folder / "blurred.kmv").string();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), n);
  // The show being left has its third picture current, at a later time.
  show->newShow();
  show->pictureCount = 3;
  show->setCurrentPicture(2);
  show->currentTime = 150;
  loadShowThroughTheDialog(path);
  ASSERT_EQ(show->pictureCount, 2);
  EXPECT_EQ(show->currentTime, 0);
  EXPECT_EQ(show->currentPicture, 0);
  EXPECT_TRUE(checked(kCmdBlurBrush));
  EXPECT_FALSE(checked(kCmdNormalImage));
}

TEST_F(FileCommandsTest, AFailedQuickSaveSaysWhyAndKeepsTheWorkUnsaved) {
  const fs::path sub = folder / "gone";
  fs::create_directories(sub);
  fs::copy_file(showFile("s.kmv", 1), sub / "s.kmv");
  loadShowThroughTheDialog((sub / "s.kmv").string());
  fs::remove_all(sub);
  show->pictureCount = 2;
  show->modified = 1;
  std::string message;
  answerBox(ws::VK_RETURN, &message);
  s().pressCtrl('S');
  pump();
  EXPECT_NE(message.find((sub / "s.kmv").string()), std::string::npos) << message;
  EXPECT_NE(message.find("No such file or directory"), std::string::npos) << message;
  EXPECT_EQ(show->modified, 1);
}

TEST_F(FileCommandsTest, AFailedReplaceSaysWhyAndLeavesNoTemporaryFile) {
  const std::string path = showFile("whole.kmv", 1);
  loadShowThroughTheDialog(path);
  // A folder in the way of the temporary name's rename: the target cannot be replaced.
  fs::remove(path);
  fs::create_directories(fs::path(path) / "inside");
  show->modified = 1;
  std::string message;
  answerBox(ws::VK_RETURN, &message);
  s().pressCtrl('S');
  pump();
  EXPECT_NE(message.find(path), std::string::npos) << message;
  EXPECT_EQ(show->modified, 1);
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_NE(message.find("Is a directory"), std::string::npos) << message;
  EXPECT_EQ(filesIn(folder), 1u) << "a temporary file was left behind";
}

TEST(PictureFilter, JpegEntriesOnlyWithTheJpegLibrary) {
  const std::string without = pictureFilter(false);
  EXPECT_EQ(without.find(";*.jpg"), std::string::npos);
  EXPECT_EQ(without.find("Jpeg"), std::string::npos);
  EXPECT_EQ(without,
            "All Graphics Files|*.bmp;*.tga;*.tif;*.psd|BMP Files (*.bmp)|*.bmp|Targa Files (*.tga)|*.tga|TIFF Files "
            "(*.tif)|*.tif|Photoshop Files (*.psd)|*.psd|All Files (*.*)|*.*|");
  const std::string with = pictureFilter(true);
  EXPECT_NE(with.find("*.psd;*.jpg|"), std::string::npos);
  EXPECT_NE(with.find("|Jpeg Files (*.jpg)|*.jpg|All Files"), std::string::npos);
}

TEST(FileNames, BareNamesAndFolders) {
  EXPECT_EQ(bareName("c:\\pics\\logo.final.tga"), "logo");
  EXPECT_EQ(bareName("a:b"), "b");
  EXPECT_EQ(bareName("/home/x/theme.wav"), "theme");
  EXPECT_EQ(folderPart("c:\\pics\\logo.tga"), "c:\\pics\\");
  EXPECT_EQ(folderPart("/tmp/shows/a.kmv"), "/tmp/shows/");
  EXPECT_EQ(folderPart("plain.kmv"), "");
}

TEST_F(FileCommandsTest, LoadPictureMakesTheNewPicturePictureZeroAndRemembersTheFolder) {
  const std::string first = writePicture("first.bmp");
  const std::string second = writePicture("second.bmp", 16, 8);
  answerFileDialogWith(first);
  s().pressCtrl('L');
  pump();
  ASSERT_EQ(show->pictureCount, 1);
  answerFileDialogWith(second);
  chooseMenu("File", "Load Picture");
  ASSERT_EQ(show->pictureCount, 2);
  EXPECT_EQ(show->slots[0].file.pathText(), second);
  EXPECT_EQ(show->slots[0].image.width(), 16);
  EXPECT_EQ(show->slots[1].file.pathText(), first);
  EXPECT_EQ(show->currentPicture, 0);
  EXPECT_EQ(settings().getText("InitialFolder", ""), folder.string() + "/");
}

TEST_F(FileCommandsTest, ChangePictureReplacesTheCurrentOne) {
  answerFileDialogWith(writePicture("a.bmp"));
  chooseMenu("File", "Load Picture");
  answerFileDialogWith(writePicture("b.bmp"));
  chooseMenu("File", "Load Picture");
  show->currentPicture = 1;
  answerFileDialogWith(writePicture("c.bmp", 24, 8));
  chooseMenu("Edit", "Change Picture");
  ASSERT_EQ(show->pictureCount, 2);
  EXPECT_EQ(show->slots[1].file.pathText(), (folder / "c.bmp").string());
  EXPECT_EQ(show->slots[0].file.pathText(), (folder / "b.bmp").string());
  EXPECT_EQ(show->currentPicture, 0);
}

TEST_F(FileCommandsTest, DeletePictureAnsweredNoChangesNothing) {
  answerFileDialogWith(writePicture("a.bmp"));
  chooseMenu("File", "Load Picture");
  answerFileDialogWith(writePicture("b.bmp"));
  chooseMenu("File", "Load Picture");
  show->currentTime = 12;
  std::string asked;
  answerBox('N', &asked);
  chooseMenu("Edit", "Delete Picture");
  EXPECT_EQ(asked, "Are you sure?");
  EXPECT_EQ(show->pictureCount, 2);
  EXPECT_EQ(show->currentTime, 12);
  answerBox('Y');
  chooseMenu("Edit", "Delete Picture");
  ASSERT_EQ(show->pictureCount, 1);
  EXPECT_EQ(show->slots[0].file.pathText(), (folder / "a.bmp").string());
}

TEST_F(FileCommandsTest, ACancelledDialogLeavesTheFolderSettingAlone) {
  settings().setText("InitialFolder", "/somewhere/");
  answerBox(ws::VK_ESCAPE);
  chooseMenu("File", "Load Picture");
  EXPECT_EQ(settings().getText("InitialFolder", ""), "/somewhere/");
  EXPECT_EQ(show->pictureCount, 0);
}

}  // namespace
