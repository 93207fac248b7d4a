// How the settings file is read and written: whole, only after a change, by replacing it, keeping
// what it does not know, and without two copies of the settings losing each other's changes.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/settings_file.h"

namespace {

namespace fs = std::filesystem;

struct SettingsWrites : ::testing::Test {
  fs::path folder;
  fs::path file;

  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = fs::temp_directory_path() / ("kestrelmove_settings_writes_" + std::string(info->name()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    file = folder / "Kestrelmove.ini";
    setenv("KESTRELMOVE_CONFIG_DIR", folder.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("KESTRELMOVE_CONFIG_DIR");
    fs::remove_all(folder);
  }
  void writeFile(const std::string& content) { std::ofstream(file, std::ios::binary) << content; }
  std::string readFile() {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  ino_t inode() {
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
  }
  size_t entriesInFolder() { return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator())); }
};

// About 2 KB of settings: known keys spread between lines of other programs' making, the last known
// key far beyond the first kilobyte.
std::string twoKilobyteFile() {
  std::string text = "[Kestrelmove]\r\nScale=120\r\n";
  for (int i = 0; text.size() < 2000; ++i)
    text += "Unknown" + std::to_string(i) + "=value kept as it is, " + std::to_string(i * 7) + "\r\n";
  return text + "; a comment line\r\nTimeScale=45\r\n";
}

}  // namespace

TEST_F(SettingsWrites, AFileLongerThanAKilobyteIsReadWhole) {
  const std::string content = twoKilobyteFile();
  ASSERT_GT(content.size(), 2000u);
  writeFile(content);
  SettingsFile s;
  s.readSettings();
  EXPECT_EQ(std::string(s.text()), content);
  EXPECT_EQ(s.getInteger("Scale", 0), 120);
  EXPECT_EQ(s.getInteger("TimeScale", 0), 45);
}

TEST_F(SettingsWrites, NothingIsWrittenUntilASettingChanges) {
  const std::string content = twoKilobyteFile();
  writeFile(content);
  const ino_t before = inode();
  SettingsFile s;
  s.readSettings();
  // Setting a value the file already holds is no change either.
  s.setInteger("Scale", 120);
  EXPECT_FALSE(s.hasChanges());
  EXPECT_TRUE(s.writeSettings());
  EXPECT_EQ(inode(), before);
  EXPECT_EQ(readFile(), content);
  // A file that went away meanwhile is not brought back by a copy with nothing to say.
  fs::remove(file);
  EXPECT_TRUE(s.writeSettings());
  EXPECT_FALSE(fs::exists(file));
}

TEST_F(SettingsWrites, AChangeReplacesTheFileKeepingEveryOtherLine) {
  const std::string content = twoKilobyteFile();
  writeFile(content);
  const ino_t before = inode();
  SettingsFile s;
  s.readSettings();
  s.setInteger("TimeScale", 12);
  s.setInteger("ShowTVSafe", 1);
  ASSERT_TRUE(s.writeSettings());
  std::string expected = content;
  expected.replace(expected.find("TimeScale=45"), 12, "TimeScale=12");
  expected += "ShowTVSafe=1\r\n";
  EXPECT_EQ(readFile(), expected);
  // Renamed over the old file, with no temporary file left behind.
  EXPECT_NE(inode(), before);
  EXPECT_EQ(entriesInFolder(), 1u);
  // Written once: the next write has nothing to do.
  EXPECT_FALSE(s.hasChanges());
  writeFile(content);
  EXPECT_TRUE(s.writeSettings());
  EXPECT_EQ(readFile(), content);
}

TEST_F(SettingsWrites, TwoCopiesKeepEachOthersChanges) {
  writeFile("[Kestrelmove]\r\nScale=100\r\nTimeScale=30\r\nOther=1\r\n");
  SettingsFile first, second;
  first.readSettings();
  second.readSettings();
  first.setInteger("Scale", 150);
  second.setInteger("TimeScale", 12);
  second.setText("InitialFolder", "/srv/shows");
  ASSERT_TRUE(first.writeSettings());
  ASSERT_TRUE(second.writeSettings());
  EXPECT_EQ(readFile(), "[Kestrelmove]\r\nScale=150\r\nTimeScale=12\r\nOther=1\r\nInitialFolder=/srv/shows\r\n");
  SettingsFile third;
  third.readSettings();
  EXPECT_EQ(third.getInteger("Scale", 0), 150);
  EXPECT_EQ(third.getInteger("TimeScale", 0), 12);
}

TEST_F(SettingsWrites, AFileTooLargeToHoldIsNeverOverwritten) {
  std::string content = "[Kestrelmove]\r\nScale=3\r\n";
  content += std::string(SettingsFile::kCapacity, 'x');
  writeFile(content);
  SettingsFile s;
  s.readSettings();
  EXPECT_EQ(s.getInteger("Scale", 100), 100);
  s.setInteger("Scale", 7);
  EXPECT_FALSE(s.writeSettings());
  EXPECT_EQ(readFile(), content);
}

TEST_F(SettingsWrites, AFifoInPlaceOfTheFileIsNotWaitedFor) {
  ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
  SettingsFile s;
  s.readSettings();
  EXPECT_STREQ(s.text(), "[Kestrelmove]\r\n");
  EXPECT_EQ(s.getInteger("AspectMode", 7500), 7500);
}

TEST_F(SettingsWrites, LineFeedsAloneStayUnlessSomethingChanges) {
  writeFile("[Kestrelmove]\nScale=120\n");
  SettingsFile s;
  s.readSettings();
  EXPECT_TRUE(s.writeSettings());
  EXPECT_EQ(readFile(), "[Kestrelmove]\nScale=120\n");
  s.setInteger("Scale", 90);
  ASSERT_TRUE(s.writeSettings());
  EXPECT_EQ(readFile(), "[Kestrelmove]\r\nScale=90\r\n");
}
