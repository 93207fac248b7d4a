#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "app/show_json.h"
#include "tests/show/stored_show_bytes.h"

namespace fs = std::filesystem;
using testbytes::buildShow;
using testbytes::TestKey;
using testbytes::TestPicture;

namespace {

struct ProgramRun {
  int code = -1;
  std::string out;
  std::string err;
};

struct ShowCommands : ::testing::Test {
  fs::path folder;

  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = fs::temp_directory_path() / ("kestrelmove_show_commands_" + std::string(info->name()));
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  fs::path file(const std::string& name) const { return folder / name; }

  static std::string read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void write(const fs::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }

  ProgramRun run(const std::string& arguments) const {
    const fs::path out = folder / "stdout.txt";
    const fs::path err = folder / "stderr.txt";
    const std::string command =
        std::string("'") + KM_PROGRAM_PATH + "' " + arguments + " >'" + out.string() + "' 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    ProgramRun r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = read(out);
    r.err = read(err);
    return r;
  }

  // dump, then build from the dump; returns the rebuilt bytes.
  std::string roundTrip(const std::vector<uint8_t>& original) {
    write(file("in.kmv"), original);
    const ProgramRun dump = run("show dump '" + file("in.kmv").string() + "'");
    EXPECT_EQ(dump.code, 0) << dump.err;
    std::ofstream(file("show.json"), std::ios::binary) << dump.out;
    const ProgramRun build = run("show build '" + file("show.json").string() + "' -o '" + file("out.kmv").string() + "'");
    EXPECT_EQ(build.code, 0) << build.err;
    return read(file("out.kmv"));
  }
};

float bitsToFloat(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

// A show that uses every corner of the format: odd floats, reserved words, a path that is not UTF-8,
// non-zero bytes where a store writes zeros, a sound track.
std::vector<uint8_t> awkwardShow(bool bigEndian) {
  TestPicture p;
  p.path = "/pictures/caf\xE9.bmp";  // Latin-1, as older shows store it
  p.volume = 0xFFFE;
  p.folder = 0x80000001;
  p.brush = -7;
  p.tint = 0xFFFFFFFF;
  p.reserved0 = 1;
  p.reserved1 = 0xFFFFFFFF;
  p.lock = 1;
  TestKey a;
  a.x = 0.1f;
  a.y = -0.0f;
  a.width = std::numeric_limits<float>::denorm_min();
  a.height = std::numeric_limits<float>::max();
  a.rotation = bitsToFloat(0x7FC01234);  // a NaN with a payload
  a.easeCode = std::numeric_limits<float>::infinity();
  a.amount = 1.0f / 3.0f;
  a.r1 = 0xFFFFFFFF;
  a.r5 = 5;
  a.r6 = 6;
  a.r9 = 9;
  a.r11 = 0x44E10000;
  a.tag = 0xFFFF;
  a.flags = 0x8001;
  TestKey b;
  b.time = -3;
  b.x = 16777217.0f;
  TestPicture q;
  q.path = "/p/second.png";
  q.keys = {b, a, b};
  p.keys = {a, b};
  auto bytes = buildShow(bigEndian, 0xFFFF, "/backgrounds/\xC3\xA9t\xC3\xA9.png", {p, q}, "/audio/s.wav", 2, 0);
  bytes[272] = 0x11;              // header zeros
  bytes[334 + 285] = 0x22;        // record zeros
  bytes[8 + 6 + 200] = 0x33;      // behind the background path's end
  bytes[bytes.size() - 1] = 0x44;  // the 4 counted bytes
  return bytes;
}

}  // namespace

TEST_F(ShowCommands, DumpThenBuildReproducesLittleEndianBytes) {
  const auto original = awkwardShow(false);
  EXPECT_EQ(roundTrip(original), std::string(original.begin(), original.end()));
}

TEST_F(ShowCommands, DumpThenBuildReproducesBigEndianBytes) {
  const auto original = awkwardShow(true);
  EXPECT_EQ(roundTrip(original), std::string(original.begin(), original.end()));
}

TEST_F(ShowCommands, DumpThenBuildKeepsBytesBehindTheStoredLength) {
  auto original = buildShow(false, 77, "", {});
  original.insert(original.end(), {1, 2, 3});
  EXPECT_EQ(roundTrip(original), std::string(original.begin(), original.end()));
}

TEST_F(ShowCommands, DumpShowsTheFieldsReadably) {
  TestPicture p;
  p.path = "/p/logo.png";
  TestKey k;
  k.x = 0.1f;
  k.width = 100;
  k.easeCode = 2051;
  p.keys = {k};
  write(file("a.kmv"), buildShow(false, 4660, "/bg.png", {p}));
  const ProgramRun r = run("show dump '" + file("a.kmv").string() + "'");
  ASSERT_EQ(r.code, 0) << r.err;
  const Json j = Json::parse(r.out);
  EXPECT_EQ(j["changeStamp"], 4660);
  EXPECT_EQ(j["bigEndian"], false);
  EXPECT_EQ(j["background"]["path"], "/bg.png");
  EXPECT_EQ(j["soundTrack"], nullptr);
  EXPECT_EQ(j["pictures"][0]["file"]["path"], "/p/logo.png");
  EXPECT_EQ(j["pictures"][0]["keys"][0]["easeCode"], 2051.0);
  // Floats print as their shortest exact form.
  EXPECT_NE(r.out.find("\"x\": 0.1,"), std::string::npos) << r.out;
}

TEST_F(ShowCommands, StatePrintsEveryPictureAtAFrame) {
  TestPicture p;
  p.path = "/p/a.png";
  TestKey a;
  a.width = 100;
  TestKey b;
  b.time = 10;
  b.x = 100;
  b.width = 100;
  p.keys = {a, b};
  TestPicture q = p;
  q.keys[0].easeCode = 4001;
  write(file("s.kmv"), buildShow(false, 1, "", {p, q}));
  const ProgramRun r = run("show state '" + file("s.kmv").string() + "' --frame 5");
  ASSERT_EQ(r.code, 0) << r.err;
  const Json j = Json::parse(r.out);
  ASSERT_EQ(j["pictures"].size(), 2u);
  EXPECT_EQ(j["pictures"][0]["x"], 37.5);
  EXPECT_EQ(j["pictures"][0]["width"], 100.0);
  EXPECT_EQ(j["pictures"][1]["x"], 50.0);
  EXPECT_EQ(j["pictures"][1]["easeCode"], 4001.0);
  const ProgramRun half = run("show state '" + file("s.kmv").string() + "' --frame 5 --half-frame");
  ASSERT_EQ(half.code, 0) << half.err;
  EXPECT_EQ(Json::parse(half.out)["pictures"][1]["x"], 55.0);
}

TEST_F(ShowCommands, BadFilesGiveOneLineNamingTheFileAndCode2) {
  auto wrongMagic = buildShow(false, 1, "", {});
  wrongMagic[0] = 0;
  write(file("magic.kmv"), wrongMagic);
  auto full = buildShow(false, 1, "", {});
  write(file("short.kmv"), std::vector<uint8_t>(full.begin(), full.begin() + 200));
  TestPicture p;
  p.path = "/p/a.png";
  p.keys.resize(1);
  auto absurd = buildShow(false, 1, "", {p});
  absurd[334 + 294 + 3] = 0x7F;  // key count 0x7F000001
  write(file("absurd.kmv"), absurd);

  const std::pair<const char*, const char*> cases[] = {
      {"magic.kmv", "magic"}, {"short.kmv", "truncated"}, {"absurd.kmv", "key count"}, {"missing.kmv", "cannot be opened"}};
  for (const auto& [name, problem] : cases) {
    for (const char* command : {"show dump", "show state --frame 3"}) {
      SCOPED_TRACE(std::string(command) + " " + name);
      const ProgramRun r = run(std::string(command) + " '" + file(name).string() + "'");
      EXPECT_EQ(r.code, 2);
      EXPECT_TRUE(r.out.empty());
      EXPECT_NE(r.err.find(file(name).string()), std::string::npos) << r.err;
      EXPECT_NE(r.err.find(problem), std::string::npos) << r.err;
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
  }
}

TEST_F(ShowCommands, BuildRefusesBadJsonAndWritesNothing) {
  const std::pair<const char*, const char*> cases[] = {
      {"{ not json", "not valid JSON"},
      {R"({"changeStamp": 1, "background": {"path": ""}, "pictures": [{"file": {"path": "a"}, "keys": []}]})",
       "show.pictures[0].keys: has 0 keys"},
      {R"({"changeStamp": 70000, "background": {"path": ""}, "pictures": []})", "show.changeStamp: out of range"},
      {R"({"changeStamp": 1, "background": {"path": ""}, "pictures": [{"file": {"path": "a"},
          "keys": [{"time": 0, "x": "wide", "y": 0, "width": 0, "height": 0, "rotation": 0, "easeCode": 0,
          "amount": 0}]}]})",
       "show.pictures[0].keys[0].x"},
  };
  for (const auto& [text, problem] : cases) {
    SCOPED_TRACE(problem);
    std::ofstream(file("bad.json")) << text;
    const ProgramRun r = run("show build '" + file("bad.json").string() + "' -o '" + file("never.kmv").string() + "'");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("bad.json"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(problem), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(file("never.kmv")));
  }
}

TEST_F(ShowCommands, DumpThenBuildKeepsPathsThatFillAllTheirBytes) {
  // No end mark in any of the three paths: the text form alone would be one byte too long to build.
  StoredShow show;
  std::memset(show.background.path, 'b', sizeof show.background.path);
  StoredPicture p;
  std::memset(p.file.path, 'p', sizeof p.file.path);
  p.keys.push_back(KeyFrame{});
  show.pictures.push_back(p);
  show.hasSoundTrack = true;
  std::memset(show.soundTrack.path, 's', sizeof show.soundTrack.path);
  const std::vector<uint8_t> original = encodeStoredShow(show);
  EXPECT_EQ(roundTrip(original), std::string(original.begin(), original.end()));
}

TEST(ShowJson, HexTextRoundTripsAndRejectsJunk) {
  const uint8_t bytes[] = {0x00, 0x7F, 0xA5, 0xFF};
  EXPECT_EQ(toHex(bytes, 4), "007fa5ff");
  std::vector<uint8_t> back;
  ASSERT_TRUE(fromHex("007FA5ff", back));
  EXPECT_EQ(back, std::vector<uint8_t>(bytes, bytes + 4));
  EXPECT_FALSE(fromHex("abc", back));
  EXPECT_FALSE(fromHex("zz", back));
}

TEST(ShowJson, FloatsKeepTheirBits) {
  StoredShow show;
  StoredPicture p;
  KeyFrame k;
  const uint32_t patterns[] = {0x3DCCCCCD, 0x80000000, 0x00000001, 0x7F7FFFFF, 0x7FC01234, 0xFF800000, 0x4B800001};
  for (uint32_t bits : patterns) {
    std::memcpy(&k.x, &bits, 4);
    p.keys = {k};
    show.pictures = {p};
    const std::string text = storedShowToJson(show).dump();
    StoredShow back;
    std::string error;
    ASSERT_TRUE(storedShowFromJson(Json::parse(text), back, error)) << error;
    uint32_t got;
    std::memcpy(&got, &back.pictures[0].keys[0].x, 4);
    EXPECT_EQ(got, bits) << text;
  }
}
