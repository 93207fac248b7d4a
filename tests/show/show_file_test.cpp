// Reading show files: regular files only, read whole, accepted only as complete stored shows.
#include "show/show_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/show/stored_show_bytes.h"

namespace {

namespace fs = std::filesystem;
using namespace testbytes;

struct ShowFiles : ::testing::Test {
  fs::path folder;
  void SetUp() override {
    folder = fs::temp_directory_path() /
             ("kestrelmove_show_file_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }
  fs::path write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path path = folder / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
  }
};

std::vector<uint8_t> onePictureShow() {
  TestPicture p;
  p.path = "picture.tga";
  TestKey a, b;
  b.time = 20;
  p.keys = {a, b};
  return buildShow(false, 77, "", {p});
}

void putKeyCount(std::vector<uint8_t>& show, int32_t count) { std::memcpy(show.data() + 334 + 294, &count, 4); }

}  // namespace

TEST_F(ShowFiles, ACompleteShowIsReadWithWhatLiesBehindIt) {
  std::vector<uint8_t> bytes = onePictureShow();
  const size_t length = bytes.size();
  ASSERT_EQ(length, 748u);
  bytes.insert(bytes.end(), {1, 2, 3});
  ShowFile file;
  std::string error;
  ASSERT_TRUE(readShowFile(write("a.kmv", bytes).string(), file, error)) << error;
  EXPECT_EQ(file.fileSize, length + 3);
  EXPECT_EQ(file.storedBytes, std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::ptrdiff_t(length)));
  EXPECT_EQ(file.extraBytes, (std::vector<uint8_t>{1, 2, 3}));
  ASSERT_EQ(file.show.pictures.size(), 1u);
  EXPECT_EQ(file.show.pictures[0].keys[1].time, 20);
  EXPECT_EQ(file.show.changeStamp, 77);
}

TEST_F(ShowFiles, DamagedShowsAreRefusedWithTheirReason) {
  const std::vector<uint8_t> good = onePictureShow();
  std::vector<uint8_t> tooMany = good, negative = good, pastTheFile = good;
  putKeyCount(tooMany, 129);
  putKeyCount(negative, -1);
  // The stored length claims a second picture's worth of bytes the file does not hold.
  const uint32_t claimed = uint32_t(good.size() + 400);
  std::memcpy(pastTheFile.data() + 4, &claimed, 4);
  const std::vector<uint8_t> cutShort(good.begin(), good.begin() + 500);
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* reason;
  } cases[] = {{"129.kmv", tooMany, "key count 129"},
               {"minus.kmv", negative, "key count -1"},
               {"past.kmv", pastTheFile, "truncated: the stored length is 1148 bytes but only 748 are present"},
               {"cut.kmv", cutShort, "truncated"},
               {"text.kmv", {'h', 'e', 'l', 'l', 'o'}, "not a stored show"}};
  for (const auto& c : cases) {
    ShowFile file;
    std::string error;
    EXPECT_FALSE(readShowFile(write(c.name, c.bytes).string(), file, error)) << c.name;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
  }
}

TEST_F(ShowFiles, OnlyRegularFilesAreOpened) {
  const fs::path fifo = folder / "pipe.kmv";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ShowFile file;
  std::string error;
  // With no writer an ordinary open would wait for ever.
  EXPECT_FALSE(readShowFile(fifo.string(), file, error));
  EXPECT_EQ(error, "is a FIFO, not a regular file");
  EXPECT_FALSE(readShowFile(folder.string(), file, error));
  EXPECT_EQ(error, "is a folder, not a file");
  EXPECT_FALSE(readShowFile("/dev/zero", file, error));
  EXPECT_EQ(error, "is a device, not a regular file");
  EXPECT_FALSE(readShowFile((folder / "absent.kmv").string(), file, error));
  EXPECT_EQ(error, "cannot be opened for reading (No such file or directory)");
}

TEST_F(ShowFiles, AFileBeyondTheLimitIsNotReadOn) {
  std::vector<uint8_t> bytes(100, 7);
  std::string error;
  std::vector<uint8_t> read;
  EXPECT_TRUE(readRegularFile(write("small", bytes).string(), 100, read, error));
  EXPECT_EQ(read, bytes);
  EXPECT_FALSE(readRegularFile(write("small", bytes).string(), 99, read, error));
  EXPECT_EQ(error, "is larger than the 99 bytes such a file may have");
}
