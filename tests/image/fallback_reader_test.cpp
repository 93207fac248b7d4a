// Files the system's own readers refuse as compressed or do not know, read through FFmpeg's image
// decoders behind the signature dispatch; the readers' own results stay for what nothing can read.
#include <gtest/gtest.h>

#include "tests/image/ffmpeg_made_files.h"

namespace {

using namespace imagetest;

constexpr int kWidth = 9, kHeight = 6;

struct FallbackCase {
  const char* name;
  const char* file;     // the name ffmpeg writes, whose extension picks its encoder
  const char* options;  // ffmpeg's output options
  Source source;
  Reader ownReader;     // the system's reader that refuses the file, or null for unknown formats
};

class FallbackFromFfmpeg : public ::testing::TestWithParam<FallbackCase> {
 protected:
  void SetUp() override {
    if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  }
  TempFolder folder;
};

TEST_P(FallbackFromFfmpeg, ReadsTheSourcePixels) {
  const FallbackCase& c = GetParam();
  const std::string path = folder.file(c.file);
  ASSERT_TRUE(ffmpegConvert(writeSource(folder, kWidth, kHeight, c.source), c.options, path));
  if (c.ownReader) {
    ImageBuffer refused;
    EXPECT_EQ(readFromMemory(c.ownReader, readBytes(path), c.file, refused), kReadUnsupported);
  }
  ImageBuffer b(16, 16, 8);
  ASSERT_EQ(loadFile(path, b), kReadOk);
  expectSourcePixels(b, kWidth, kHeight, c.source);
}

INSTANTIATE_TEST_SUITE_P(
    RefusedOrUnknown, FallbackFromFfmpeg,
    ::testing::Values(
        FallbackCase{"RunLengthTarga32", "rle32.tga", "-rle 1 -pix_fmt bgra", Source::alphaRuns, readTarga},
        FallbackCase{"RunLengthTarga24", "rle24.tga", "-rle 1 -pix_fmt bgr24", Source::opaqueRuns, readTarga},
        FallbackCase{"RunLengthTargaGrey", "rlegrey.tga", "-rle 1 -pix_fmt gray", Source::greyRuns, readTarga},
        FallbackCase{"LzwTiff", "lzw.tif", "-compression_algo lzw -pix_fmt rgb24", Source::opaque, readTiff},
        FallbackCase{"DeflateTiff", "deflate.tif", "-compression_algo deflate -pix_fmt rgba", Source::alpha, readTiff},
        FallbackCase{"PackBitsTiff", "packbits.tif", "-compression_algo packbits -pix_fmt rgb24", Source::opaque,
                     readTiff},
        FallbackCase{"Ppm", "picture.ppm", "", Source::opaque, nullptr},
        FallbackCase{"Qoi", "picture.qoi", "-pix_fmt rgba", Source::alpha, nullptr},
        FallbackCase{"Sgi", "picture.sgi", "", Source::opaque, nullptr}),
    [](const ::testing::TestParamInfo<FallbackCase>& info) { return std::string(info.param.name); });

TEST(FallbackReader, SixteenBitTiffIsThePictureNotStripes) {
  if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  TempFolder folder;
  for (const char* format : {"rgb48le", "rgba64be", "gray16le"}) {
    const Source kind = std::string(format) == "gray16le" ? Source::grey
                        : std::string(format) == "rgba64be" ? Source::alpha
                                                            : Source::opaque;
    const std::string path = folder.file(std::string(format) + ".tif");
    ASSERT_TRUE(ffmpegConvert(writeSource(folder, kWidth, kHeight, kind), std::string("-compression_algo raw -pix_fmt ") + format, path));
    // Uncompressed, yet the system's reader takes only 8-bit samples and says so.
    ImageBuffer refused;
    EXPECT_EQ(readFromMemory(readTiff, readBytes(path), "wide.tif", refused), kReadUnsupported) << format;

    ImageBuffer b;
    ASSERT_EQ(loadFile(path, b), kReadOk) << format;
    ASSERT_EQ(b.width(), kWidth);
    ASSERT_EQ(b.height(), kHeight);
    // Widening to 16 bits and narrowing back may move a sample by one step, never more.
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const Rgba got = pixel(b, x, y), want = sourceColour(x, y, kind);
        ASSERT_LE(std::abs(got.r - want.r), 1) << format << " at (" << x << ", " << y << ")";
        ASSERT_LE(std::abs(got.g - want.g), 1) << format << " at (" << x << ", " << y << ")";
        ASSERT_LE(std::abs(got.b - want.b), 1) << format << " at (" << x << ", " << y << ")";
        ASSERT_LE(std::abs(got.a - want.a), 1) << format << " at (" << x << ", " << y << ")";
      }
  }
}

TEST(FallbackReader, OwnReadersKeepWhatTheyTake) {
  // An uncompressed Targa and TIFF still come from the system's readers, with their own depths.
  TempFolder folder;
  ImageBuffer b;
  TgaSpec tga;
  tga.bits = 24;
  ASSERT_EQ(loadFile(folder.write("plain.tga", makeTga(tga)).pathText(), b), kReadOk);
  EXPECT_EQ(b.bitsPerPixel(), 24);
  TiffSpec tiff;
  ASSERT_EQ(loadFile(folder.write("plain.tif", makeTiff(tiff)).pathText(), b), kReadOk);
  EXPECT_EQ(b.bitsPerPixel(), 24);
}

TEST(FallbackReader, MessagesOfTheOwnReadersStayForWhatNothingReads) {
  TempFolder folder;
  RecordingHooks hooks;
  ImageBuffer b;
  // A run-length Targa header with no pixels behind it: no decoder makes a picture of it.
  TgaSpec tga;
  tga.type = 10;
  Bytes header = makeTga(tga);
  header.resize(18);
  const FileSpec empty = folder.write("empty-rle.tga", header);
  EXPECT_EQ(loadFile(empty.pathText(), b), kReadUnsupported);
  EXPECT_EQ(b.loadWithMessages(empty, nullptr, true), 0);
  // Bytes of no known format, and an LZW TIFF whose data is missing.
  const FileSpec noise = folder.write("noise.bin", Bytes(64, 0x5A));
  EXPECT_EQ(loadFile(noise.pathText(), b), kReadFormatError);
  EXPECT_EQ(b.loadWithMessages(noise, nullptr, true), 0);
  ASSERT_EQ(hooks.messages.size(), 2u);
  EXPECT_EQ(hooks.messages[0], "Can't read compressed images");
  EXPECT_EQ(hooks.messages[1], "Can't read image file  [ 3 ]");
}

}  // namespace
