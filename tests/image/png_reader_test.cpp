// The PNG reader over files that ffmpeg makes from a known picture: every colour type and depth
// comes out as the same 32-bit bottom-up buffer.
#include <gtest/gtest.h>

#include "tests/image/ffmpeg_made_files.h"

namespace {

using namespace imagetest;

constexpr int kWidth = 7, kHeight = 5;

struct PngCase {
  const char* name;
  const char* pixelFormat;
  Source source;
};

class PngFromFfmpeg : public ::testing::TestWithParam<PngCase> {
 protected:
  void SetUp() override {
    if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  }
  TempFolder folder;
};

TEST_P(PngFromFfmpeg, ReadsTheSourcePixels) {
  const PngCase& c = GetParam();
  const std::string png = folder.file(std::string(c.name) + ".png");
  ASSERT_TRUE(ffmpegConvert(writeSource(folder, kWidth, kHeight, c.source), std::string("-pix_fmt ") + c.pixelFormat, png));
  ImageBuffer b(16, 16, 8);
  ASSERT_EQ(loadFile(png, b), kReadOk);
  if (std::string(c.pixelFormat).find("16") == std::string::npos &&
      std::string(c.pixelFormat).find("48") == std::string::npos &&
      std::string(c.pixelFormat).find("64") == std::string::npos) {
    expectSourcePixels(b, kWidth, kHeight, c.source);
    return;
  }
  // Sixteen-bit samples as ffmpeg stores them, each scaled to eight bits with rounding.
  const Bytes wide = ffmpegDecoded(png, "rgba64le");
  ASSERT_EQ(wide.size(), size_t(kWidth * kHeight * 8));
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const uint8_t* w = wide.data() + 8 * (y * kWidth + x);
      uint8_t v[4];
      for (int k = 0; k < 4; ++k) v[k] = uint8_t((unsigned(w[2 * k] | w[2 * k + 1] << 8) * 255 + 32895) >> 16);
      ASSERT_EQ(pixel(b, x, y), (Rgba{v[0], v[1], v[2], v[3]})) << "at (" << x << ", " << y << ")";
      // The samples are the source's within the one step that ffmpeg's widening takes.
      const Rgba s = sourceColour(x, y, c.source);
      ASSERT_LE(std::abs(int(v[1]) - int(s.g)), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ColourTypesAndDepths, PngFromFfmpeg,
    ::testing::Values(PngCase{"Rgb8", "rgb24", Source::opaque}, PngCase{"Rgba8", "rgba", Source::alpha},
                      PngCase{"Rgb16", "rgb48be", Source::opaque}, PngCase{"Rgba16", "rgba64be", Source::alpha},
                      PngCase{"Grey8", "gray", Source::grey}, PngCase{"Grey16", "gray16be", Source::grey},
                      PngCase{"GreyAlpha8", "ya8", Source::grey}),
    [](const ::testing::TestParamInfo<PngCase>& info) { return std::string(info.param.name); });

TEST(PngReader, PaletteAndOneBitFiles) {
  if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  TempFolder folder;
  // A palette of a few exact colours: pixels that are palette entries come back as those entries.
  ImageBuffer source(4, 2, 24);
  const uint8_t colours[4][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {255, 255, 255}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) std::memcpy(source.row(y) + 3 * x, colours[(x + y) % 4], 3);
  FileSpec spec = folder.spec("palette-source.bmp");
  {
    OpenFile out;
    ASSERT_TRUE(out.open(spec, "wb"));
    ASSERT_TRUE(source.write(out, 0));
  }
  // Palette entries and one-bit pixels as ffmpeg's own decoder reads the same files.
  for (const char* format : {"pal8", "monob"}) {
    const std::string png = folder.file(std::string(format) + ".png");
    ASSERT_TRUE(ffmpegConvert(spec.pathText(), std::string("-pix_fmt ") + format, png));
    const Bytes want = ffmpegDecoded(png, "bgra");
    ASSERT_EQ(want.size(), size_t(4 * 2 * 4));
    ImageBuffer b;
    ASSERT_EQ(loadFile(png, b), kReadOk) << format;
    ASSERT_EQ(b.bitsPerPixel(), 32);
    for (int y = 0; y < 2; ++y)
      EXPECT_EQ(Bytes(b.row(1 - y), b.row(1 - y) + 16), Bytes(want.begin() + 16 * y, want.begin() + 16 * (y + 1)))
          << format << ", line " << y;
  }
  // Pure white stays white in the one-bit file, so the bits were unpacked, not only copied.
  ImageBuffer b;
  ASSERT_EQ(loadFile(folder.file("monob.png"), b), kReadOk);
  EXPECT_EQ(pixel(b, 2, 0), (Rgba{255, 255, 255, 255}));  // source row 1, the top line: colours[3]
}

// The checksum that closes every PNG chunk.
uint32_t chunkCrc(const uint8_t* bytes, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= bytes[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

TEST(PngReader, RefusesDamagedAndHugeFiles) {
  if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  TempFolder folder;
  const std::string png = folder.file("whole.png");
  ASSERT_TRUE(ffmpegConvert(writeSource(folder, kWidth, kHeight, Source::opaque), "", png));
  Bytes bytes = readBytes(png);

  ImageBuffer b;
  Bytes cut = bytes;
  dropLast(cut, 20);
  EXPECT_EQ(readFromMemory(readPng, cut, "cut.png", b), kReadFormatError);

  Bytes damaged = bytes;
  damaged[40] ^= 0x55;  // inside the image data: its checksum no longer matches
  EXPECT_EQ(readFromMemory(readPng, damaged, "damaged.png", b), kReadFormatError);

  // The header claims 9000 lines; the file is refused before anything is allocated for them.
  Bytes huge = bytes;
  set32(huge, 20, 9000, true);
  set32(huge, 29, chunkCrc(huge.data() + 12, 17), true);  // the header chunk's checksum
  EXPECT_EQ(readFromMemory(readPng, huge, "huge.png", b), kReadTooLarge);

  ImageBuffer noHeader(0, 0, 32);
  EXPECT_EQ(readFromMemory(readPng, bytes, "whole.png", noHeader), kReadNoBuffer);
}

TEST(PngReader, DispatchedBySignatureWhateverTheName) {
  if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  TempFolder folder;
  const std::string png = folder.file("whole.png");
  ASSERT_TRUE(ffmpegConvert(writeSource(folder, kWidth, kHeight, Source::alpha), "-pix_fmt rgba", png));
  const Bytes bytes = readBytes(png);
  EXPECT_EQ(formatBySignature(bytes.data(), 14, "picture.jpg"), ImageFormat::png);
  // Named as a JPEG file, it is still read as the PNG file it is.
  std::filesystem::copy_file(png, folder.file("named.jpg"));
  ImageBuffer b;
  ASSERT_EQ(loadFile(folder.file("named.jpg"), b), kReadOk);
  expectSourcePixels(b, kWidth, kHeight, Source::alpha);
}

}  // namespace
