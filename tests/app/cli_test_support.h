#pragma once
// Runs the kestrelmove program as a user would and compares what it writes with the show rendered
// directly through renderShow.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

#include "app/media/png_file.h"
#include "tests/host/plugin_test_support.h"

extern char** environ;

namespace clitest {

using namespace plugintest;

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline RunResult runProgram(const std::vector<std::string>& args) {
  const fs::path outFile = scratchFolder() / "stdout.txt", errFile = scratchFolder() / "stderr.txt";
  std::vector<std::string> all{KM_PROGRAM_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  RunResult result;
  pid_t pid = 0;
  if (posix_spawn(&pid, KM_PROGRAM_PATH, &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = readText(outFile);
  result.err = readText(errFile);
  return result;
}

// A fresh empty folder under the scratch folder.
inline fs::path freshFolder(const std::string& name) {
  const fs::path folder = scratchFolder() / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

// The moving show saved as a show file.
inline fs::path movingShowFile() {
  const fs::path path = scratchFolder() / "moving.kmv";
  if (!fs::exists(path)) {
    const std::vector<uint8_t> block = movingShowBlock();
    uint32_t length = 0;
    std::memcpy(&length, block.data() + 4, 4);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(block.data()), length);
  }
  return path;
}

// The show rendered directly over a plain colour frame of width x height.
inline ImageBuffer renderOverColour(const std::vector<uint8_t>& block, int width, int height, uint8_t r, uint8_t g,
                                    uint8_t b, int time, int field, int lineFlag) {
  RenderRecords records(nullptr, width, height, 24);
  for (size_t i = 0; i < records.source.size(); i += 3) {
    records.source[i] = b;
    records.source[i + 1] = g;
    records.source[i + 2] = r;
  }
  return renderDirect(block, records, time, field, lineFlag);
}

// Compares an RGB picture's line `line` with line `sourceLine` (top-down) of a rendered image.
inline bool lineMatches(const RgbImage& written, int line, const ImageBuffer& expected, int sourceLine) {
  const uint8_t* e = expected.row(expected.height() - 1 - sourceLine);
  const uint8_t* w = &written.rgb[size_t(line) * written.width * 3];
  for (int x = 0; x < written.width; ++x)
    if (w[3 * x] != e[4 * x + 2] || w[3 * x + 1] != e[4 * x + 1] || w[3 * x + 2] != e[4 * x]) return false;
  return true;
}

inline RgbImage readPicture(const fs::path& path) {
  RgbImage image;
  std::string error;
  EXPECT_TRUE(readPng(path.string(), image, error)) << path << ": " << error;
  return image;
}

}  // namespace clitest
