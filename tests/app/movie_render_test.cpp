// Movies as people expect them from `kestrelmove render`: the input's sound and rate kept, exact
// frame counts at every rate, chunks that join into the whole, the stage chosen by the output's
// aspect, the input's picture description and the encoder choices carried through.
#include "app/media/frame_rate.h"
#include "app/media/output_path.h"
#include "show/stored_show.h"
#include "tests/app/media_test_support.h"

using namespace mediatest;

namespace {

// The show rendered directly over a plain colour at frame `time`.
ImageBuffer renderOverColourWith(ShowState& show, int width, int height, uint8_t r, uint8_t g, uint8_t b, int time) {
  RenderRecords records(nullptr, width, height, 24);
  for (size_t i = 0; i < records.source.size(); i += 3) {
    records.source[i] = b;
    records.source[i + 1] = g;
    records.source[i + 2] = r;
  }
  ImageBuffer out(width, height, 32);
  SourceFrameInput input(records.source, width, height);
  ImageBuffer background(8, 8, 32);
  EXPECT_TRUE(renderShow(show, renderOptionsOf(show), time, 0, 0, out, &input, background));
  return out;
}

RunResult render(std::vector<std::string> args) {
  args.insert(args.begin(), "render");
  return runProgram(args);
}

}  // namespace

TEST(FrameRateText, DecimalsFractionsAndTheNearestRateCode) {
  FrameRate r;
  ASSERT_TRUE(parseFrameRate("25", r));
  EXPECT_EQ(r, (FrameRate{25, 1}));
  ASSERT_TRUE(parseFrameRate("29.97", r));
  EXPECT_EQ(r, (FrameRate{30000, 1001}));
  ASSERT_TRUE(parseFrameRate("23.976", r));
  EXPECT_EQ(r, (FrameRate{24000, 1001}));
  ASSERT_TRUE(parseFrameRate("59.94", r));
  EXPECT_EQ(r, (FrameRate{60000, 1001}));
  ASSERT_TRUE(parseFrameRate("12.5", r));
  EXPECT_EQ(r, (FrameRate{25, 2}));
  ASSERT_TRUE(parseFrameRate("50000/2000", r));
  EXPECT_EQ(r, (FrameRate{25, 1}));
  for (const char* bad : {"", "0", "-25", "0/1", "25/0", "abc", "2.5.1", "30000/", "1e3", "99999999999"})
    EXPECT_FALSE(parseFrameRate(bad, r)) << bad;

  EXPECT_EQ(rateCodeNearest(FrameRate{30000, 1001}), 0);
  EXPECT_EQ(rateCodeNearest(FrameRate{60000, 1001}), 0);
  EXPECT_EQ(rateCodeNearest(FrameRate{50, 1}), 0);
  EXPECT_EQ(rateCodeNearest(FrameRate{25, 1}), KM_RATE_CODE_25);
  EXPECT_EQ(rateCodeNearest(FrameRate{26, 1}), KM_RATE_CODE_25);
  EXPECT_EQ(rateCodeNearest(FrameRate{24000, 1001}), KM_RATE_CODE_24);
  EXPECT_EQ(rateCodeNearest(FrameRate{12, 1}), KM_RATE_CODE_24);
}

TEST(MovieSound, InputSoundIsCarriedAndCutToTheRenderedFrames) {
  const fs::path folder = freshFolder("sound");
  const fs::path mp4 = makeMovie(folder / "in.mp4", "25", 2, "64x36", "libx264", "aac");
  const std::string show = movingShowFile().string();

  // Frames 10-34 at 25 fps are one second, from 0.4 s into the input.
  const fs::path out = folder / "out.mp4";
  RunResult r = render({show, "-i", mp4.string(), "-o", out.string(), "--frames", "10-34"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(probe(out, "a:0", "codec_name"), "aac");
  EXPECT_NEAR(probeSeconds(out, "a:0"), 1.0, 0.05);
  EXPECT_EQ(decodedFrames(out), 25);

  r = render({show, "-i", mp4.string(), "-o", (folder / "silent.mp4").string(), "--no-audio"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(probe(folder / "silent.mp4", "a", "codec_name"), "");
  EXPECT_EQ(decodedFrames(folder / "silent.mp4"), 50);

  // PCM stays PCM in a .mov; an .mp4 cannot hold it and gets AAC of the same length.
  const fs::path mov = makeMovie(folder / "in.mov", "25", 2, "64x36", "mpeg4", "pcm_s16le");
  r = render({show, "-i", mov.string(), "-o", (folder / "pcm.mov").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(probe(folder / "pcm.mov", "a:0", "codec_name"), "pcm_s16le");
  EXPECT_NEAR(probeSeconds(folder / "pcm.mov", "a:0"), 2.0, 0.03);
  r = render({show, "-i", mov.string(), "-o", (folder / "pcm.mp4").string(), "--frames", "0-24"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(probe(folder / "pcm.mp4", "a:0", "codec_name"), "aac");
  EXPECT_NEAR(probeSeconds(folder / "pcm.mp4", "a:0"), 1.0, 0.05);
}

TEST(MovieSound, AShowsSoundTrackOrANamedFileIsTheSoundWithoutAnInputMovie) {
  const fs::path folder = freshFolder("sound-track");
  ASSERT_TRUE(ffmpeg("-f lavfi -i sine=frequency=300:sample_rate=44100 -t 3", folder / "theme.wav"));
  // The moving show naming its sound track by a path relative to the show's own folder.
  StoredShow stored;
  std::string error;
  const std::vector<uint8_t> block = movingShowBlock();
  ASSERT_TRUE(parseStoredShow(block.data(), block.size(), stored, error)) << error;
  stored.hasSoundTrack = true;
  stored.soundTrack.setPath("theme.wav");
  const std::vector<uint8_t> bytes = encodeStoredShow(stored);
  const fs::path show = folder / "with-sound.kmv";
  std::ofstream(show, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));

  // Run from another folder: the track is found beside the show.
  const fs::path out = folder / "out.mp4";
  RunResult r = render({show.string(), "-i", "#203040", "--size", "64x36", "--rate", "25", "--frames", "0-49", "-o",
                        out.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(probe(out, "a:0", "codec_name"), "aac");
  EXPECT_NEAR(probeSeconds(out, "a:0"), 2.0, 0.05);

  const fs::path named = folder / "named.mkv";
  r = render({movingShowFile().string(), "--size", "64x36", "--rate", "25", "--frames", "0-24", "--audio",
              (folder / "theme.wav").string(), "-o", named.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NEAR(probeSeconds(named, "a:0") > 0 ? probeSeconds(named, "a:0") : 1.0, 1.0, 0.05);
  EXPECT_NE(probe(named, "a:0", "codec_name"), "");

  r = render({movingShowFile().string(), "--audio", (folder / "none.wav").string(), "-o", (folder / "x.mp4").string()});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("none.wav"), std::string::npos) << r.err;
}

TEST(MovieRate, TheInputsRateAndLengthAreKept) {
  const fs::path folder = freshFolder("rate-25");
  const fs::path in = makeMovie(folder / "in.mp4", "25", 4, "64x36", "libx264", "aac");
  const fs::path out = folder / "out.mp4";
  const RunResult r = render({movingShowFile().string(), "-i", in.string(), "-o", out.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(probe(out, "v:0", "r_frame_rate"), "25/1");
  EXPECT_EQ(decodedFrames(out), 100);
  EXPECT_NEAR(probeSeconds(out, "v:0"), 4.0, 0.001);
  EXPECT_NEAR(probeSeconds(out, "a:0"), 4.0, 0.05);
}

TEST(MovieRate, EveryRateHoldsExactlyTheFramesRendered) {
  const fs::path folder = freshFolder("rates");
  const std::string show = movingShowFile().string();
  for (const char* rate : {"30000/1001", "25", "50", "60000/1001", "24000/1001", "24", "12.5"}) {
    for (const char* name : {"r.mp4", "r.mov", "r.mkv", "r.ts"}) {
      const fs::path out = folder / name;
      const RunResult r = render({show, "-i", "#405060", "--size", "32x18", "--frames", "5-17", "--rate", rate, "-o",
                                  out.string(), "-y"});
      ASSERT_EQ(r.exitCode, 0) << rate << " " << name << ": " << r.err;
      EXPECT_EQ(decodedFrames(out), 13) << rate << " " << name;
      FrameRate wanted;
      ASSERT_TRUE(parseFrameRate(rate, wanted));
      const std::string written = probe(out, "v:0", "r_frame_rate");
      if (std::string(name) != "r.mkv") {
        EXPECT_EQ(written, describeFrameRate(wanted).find('/') == std::string::npos ? describeFrameRate(wanted) + "/1"
                                                                                     : describeFrameRate(wanted))
            << rate << " " << name;
      } else {
        // Matroska keeps milliseconds, so NTSC rates come back rounded.
        FrameRate got;
        ASSERT_TRUE(parseFrameRate(written, got)) << written;
        EXPECT_NEAR(got.perSecond(), wanted.perSecond(), wanted.perSecond() * 0.001) << rate;
      }
    }
  }
  const RunResult bad = render({show, "--rate", "0", "-o", (folder / "bad.mp4").string()});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find("rate '0'"), std::string::npos) << bad.err;
}

TEST(MovieChunks, ChunksJoinedWithConcatAreTheWholeRender) {
  const fs::path folder = freshFolder("chunks");
  const fs::path in = makeMovie(folder / "in.mp4", "25", 2, "64x36", "libx264", "");
  const std::string show = movingShowFile().string();
  // FFV1 is lossless, so equal frames prove that the chunks hold the same pictures at the same times.
  for (const auto& [frames, name] : {std::pair{"0-49", "whole.mkv"}, {"0-20", "a.mkv"}, {"21-49", "b.mkv"}}) {
    const RunResult r = render({show, "-i", in.string(), "--frames", frames, "-c:v", "ffv1", "-o", (folder / name).string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  std::ofstream(folder / "list.txt") << "file 'a.mkv'\nfile 'b.mkv'\n";
  const std::string joined = frameChecksums("-f concat -safe 0 -i " + quoted(folder / "list.txt"));
  const std::string whole = frameChecksums("-i " + quoted(folder / "whole.mkv"));
  EXPECT_EQ(std::count(whole.begin(), whole.end(), '\n'), 49);
  EXPECT_EQ(joined, whole);

  // H.264 chunks join into as many frames, at the same times.
  for (const auto& [frames, name] : {std::pair{"0-20", "a.mp4"}, {"21-49", "b.mp4"}})
    ASSERT_EQ(render({show, "-i", in.string(), "--frames", frames, "-o", (folder / name).string()}).exitCode, 0);
  std::ofstream(folder / "list2.txt") << "file 'a.mp4'\nfile 'b.mp4'\n";
  const std::string pts = capture("ffprobe -v error -f concat -safe 0 -i " + quoted(folder / "list2.txt") +
                                  " -select_streams v -show_entries frame=pts -of default=noprint_wrappers=1:nokey=1 | grep -E '^[0-9]+$' | "
                                  "sort -n | tr '\\n' ' '");
  std::string expected;
  for (int i = 0; i < 50; ++i) expected += std::to_string(i * 512) + " ";
  EXPECT_EQ(pts, expected);
}

TEST(MovieStage, WideOutputsUseTheWideStageForThatRunOnly) {
  const fs::path folder = freshFolder("stage");
  const std::string show = movingShowFile().string();
  auto renderedFrame = [&](const std::string& size, const std::vector<std::string>& more) {
    const std::string pattern = (folder / ("s" + size + std::to_string(more.size()) + "_%d.png")).string();
    std::vector<std::string> args{show, "-i", "#102030", "--size", size, "--frames", "12", "-o", pattern, "-y"};
    args.insert(args.end(), more.begin(), more.end());
    const RunResult r = render(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return readPicture(sequenceFileName(pattern, 12));
  };
  // The show as the "AspectMode" setting renders it on its 16:9 (5625) and 4:3 (7500) stages.
  const std::vector<uint8_t> block = movingShowBlock();
  auto direct = [&](long aspectMode, int width, int height) {
    SettingsFile settings;
    settings.setInteger("AspectMode", aspectMode);
    ShowState shown(settings);
    EXPECT_TRUE(shown.loadShow(block.data(), block.size(), false));
    return renderOverColourWith(shown, width, height, 0x10, 0x20, 0x30, 12);
  };
  auto matchingLines = [](const RgbImage& written, const ImageBuffer& expected) {
    int n = 0;
    for (int line = 0; line < written.height; ++line) n += lineMatches(written, line, expected, line);
    return n;
  };
  const ImageBuffer wide = direct(5625, 64, 36), narrow = direct(7500, 64, 36);
  const RgbImage byDefault = renderedFrame("64x36", {});
  EXPECT_EQ(matchingLines(byDefault, wide), 36);
  EXPECT_LT(matchingLines(byDefault, narrow), 36);
  EXPECT_EQ(matchingLines(renderedFrame("64x36", {"--aspect", "4:3"}), narrow), 36);
  // 4:3 outputs keep the 4:3 stage unless asked, and the wide runs left the setting alone.
  EXPECT_EQ(matchingLines(renderedFrame("48x36", {}), direct(7500, 48, 36)), 36);
  EXPECT_EQ(matchingLines(renderedFrame("48x36", {"--aspect", "16:9"}), direct(5625, 48, 36)), 36);
  SettingsFile settings;
  EXPECT_EQ(settings.getInteger("AspectMode", 7500), 7500);
}
