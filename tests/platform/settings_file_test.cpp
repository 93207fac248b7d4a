#include "platform/settings_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// Every test works in a folder of its own, named by KESTRELMOVE_CONFIG_DIR.
struct Settings : ::testing::Test {
  std::filesystem::path folder;

  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = std::filesystem::temp_directory_path() / ("kestrelmove_settings_" + std::string(info->name()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    setenv("KESTRELMOVE_CONFIG_DIR", folder.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("KESTRELMOVE_CONFIG_DIR");
    std::filesystem::remove_all(folder);
  }
  void writeFile(const std::string& content) {
    std::ofstream(folder / "Kestrelmove.ini", std::ios::binary) << content;
  }
  std::string readFile() {
    std::ifstream in(folder / "Kestrelmove.ini", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

}  // namespace

TEST_F(Settings, WithoutAFileEveryKeyTakesItsDefault) {
  SettingsFile s;
  s.readSettings();
  EXPECT_EQ(s.filePath(), (folder / "Kestrelmove.ini").string());
  EXPECT_EQ(s.getInteger("AspectMode", 7500), 7500);
  EXPECT_EQ(s.getText("RootVolume", std::string("C:\\")), "C:\\");
  // Nothing was set, so nothing is written.
  ASSERT_TRUE(s.writeSettings());
  EXPECT_FALSE(std::filesystem::exists(folder / "Kestrelmove.ini"));
}

TEST_F(Settings, AFileOfAnotherProductIsReplacedBySection) {
  writeFile("[Other]\r\nScale=5\r\n");
  SettingsFile s;
  s.readSettings();
  EXPECT_STREQ(s.text(), "[Kestrelmove]\r\n");
  EXPECT_EQ(s.getInteger("Scale", 100), 100);
}

TEST_F(Settings, ScaleAndTimeScaleAreDifferentKeys) {
  writeFile("[Kestrelmove]\r\nTimeScale=30\r\nScale=100\r\nShowTVSafe=1\r\n");
  SettingsFile s;
  s.readSettings();
  EXPECT_EQ(s.getInteger("Scale", 0), 100);
  EXPECT_EQ(s.getInteger("TimeScale", 0), 30);
  s.setInteger("Scale", 150);
  EXPECT_STREQ(s.text(), "[Kestrelmove]\r\nTimeScale=30\r\nScale=150\r\nShowTVSafe=1\r\n");
  s.setInteger("TimeScale", 15);
  EXPECT_STREQ(s.text(), "[Kestrelmove]\r\nTimeScale=15\r\nScale=150\r\nShowTVSafe=1\r\n");
  ASSERT_TRUE(s.writeSettings());

  SettingsFile again;
  again.readSettings();
  EXPECT_EQ(again.getInteger("Scale", 0), 150);
  EXPECT_EQ(again.getInteger("TimeScale", 0), 15);
}

TEST_F(Settings, AKeyThatEndsAnotherIsNotFoundInIt) {
  writeFile("[Kestrelmove]\r\nTimeScale=30\r\n");
  SettingsFile s;
  s.readSettings();
  EXPECT_EQ(s.getInteger("Scale", 100), 100);
  s.setInteger("Scale", 7);
  EXPECT_STREQ(s.text(), "[Kestrelmove]\r\nTimeScale=30\r\nScale=7\r\n");
}

TEST_F(Settings, SettingTwiceAppendsOnceThenReplaces) {
  SettingsFile s;
  s.readSettings();
  s.setText("InitialFolder", "/home/me/shows");
  s.setText("InitialFolder", "/srv/video");
  EXPECT_STREQ(s.text(), "[Kestrelmove]\r\nInitialFolder=/srv/video\r\n");
  char out[8];
  s.getText("InitialFolder", "", out, sizeof out);
  EXPECT_STREQ(out, "/srv/vi");
}

TEST_F(Settings, NegativeIntegers) {
  SettingsFile s;
  s.readSettings();
  s.setInteger("InitialParID", -25);
  EXPECT_NE(std::strstr(s.text(), "InitialParID=-25\r\n"), nullptr);
  EXPECT_EQ(s.getInteger("InitialParID", 0), -25);
}

TEST_F(Settings, AFullTextRefusesNewKeysButChangesOldOnes) {
  SettingsFile s;
  // Key00 and then padding lines up to three characters short of the limit.
  std::string text = "[Kestrelmove]\r\nKey00=" + std::string(42, 'v') + "\r\n";
  const std::string pad = "Pad=" + std::string(60, 'p') + "\r\n";
  while (text.size() + pad.size() <= SettingsFile::kCapacity - 4) text += pad;
  text += std::string(SettingsFile::kCapacity - 4 - text.size() - 2, 'q') + "\r\n";
  s.setTextBuffer(text.c_str());
  ASSERT_EQ(std::strlen(s.text()), SettingsFile::kCapacity - 4);
  s.setInteger("Scale", 1);  // "Scale=1\r\n" does not fit the three characters left
  EXPECT_EQ(s.getInteger("Scale", 100), 100);
  EXPECT_FALSE(s.hasChanges());
  s.setText("Key00", "short");
  EXPECT_EQ(s.getText("Key00", std::string()), "short");
  // A longer value that would overflow the text is refused and the limit holds.
  s.setText("Key00", std::string(200, 'w').c_str());
  EXPECT_EQ(s.getText("Key00", std::string()), "short");
  EXPECT_LE(std::strlen(s.text()), SettingsFile::kCapacity - 1);
}

TEST_F(Settings, LinesEndingInLineFeedsAloneStillWork) {
  writeFile("[Kestrelmove]\nScale=120\nFrameRate=2500\n");
  SettingsFile s;
  s.readSettings();
  EXPECT_EQ(s.getInteger("Scale", 100), 120);
  s.setInteger("FrameRate", 2997);
  EXPECT_EQ(s.getInteger("FrameRate", 0), 2997);
  EXPECT_STREQ(s.text(), "[Kestrelmove]\r\nScale=120\r\nFrameRate=2997\r\n");
}

TEST_F(Settings, AValueStaysOnItsLine) {
  SettingsFile s;
  s.readSettings();
  s.setText("AltImageFolder", "/media/odd\r\nScale=999");
  EXPECT_EQ(s.getText("AltImageFolder", std::string()), "/media/odd");
  EXPECT_EQ(s.getInteger("Scale", 100), 100);
}

TEST_F(Settings, KeysAreWholeWordsOfALine) {
  SettingsFile s;
  s.adoptFileText("[Kestrelmove]\r\nRootVolume=C:\\\rScale=30\r\nTimeScale=12\r\n");
  // A lone carriage return inside a value starts no line.
  EXPECT_EQ(s.getInteger("Scale", 100), 100);
  s.setInteger("Scale", 5);
  EXPECT_EQ(s.getText("RootVolume", std::string()), "C:\\\rScale=30");
  EXPECT_EQ(s.getInteger("TimeScale", 0), 12);
  EXPECT_EQ(s.getInteger("Scale", 100), 5);
  // Keys that could not be read back are not written.
  const std::string before = s.text();
  s.setText("A=B", "1");
  s.setText("Two\r\nLines", "1");
  s.setText("", "1");
  EXPECT_EQ(s.text(), before);
}

TEST_F(Settings, ABareLineFeedEndsAValueWhenTheTextCannotBeRewritten) {
  // Too long to turn every line feed into "\r\n": values still end at their line.
  std::string text = "[Kestrelmove]\nScale=7\nTimeScale=9\n";
  while (text.size() < 1000) text += "Padding=xxxxxxxxxxxxxxxxxxxxxxxx\n";
  SettingsFile s;
  s.adoptFileText(text.c_str());
  EXPECT_EQ(s.getInteger("Scale", 0), 7);
  s.setInteger("Scale", 8);
  EXPECT_EQ(s.getInteger("Scale", 0), 8);
  EXPECT_EQ(s.getInteger("TimeScale", 0), 9);
}
