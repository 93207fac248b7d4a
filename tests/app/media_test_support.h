#pragma once
// Small movies made by FFmpeg for the render tests, and what ffprobe says about the movies written.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/app/cli_test_support.h"

namespace mediatest {

using namespace clitest;

// Output of a shell command (its standard error dropped).
inline std::string capture(const std::string& command) {
  std::string out;
  if (std::FILE* p = popen((command + " 2>/dev/null").c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

inline std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// Runs ffmpeg with the arguments, writing `output`; false when it fails.
inline bool ffmpeg(const std::string& arguments, const fs::path& output) {
  const std::string command = "ffmpeg -nostdin -v error -y " + arguments + " " + quoted(output);
  return std::system(command.c_str()) == 0 && fs::exists(output);
}

// A test picture movie: `seconds` long at `rate`, width x height, with a sine tone unless `audio` is
// empty (then an ffmpeg audio codec name, such as aac or pcm_s16le).
inline fs::path makeMovie(const fs::path& path, const std::string& rate, double seconds, const std::string& size,
                          const std::string& videoCodec, const std::string& audioCodec,
                          const std::string& extra = "") {
  std::string args = "-f lavfi -i testsrc=size=" + size + ":rate=" + rate;
  if (!audioCodec.empty()) args += " -f lavfi -i sine=frequency=440:sample_rate=48000";
  args += " -t " + std::to_string(seconds) + " -c:v " + videoCodec + " " + extra;
  if (!audioCodec.empty()) args += " -c:a " + audioCodec;
  EXPECT_TRUE(ffmpeg(args, path)) << args;
  return path;
}

// One entry of ffprobe's description of a stream ("v:0", "a:0"), such as codec_name or duration
// (MPEG-TS lists its streams twice, under the program and alone: the first answer counts).
inline std::string probe(const fs::path& movie, const std::string& stream, const std::string& entry) {
  const std::string all = capture("ffprobe -v error -select_streams " + stream + " -show_entries stream=" + entry +
                 " -of default=noprint_wrappers=1:nokey=1 " + quoted(movie));
  return all.substr(0, all.find('\n'));
}

// Frames actually decoded from the video, the check that a container holds what was rendered.
inline int decodedFrames(const fs::path& movie) {
  std::string n = capture("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                "stream=nb_read_frames -of default=noprint_wrappers=1:nokey=1 " + quoted(movie));
  n = n.substr(0, n.find('\n'));
  return n.empty() ? -1 : std::atoi(n.c_str());
}

inline double probeSeconds(const fs::path& movie, const std::string& stream) {
  const std::string d = probe(movie, stream, "duration");
  return d.empty() || d == "N/A" ? -1.0 : std::atof(d.c_str());
}

// The decoded video frames' checksums, one line per frame with its times: equal lines mean equal pictures at equal times.
inline std::string frameChecksums(const std::string& input) {
  return capture("ffmpeg -nostdin -v error " + input + " -map 0:v -f framemd5 - | grep -v '^#' | cut -d, -f2-");
}

}  // namespace mediatest
