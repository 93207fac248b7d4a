// Files the system's own readers refuse as compressed or do not know, read through FFmpeg's image
// decoders behind the signature dispatch; the readers' own results stay for what nothing can read.
#include <gtest/gtest.h>

#include <random>

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
  // The Targa decoder takes the header and finds no pixels: damaged, not merely compressed.
  EXPECT_EQ(loadFile(empty.pathText(), b), kReadFormatError);
  EXPECT_EQ(b.loadWithMessages(empty, nullptr, true), 0);
  // Bytes of no known format, and an LZW TIFF whose data is missing.
  const FileSpec noise = folder.write("noise.bin", Bytes(64, 0x5A));
  EXPECT_EQ(loadFile(noise.pathText(), b), kReadFormatError);
  EXPECT_EQ(b.loadWithMessages(noise, nullptr, true), 0);
  ASSERT_EQ(hooks.messages.size(), 2u);
  EXPECT_EQ(hooks.messages[0], "Can't read image file (Targa data that does not decode: Invalid data found when processing input)  [ 3 ]");
  EXPECT_EQ(hooks.messages[1], "Can't read image file  [ 3 ]");
}

// The entry of a TIFF tag in the file's first directory (little-endian files), set to a new value.
void setTiffTag(Bytes& tiff, uint32_t tag, uint32_t value) {
  const size_t directory = size_t(tiff[4] | tiff[5] << 8 | tiff[6] << 16 | uint32_t(tiff[7]) << 24);
  const size_t entries = size_t(tiff[directory] | tiff[directory + 1] << 8);
  for (size_t i = 0; i < entries; ++i) {
    const size_t at = directory + 2 + 12 * i;
    if ((tiff[at] | tiff[at + 1] << 8) == int(tag)) return set16(tiff, at + 8, value, false);
  }
  ADD_FAILURE() << "no tag " << tag;
}

// Indices into the test palette written as 8-bit runs: repeats as runs, the rest as literals of at
// least three pixels (shorter ones as runs of one), every line ended, the picture ended.
Bytes encodeRle8(const std::vector<std::vector<uint8_t>>& lines) {
  Bytes out;
  for (const std::vector<uint8_t>& line : lines) {
    size_t x = 0;
    while (x < line.size()) {
      size_t same = 1;
      while (x + same < line.size() && same < 255 && line[x + same] == line[x]) ++same;
      size_t literal = 0;
      while (x + literal < line.size() && literal < 255 &&
             (x + literal + 1 >= line.size() || line[x + literal + 1] != line[x + literal]))
        ++literal;
      if (same == 1 && literal >= 3) {
        out.insert(out.end(), {0, uint8_t(literal)});
        out.insert(out.end(), line.begin() + long(x), line.begin() + long(x + literal));
        if (literal % 2) out.push_back(0);
        x += literal;
      } else {
        out.insert(out.end(), {uint8_t(same), line[x]});
        x += same;
      }
    }
    out.insert(out.end(), {0, 0});
  }
  out.insert(out.end(), {0, 1});
  return out;
}

// A BMP file of 8-bit indices marked as run-length data, its pixel data replaced by `data`.
Bytes rle8Bmp(int width, int height, const Bytes& data) {
  BmpSpec spec;
  spec.width = width, spec.height = height, spec.bits = 8, spec.compression = 1;
  Bytes b = makeBmp(spec);
  const size_t offset = size_t(b[10] | b[11] << 8);
  b.resize(offset);
  b.insert(b.end(), data.begin(), data.end());
  set32(b, 2, uint32_t(b.size()), false);
  return b;
}

TEST(FallbackReader, RunLengthBmpLoadsOnlyWhenItsRunsCoverThePicture) {
  TempFolder folder;
  std::mt19937 random(22);
  for (int round = 0; round < 40; ++round) {
    const int width = 1 + int(random() % 24), height = 1 + int(random() % 12);
    // Lines stored bottom first; a few colours, so that both runs and literals occur.
    std::vector<std::vector<uint8_t>> lines(static_cast<size_t>(height), std::vector<uint8_t>(static_cast<size_t>(width)));
    for (auto& line : lines)
      for (uint8_t& index : line) index = uint8_t(random() % 2 ? 7 : random() % 256);
    const Bytes runs = encodeRle8(lines);
    ImageBuffer b;
    ASSERT_EQ(loadFile(folder.write("runs.bmp", rle8Bmp(width, height, runs)).pathText(), b), kReadOk) << round;
    ASSERT_EQ(b.width(), width);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const Rgba got = pixel(b, x, y), want = bmpPaletteColour(lines[size_t(height - 1 - y)][size_t(x)]);
        ASSERT_TRUE(got.r == want.r && got.g == want.g && got.b == want.b) << round << " at (" << x << ", " << y << ")";
      }
    // Cut before the last line is complete: the decoder would leave the rest blank and say nothing.
    const size_t beforeLast = encodeRle8({lines.begin(), lines.end() - 1}).size() - 2;  // without its end
    const Bytes cut(runs.begin(), runs.begin() + long(random() % (beforeLast + 1)));
    EXPECT_EQ(loadFile(folder.write("cut.bmp", rle8Bmp(width, height, cut)).pathText(), b), kReadFormatError) << round;
    EXPECT_EQ(readerMessage(kReadFormatError).text.rfind("Can't read image file (BMP data ", 0), 0u)
        << readerMessage(kReadFormatError).text;
  }
}

TEST(FallbackReader, DataTheDecoderCannotDecodeIsDamagedNeverAPicture) {
  TempFolder folder;
  ImageBuffer b;
  // Plain indices marked as runs: repeat counts longer than a line, and a literal longer than the data.
  Bytes plain;
  for (int i = 0; i < 16 * 4; ++i) plain.push_back(i % 2 ? 200 : i % 8 ? 40 : 0);
  EXPECT_EQ(loadFile(folder.write("plain-rle8.bmp", rle8Bmp(16, 4, plain)).pathText(), b), kReadFormatError);
  ReaderMessage m = readerMessage(kReadFormatError);
  EXPECT_EQ(m.code, 3);
  EXPECT_EQ(m.text.rfind("Can't read image file (BMP data with ", 0), 0u) << m.text;

  // Raw TIFF lines marked as LZW.
  if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  const std::string raw = folder.file("raw.tif");
  ASSERT_TRUE(ffmpegConvert(writeSource(folder, kWidth, kHeight, Source::opaque), "-compression_algo raw -pix_fmt rgb24", raw));
  Bytes tiff = readBytes(raw);
  ASSERT_EQ(loadFile(raw, b), kReadOk);
  setTiffTag(tiff, 259, 5);
  EXPECT_EQ(loadFile(folder.write("lzw.tif", tiff).pathText(), b), kReadFormatError);
  m = readerMessage(kReadFormatError);
  EXPECT_EQ(m.code, 3);
  EXPECT_EQ(m.text, "Can't read image file (TIFF data that decodes to part of the picture only)");
}

}  // namespace
