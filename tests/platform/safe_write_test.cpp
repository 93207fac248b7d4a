#include "platform/safe_write.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool write(const fs::path& path, const std::string& text, std::string& error) {
  return writeFileSafely(path.string(), reinterpret_cast<const uint8_t*>(text.data()), text.size(), error);
}

TEST(SafeWrite, ReplacesWholeKeepsPermissionsAndLeavesNothingBehind) {
  const fs::path folder = fs::path(::testing::TempDir()) / ("km-safe-write-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path file = folder / "show.kmv";
  std::string error;
  ASSERT_TRUE(write(file, "first", error)) << error;
  EXPECT_EQ(contentOf(file), "first");
  ::chmod(file.c_str(), 0640);
  ASSERT_TRUE(write(file, "second, longer", error)) << error;
  EXPECT_EQ(contentOf(file), "second, longer");
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

  // A folder that is not there: the system's reason, and no file made.
  EXPECT_FALSE(write(folder / "absent" / "show.kmv", "x", error));
  EXPECT_EQ(error, "No such file or directory");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
  fs::remove_all(folder);
}

}  // namespace
