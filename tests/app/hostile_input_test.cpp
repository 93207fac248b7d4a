// The host program and the plug-in under input made to hurt them: damaged shows refused alike by
// every command and by the plug-in, files that are not regular files, shows asking for endless work,
// pictures asking for more memory than the machine should give, sizes no frame can have, and the
// settings file left exactly as it was by commands that change no setting.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <climits>
#include <thread>

#include "app/media/host_frame.h"
#include "app/show_json.h"
#include "tests/app/cli_test_support.h"
#include "tests/show/stored_show_bytes.h"

namespace {

using namespace clitest;

int lines(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

void writeBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// One picture (the 16 x 16 test picture) with keys at the given times; a 748-byte show for two keys.
std::vector<uint8_t> showWithKeys(const std::vector<int32_t>& times, int records = 1) {
  testbytes::TestPicture p;
  p.path = pictureFile();
  for (int32_t t : times) {
    testbytes::TestKey k;
    k.time = t;
    k.x = 320, k.y = 240, k.width = 64, k.height = 48;
    p.keys.push_back(k);
  }
  return testbytes::buildShow(false, 99, "", std::vector<testbytes::TestPicture>(size_t(records), p));
}

void putKeyCount(std::vector<uint8_t>& show, int32_t count) { std::memcpy(show.data() + 334 + 294, &count, 4); }

// Runs the program and stops it if it has not finished within the time: a hang shows as a failure,
// not as a test that never ends.
RunResult runWithin(const std::vector<std::string>& args, int seconds) {
  const fs::path outFile = scratchFolder() / "hostile-stdout.txt", errFile = scratchFolder() / "hostile-stderr.txt";
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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        ADD_FAILURE() << args[0] << " did not finish within " << seconds << " s";
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = readText(outFile);
  result.err = readText(errFile);
  return result;
}

// Every command that reads a show, each given the show at path.
std::vector<std::vector<std::string>> everyShowCommand(const fs::path& show, const fs::path& folder) {
  const fs::path script = folder / "script.txt";
  std::ofstream(script) << "state\n";
  return {{"show", "dump", show.string()},
          {"show", "state", show.string(), "--frame", "0"},
          {"render", show.string(), "-o", (folder / "r%02d.png").string()},
          {"movie", show.string(), "-o", (folder / "m.mp4").string()},
          {"edit", show.string(), "--script", script.string(), "--screen", "1024x768"}};
}

}  // namespace

TEST(OneValidator, DamagedShowsAreRefusedByEveryCommandAndByThePlugIn) {
  setenv("KESTRELMOVE_VIDEO", "headless", 1);
  const fs::path folder = freshFolder("one-validator");
  const std::vector<uint8_t> good = showWithKeys({0, 20});
  ASSERT_EQ(good.size(), 748u);
  std::vector<uint8_t> tooMany = good, negative = good, pastTheFile = good;
  putKeyCount(tooMany, 129);
  putKeyCount(negative, -1);
  const uint32_t claimed = 2000;
  std::memcpy(pastTheFile.data() + 4, &claimed, 4);
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* reason;
  } cases[] = {{"count129.kmv", tooMany, "key count 129"},
               {"count-1.kmv", negative, "key count -1"},
               {"past.kmv", pastTheFile, "the stored length is 2000 bytes but only 748 are present"},
               {"cut.kmv", std::vector<uint8_t>(good.begin(), good.begin() + 600), "truncated"}};
  for (const auto& c : cases) {
    const fs::path show = folder / c.name;
    writeBytes(show, c.bytes);
    const RunResult dump = runProgram({"show", "dump", show.string()});
    EXPECT_EQ(dump.exitCode, 2) << c.name;
    EXPECT_EQ(lines(dump.err), 1) << dump.err;
    EXPECT_NE(dump.err.find(c.reason), std::string::npos) << dump.err;
    for (const auto& args : everyShowCommand(show, folder)) {
      const RunResult r = runProgram(args);
      EXPECT_EQ(r.exitCode, 2) << args[0] << " " << c.name;
      EXPECT_EQ(r.err, dump.err) << args[0] << " " << c.name;
      EXPECT_TRUE(r.out.empty()) << args[0] << " " << c.name << ": " << r.out;
    }

    // The plug-in, handed the same bytes in a host's block, does not load them either. (A show cut
    // short cannot be told from one followed by zeros in a 64000-byte block: that is why the host
    // refuses it before.)
    if (std::string(c.name).rfind("count", 0) != 0) continue;
    LoadedPlugin plugin;
    std::vector<uint8_t> block(KM_PARAMETER_BLOCK_SIZE, 0);
    std::memcpy(block.data(), c.bytes.data(), c.bytes.size());
    RenderRecords records(block.data(), 8, 8, 24);
    EXPECT_EQ(plugin.action(0, &records.record), 1);
    EXPECT_EQ(plugin.status().showLoads, 0) << c.name;
    EXPECT_EQ(plugin.status().pictureCount, 0) << c.name;
  }
  EXPECT_FALSE(fs::exists(folder / "r00.png"));
  EXPECT_FALSE(fs::exists(folder / "m.mp4"));

  // A stored length beyond the block itself is refused by the plug-in.
  {
    LoadedPlugin plugin;
    std::vector<uint8_t> block(KM_PARAMETER_BLOCK_SIZE, 0);
    std::memcpy(block.data(), good.data(), good.size());
    const uint32_t beyond = KM_PARAMETER_BLOCK_SIZE + 4;
    std::memcpy(block.data() + 4, &beyond, 4);
    RenderRecords records(block.data(), 8, 8, 24);
    EXPECT_EQ(plugin.action(0, &records.record), 1);
    EXPECT_EQ(plugin.status().showLoads, 0);
  }

  // The good show passes the same check everywhere: dumped, and loaded by the plug-in.
  writeBytes(folder / "good.kmv", good);
  EXPECT_EQ(runProgram({"show", "dump", (folder / "good.kmv").string()}).exitCode, 0);
  LoadedPlugin plugin;
  std::vector<uint8_t> block(KM_PARAMETER_BLOCK_SIZE, 0);
  std::memcpy(block.data(), good.data(), good.size());
  RenderRecords records(block.data(), 8, 8, 24);
  EXPECT_EQ(plugin.action(0, &records.record), 1);
  EXPECT_EQ(plugin.status().showLoads, 1);
  EXPECT_EQ(plugin.status().pictureCount, 1);
}

TEST(OneValidator, AFifoIsNeverOpenedAsAShow) {
  setenv("KESTRELMOVE_VIDEO", "headless", 1);
  const fs::path folder = freshFolder("fifo-show");
  const fs::path fifo = folder / "pipe.kmv";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const auto& args : everyShowCommand(fifo, folder)) {
    // Without a writer, an ordinary open of the FIFO would wait for ever.
    const RunResult r = runWithin(args, 60);
    EXPECT_EQ(r.exitCode, 2) << args[0];
    EXPECT_EQ(r.err, "kestrelmove: " + fifo.string() + ": is a FIFO, not a regular file\n") << args[0];
  }
  const RunResult folderAsShow = runProgram({"show", "dump", folder.string()});
  EXPECT_EQ(folderAsShow.exitCode, 2);
  EXPECT_NE(folderAsShow.err.find("is a folder, not a file"), std::string::npos) << folderAsShow.err;
}

TEST(BoundedWork, AShowLongerThanADayIsRenderedOnlyInPartsAskedFor) {
  const fs::path folder = freshFolder("endless-show");
  // 748 bytes, no stored length, the last key one frame short of the largest time.
  const fs::path endless = folder / "endless.kmv";
  writeBytes(endless, showWithKeys({0, INT_MAX - 1}));
  ASSERT_EQ(fs::file_size(endless), 748u);
  for (const char* command : {"render", "movie"}) {
    const fs::path output = folder / (std::string(command) == "render" ? "e%03d.png" : "e.mp4");
    const RunResult r = runWithin({command, endless.string(), "-o", output.string()}, 60);
    EXPECT_EQ(r.exitCode, 2) << command;
    EXPECT_EQ(lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find("the show is 2147483647 frames long, more than 24 hours (2589410 frames) at 29.970 frames"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("--frames"), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(folder / "e000.png"));
  // The rate of the output decides: a day at 25 frames per second is 2160000 frames.
  const RunResult at25 = runProgram({"render", endless.string(), "-o", (folder / "e%03d.png").string(), "--rate", "25"});
  EXPECT_NE(at25.err.find("more than 24 hours (2160000 frames) at 25.000"), std::string::npos) << at25.err;

  // A key at the very largest time gives the same answer, with no arithmetic running past it.
  writeBytes(folder / "last.kmv", showWithKeys({0, INT_MAX}));
  const RunResult last = runProgram({"render", (folder / "last.kmv").string(), "-o", (folder / "l%03d.png").string()});
  EXPECT_EQ(last.exitCode, 2);
  EXPECT_NE(last.err.find("2147483647 frames long"), std::string::npos) << last.err;

  // Frames asked for are rendered, however long the show.
  const RunResult part = runProgram({"render", endless.string(), "-o", (folder / "e%03d.png").string(), "--frames", "0-2"});
  EXPECT_EQ(part.exitCode, 0) << part.err;
  EXPECT_TRUE(fs::exists(folder / "e002.png"));
  EXPECT_FALSE(fs::exists(folder / "e003.png"));

  // Exactly a day is still one render.
  writeBytes(folder / "day.kmv", showWithKeys({0, 2160000 - 1}));
  const RunResult day = runWithin({"render", (folder / "day.kmv").string(), "-o", (folder / "d%07d.png").string(),
                                   "--rate", "25", "--max-picture-memory", "0"},
                                  60);
  // (refused for its memory argument, which is checked after the length)
  EXPECT_EQ(day.err.find("24 hours"), std::string::npos) << day.err;
  EXPECT_NE(day.err.find("picture memory '0'"), std::string::npos) << day.err;
}

TEST(BoundedWork, PicturesBeyondTheMemoryBudgetAreRefusedNamingTheLargest) {
  const fs::path folder = freshFolder("picture-memory");
  // 30 records of the 16 x 16 picture: 30 x 1 KiB in the plug-in.
  const fs::path show = folder / "thirty.kmv";
  writeBytes(show, showWithKeys({0, 1}, 30));
  auto render = [&](const std::string& budget, const std::string& threads) {
    return runProgram({"render", show.string(), "-o", (folder / "f%02d.png").string(), "--frames", "0-2",
                       "--max-picture-memory", budget, "--threads", threads, "-y"});
  };
  const RunResult refused = render("20K", "1");
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_EQ(lines(refused.err), 1) << refused.err;
  EXPECT_NE(refused.err.find("the show's pictures need 30 KiB, more than the picture memory of 20 KiB "
                             "(--max-picture-memory); the largest: '" +
                             pictureFile() + "' 16 x 16 (1.0 KiB, in 30 records)"),
            std::string::npos)
      << refused.err;
  EXPECT_FALSE(fs::exists(folder / "f00.png"));

  EXPECT_EQ(render("30720", "1").exitCode, 0);
  EXPECT_TRUE(fs::exists(folder / "f02.png"));
  // Every copy of the plug-in holds every picture.
  const RunResult threeCopies = render("40k", "3");
  EXPECT_EQ(threeCopies.exitCode, 2);
  EXPECT_NE(threeCopies.err.find("30 KiB in each of 3 copies of the plug-in (90 KiB)"), std::string::npos)
      << threeCopies.err;
  EXPECT_EQ(render("1m", "3").exitCode, 0);
  EXPECT_EQ(render("1G", "1").exitCode, 0);

  for (const char* bad : {"12Q", "K", "-5", "0", "99999999999999999999G", "4 G"}) {
    const RunResult r = render(bad, "1");
    EXPECT_EQ(r.exitCode, 2) << bad;
    EXPECT_NE(r.err.find("is not a size such as"), std::string::npos) << bad << ": " << r.err;
  }
}

TEST(Arguments, SizesNoFrameCanHaveGiveOneLine) {
  const fs::path folder = freshFolder("sizes");
  const fs::path show = folder / "show.kmv";
  writeBytes(show, showWithKeys({0, 1}));
  for (const char* size : {"999999999x1", "1x999999999", "99999x99999", "8193x1"}) {
    for (const char* command : {"render", "movie"}) {
      const RunResult r = runProgram({command, show.string(), "-o", (folder / "s.mp4").string(), "--size", size});
      EXPECT_EQ(r.exitCode, 2) << command << " " << size;
      EXPECT_EQ(lines(r.err), 1) << r.err;
      EXPECT_NE(r.err.find("larger than the 8192 pixels each way"), std::string::npos) << r.err;
    }
  }
  const RunResult tooLong = runProgram({"render", show.string(), "-o", (folder / "s.mp4").string(), "--size", "9999999999x1"});
  EXPECT_EQ(tooLong.exitCode, 2);
  EXPECT_NE(tooLong.err.find("is not of the form WIDTHxHEIGHT"), std::string::npos) << tooLong.err;
  const RunResult edge = runProgram({"render", show.string(), "-o", (folder / "e%d.png").string(), "--size", "8192x1", "--frames", "0"});
  EXPECT_EQ(edge.exitCode, 0) << edge.err;
}

TEST(HonestResults, AThirtyFirstPictureCannotBeBuilt) {
  const fs::path folder = freshFolder("thirty-one");
  writeBytes(folder / "thirty.kmv", showWithKeys({0}, 30));
  const RunResult dump = runProgram({"show", "dump", (folder / "thirty.kmv").string()});
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  Json json = Json::parse(dump.out);
  json["pictures"].push_back(json["pictures"][0]);
  std::ofstream(folder / "31.json") << json.dump();
  const RunResult build = runProgram({"show", "build", (folder / "31.json").string(), "-o", (folder / "31.kmv").string()});
  EXPECT_EQ(build.exitCode, 2);
  EXPECT_NE(build.err.find("A show holds at most 30 pictures"), std::string::npos) << build.err;
  EXPECT_FALSE(fs::exists(folder / "31.kmv"));
  // 31 records in a show file made by other means are refused by every reader alike.
  writeBytes(folder / "31.kmv", showWithKeys({0}, 31));
  const RunResult refused = runProgram({"show", "dump", (folder / "31.kmv").string()});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_NE(refused.err.find("A show holds at most 30 pictures"), std::string::npos) << refused.err;
}

TEST(HonestResults, WritingAnUnknownFormatFails) {
  const fs::path folder = freshFolder("unknown-format");
  ImageBuffer image(4, 4, 24);
  for (int format : {2, 3, -1}) {
    FileSpec spec;
    spec.setPath((folder / ("out" + std::to_string(format))).string());
    OpenFile file;
    ASSERT_TRUE(file.open(spec, "wb"));
    EXPECT_FALSE(image.write(file, format)) << format;
    file.close();
    EXPECT_EQ(fs::file_size(spec.pathText()), 0u) << format;
  }
  for (int format : {0, 1}) {
    FileSpec spec;
    spec.setPath((folder / ("out" + std::to_string(format))).string());
    OpenFile file;
    ASSERT_TRUE(file.open(spec, "wb"));
    EXPECT_TRUE(image.write(file, format)) << format;
    file.close();
    EXPECT_GT(fs::file_size(spec.pathText()), 18u) << format;
  }
}

TEST(SettingsFileOfTheHost, RenderInfoAndImageLeaveItByteForByte) {
  const fs::path config = freshFolder("host-settings");
  std::string settings = "[Kestrelmove]\r\nScale=120\r\nAspectMode=7500\r\n";
  for (int i = 0; settings.size() < 2048; ++i) settings += "SomeOtherTool" + std::to_string(i) + "=kept exactly\r\n";
  settings.resize(2048 - 2);
  settings += "\r\n";
  const fs::path file = config / "Kestrelmove.ini";
  std::ofstream(file, std::ios::binary) << settings;
  struct stat before {};
  ASSERT_EQ(stat(file.c_str(), &before), 0);

  const std::string previous = std::getenv("KESTRELMOVE_CONFIG_DIR") ? std::getenv("KESTRELMOVE_CONFIG_DIR") : "";
  setenv("KESTRELMOVE_CONFIG_DIR", config.c_str(), 1);
  const fs::path show = config / "show.kmv";
  writeBytes(show, showWithKeys({0, 8}));
  const RunResult render = runProgram({"render", show.string(), "--threads", "3", "-o", (config / "f%02d.png").string()});
  const RunResult info = runProgram({"info"});
  const RunResult image = runProgram({"image", "convert", pictureFile(), (config / "p.bmp").string()});
  setenv("KESTRELMOVE_CONFIG_DIR", previous.c_str(), 1);

  EXPECT_EQ(render.exitCode, 0) << render.err;
  EXPECT_TRUE(fs::exists(config / "f08.png"));
  EXPECT_EQ(info.exitCode, 0) << info.err;
  EXPECT_EQ(image.exitCode, 0) << image.err;
  EXPECT_EQ(readText(file), settings);
  struct stat after {};
  ASSERT_EQ(stat(file.c_str(), &after), 0);
  // Not even rewritten with the same bytes.
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

TEST(Arguments, AFrameTooLargeForItsHeaderIsRefusedBeforeAnyAllocation) {
  HostFrame frame;
  EXPECT_THROW(frame.create(999999999, 1, 24, true), std::length_error);
  EXPECT_THROW(frame.create(70000, 70000, 32, false), std::length_error);
  EXPECT_TRUE(frame.empty());
  // Ordinary frames keep their padded rows.
  frame.create(13, 2, 24, true);
  EXPECT_EQ(frame.rowStep, 40);
  EXPECT_EQ(frame.header.sizeImage, 80u);
  EXPECT_EQ(frame.pixels.size(), 80u);
}
