// Any frame of a movie asked for out of order is the picture a decode from the start gives, byte for
// byte, for every kind of movie the renderer takes, and is reached from the keyframe before it.
#include <random>

extern "C" {
#include <libavformat/avformat.h>
}

#include "app/media/frame_cache.h"
#include "app/media/movie_index.h"
#include "app/media/video_source.h"
#include "tests/app/media_test_support.h"

using namespace mediatest;

namespace {

struct MovieKind {
  const char* file;
  const char* codec;
  const char* options;
  double seconds;
  int keyframeInterval;  // 0: a movie without time stamps, decoded from the start
  const char* cutFrom = nullptr;  // made from this movie by a stream copy from the time in `options`
};

// Every frame of one decode from the start, without the index.
std::vector<std::vector<uint8_t>> framesInOrder(const fs::path& movie) {
  std::string error;
  auto source = openMovieSource(movie.string(), error, false);
  EXPECT_TRUE(source) << error;
  std::vector<std::vector<uint8_t>> frames;
  for (int n = 0; source && n < source->frameCount(); ++n) {
    const HostFrame* frame = source->frame(n, error);
    if (!frame) break;
    frames.push_back(frame->pixels);
  }
  return frames;
}

}  // namespace

TEST(MovieSeek, JumpsGiveTheFramesOfADecodeFromTheStartForEveryKindOfMovie) {
  const fs::path folder = freshFolder("seek");
  const MovieKind kinds[] = {
      {"h264-30.mp4", "libx264", "-bf 3 -g 30 -keyint_min 30 -sc_threshold 0", 4, 30},
      // Cut between keyframes: an edit list whose first frames are decoded but never shown.
      {"cut.mp4", "", "-ss 1.3", 0, 30, "h264-30.mp4"},
      {"h264-250.mp4", "libx264", "-bf 3 -g 250", 12, 250},
      {"h264-open.mkv", "libx264", "-bf 3 -g 25 -x264-params open-gop=1 -output_ts_offset 2", 4, 25},
      {"hevc.mp4", "libx265", "-g 30 -x265-params log-level=error:open-gop=1", 4, 30},
      {"prores.mov", "prores_ks", "", 2, 1},
      // Fragments: samples listed in the fragments only, or some in the header and the rest in fragments.
      {"frag.mp4", "libx264", "-bf 3 -g 30 -movflags frag_keyframe+empty_moov", 4, 30},
      {"frag-moov.mp4", "libx264", "-bf 3 -g 30 -movflags frag_keyframe", 4, 30},
      {"h264.ts", "libx264", "-bf 3 -g 30", 4, 30},
      {"mpeg2.ts", "mpeg2video", "-bf 2 -g 15", 4, 15},
      {"vp9.webm", "libvpx-vp9", "-g 30 -deadline realtime -cpu-used 8", 4, 30},
      // Frames missing here and there: time stamps at uneven steps.
      {"vfr.mkv", "libx264", "-bf 2 -g 20 -vf select='not(eq(mod(n\\,7)\\,3))' -fps_mode vfr", 4, 20},
      // No time stamps on the frames behind B-frames, or none at all in a stream that cannot seek:
      // decoded from the start.
      {"bframes.avi", "mpeg4", "-bf 2 -g 20", 3, 0},
      {"raw.h264", "libx264", "-bf 3 -g 30", 3, 0},
  };
  std::mt19937 random(23);
  for (const MovieKind& kind : kinds) {
    SCOPED_TRACE(kind.file);
    const fs::path movie =
        kind.cutFrom ? folder / kind.file
                     : makeMovie(folder / kind.file, "25", kind.seconds, "96x64", kind.codec, "", kind.options);
    if (kind.cutFrom) {
      ASSERT_TRUE(ffmpeg(std::string(kind.options) + " -i " + quoted(folder / kind.cutFrom) + " -c copy", movie));
    }
    const std::vector<std::vector<uint8_t>> expected = framesInOrder(movie);
    ASSERT_GT(expected.size(), 20u);
    std::string error;
    const int last = int(expected.size()) - 1;
    std::vector<int> wanted{last};
    for (int i = 0; i < 100; ++i) wanted.push_back(std::uniform_int_distribution<int>(0, last)(random));
    wanted.push_back(last + 5);  // past the end the last frame holds
    // One decoding thread, and two as the editor has (frame threads hold frames back after a seek).
    for (const int threads : {1, 2}) {
      SCOPED_TRACE(threads);
      auto source = openMovieSource(movie.string(), error);
      ASSERT_TRUE(source) << error;
      source->setDecodeThreads(threads);
      for (const int n : wanted) {
        const int64_t before = source->framesDecoded();
        const HostFrame* frame = source->frame(n, error);
        ASSERT_TRUE(frame) << n << ": " << error;
        ASSERT_TRUE(frame->pixels == expected[size_t(std::min(n, last))]) << "frame " << n;
        // Frames shown before their keyframe (open GOPs) start from the keyframe before.
        if (kind.keyframeInterval > 0) {
          EXPECT_LE(source->framesDecoded() - before, 2 * kind.keyframeInterval + 4) << "frame " << n;
        }
      }
    }
  }
}

TEST(MovieSeek, ARenderFromTheMiddleDecodesFromTheKeyframeBeforeItsFirstFrame) {
  const fs::path folder = freshFolder("seek-render");
  const fs::path in = makeMovie(folder / "in.mp4", "25", 6, "64x48", "libx264", "", "-bf 3 -g 30 -sc_threshold 0");
  std::string error;
  auto source = openMovieSource(in.string(), error);
  ASSERT_TRUE(source) << error;
  for (int n = 100; n <= 124; ++n) ASSERT_TRUE(source->frame(n, error)) << error;
  EXPECT_LE(source->framesDecoded(), 25 + 30);

  // A chunk from the middle holds the whole render's frames (FFV1 is lossless).
  const std::string show = movingShowFile().string();
  for (const auto& [frames, name] : {std::pair{"0-149", "whole.mkv"}, {"100-124", "chunk.mkv"}}) {
    const RunResult r = runProgram({"render", show, "-i", in.string(), "--frames", frames, "-c:v", "ffv1", "-o",
                                    (folder / name).string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  const auto pictures = [&](const std::string& name) {
    return capture("ffmpeg -nostdin -v error -i " + quoted(folder / name) +
                   " -map 0:v -f framemd5 - | grep -v '^#' | cut -d, -f6");
  };
  const std::string whole = pictures("whole.mkv"), chunk = pictures("chunk.mkv");
  ASSERT_EQ(std::count(chunk.begin(), chunk.end(), '\n'), 24);
  size_t from = 0;
  for (int line = 0; line < 100; ++line) from = whole.find('\n', from) + 1;
  EXPECT_EQ(whole.substr(from, chunk.size()), chunk);
}

// The packets found from a QuickTime movie's sample tables without reading the samples are those a read
// through the whole file finds, with the sound interleaved, an edit list and B-frames; movies whose
// samples are not all in the tables are left to the read through.
TEST(MovieIndex, SampleTablesGiveThePacketsAReadThroughFinds) {
  const fs::path folder = freshFolder("index");
  const fs::path h264 = makeMovie(folder / "h264.mp4", "25", 3, "64x48", "libx264", "aac", "-bf 3 -g 12");
  const fs::path cut = folder / "cut.mov";
  ASSERT_TRUE(ffmpeg("-ss 0.7 -i " + quoted(h264) + " -c copy", cut));
  const fs::path hevc = makeMovie(folder / "hevc.mov", "25", 2, "64x48", "libx265", "pcm_s16le",
                                  "-x265-params log-level=error:open-gop=1:keyint=10");
  const fs::path prores = makeMovie(folder / "prores.mov", "30000/1001", 1, "64x48", "prores_ks", "pcm_s16le");
  const fs::path fragments = folder / "fragments.mp4", headed = folder / "headed.mp4";
  ASSERT_TRUE(ffmpeg("-i " + quoted(h264) + " -c copy -movflags frag_keyframe+empty_moov", fragments));
  ASSERT_TRUE(ffmpeg("-i " + quoted(h264) + " -c copy -movflags frag_keyframe", headed));
  for (const fs::path& movie : {h264, cut, hevc, prores, fragments, headed}) {
    SCOPED_TRACE(movie.filename().string());
    AVFormatContext* container = nullptr;
    ASSERT_GE(avformat_open_input(&container, movie.c_str(), nullptr, nullptr), 0);
    ASSERT_GE(avformat_find_stream_info(container, nullptr), 0);
    const int video = av_find_best_stream(container, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    PacketIndex read, tables;
    EXPECT_TRUE(indexByReadingPackets(container, video, read));
    avformat_close_input(&container);
    ASSERT_TRUE(indexBySampleTables(movie.string(), video, tables));
    ASSERT_EQ(tables.packets(), read.packets());
    for (int i = 0; i < read.packets(); ++i) {
      const PacketEntry &a = tables.packet(i), &b = read.packet(i);
      EXPECT_TRUE(a.pos == b.pos && a.dts == b.dts && a.pts == b.pts && a.key == b.key && a.discard == b.discard)
          << "packet " << i;
    }
  }
  PacketIndex none;
  EXPECT_FALSE(indexBySampleTables((folder / "missing.mp4").string(), 0, none));
}

TEST(FrameCache, KeepsTheFramesUsedLastWithinItsBudget) {
  HostFrame picture;
  picture.create(4, 2, 24, false);
  FrameCache cache(3 * picture.pixels.size());
  for (int n = 0; n < 3; ++n) {
    picture.pixels[0] = uint8_t(n);
    cache.keep(n, picture);
  }
  ASSERT_TRUE(cache.find(0));  // 0 is now the most recently used, 1 the least
  picture.pixels[0] = 3;
  cache.keep(3, picture);
  EXPECT_FALSE(cache.find(1));
  for (const int n : {0, 2, 3}) {
    const HostFrame* kept = cache.find(n);
    ASSERT_TRUE(kept) << n;
    EXPECT_EQ(kept->pixels[0], n);
  }
  cache.keep(3, picture);  // kept again: replaced, not counted twice
  EXPECT_EQ(cache.bytes(), 3 * picture.pixels.size());
}
