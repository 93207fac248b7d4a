#include <gtest/gtest.h>

#include "image/image_readers.h"
#include "image/read_number.h"
#include "tests/image/image_test_files.h"

namespace {

using namespace imagetest;

int readTiffBytes(const Bytes& bytes, ImageBuffer& out) { return readFromMemory(readTiff, bytes, "memory.tif", out); }

void expectPicture(const ImageBuffer& b, int w, int h, bool alpha) {
  ASSERT_EQ(b.width(), w);
  ASSERT_EQ(b.height(), h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      Rgba want = colourAt(x, y);
      if (!alpha) want.a = 0;
      EXPECT_EQ(pixel(b, x, y), want) << x << "," << y;
    }
}

struct Layout {
  bool bigEndian;
  int rowsPerStrip;
  const char* name;
};

class TiffLayouts : public ::testing::TestWithParam<Layout> {};

TEST_P(TiffLayouts, RgbFirstLineIsTheTop) {
  TiffSpec s;
  s.width = 3;
  s.height = 5;
  s.bigEndian = GetParam().bigEndian;
  s.rowsPerStrip = GetParam().rowsPerStrip;
  ImageBuffer b;
  ASSERT_EQ(readTiffBytes(makeTiff(s), b), kReadOk);
  EXPECT_EQ(b.bitsPerPixel(), 24);
  expectPicture(b, 3, 5, false);
}

TEST_P(TiffLayouts, FourSamplesKeepAlpha) {
  TiffSpec s;
  s.width = 2;
  s.height = 4;
  s.samples = 4;
  s.bigEndian = GetParam().bigEndian;
  s.rowsPerStrip = GetParam().rowsPerStrip;
  ImageBuffer b;
  ASSERT_EQ(readTiffBytes(makeTiff(s), b), kReadOk);
  EXPECT_EQ(b.bitsPerPixel(), 32);
  expectPicture(b, 2, 4, true);
}

INSTANTIATE_TEST_SUITE_P(ByteOrderAndStrips, TiffLayouts,
                         ::testing::Values(Layout{false, 0, "LittleOneStrip"}, Layout{true, 0, "BigOneStrip"},
                                           Layout{false, 2, "LittleTwoOrThreeStrips"},
                                           Layout{true, 1, "BigStripPerLine"}, Layout{false, 3, "LittleShortLastStrip"}),
                         [](const auto& info) { return info.param.name; });

TEST(TiffReader, OneSampleIsGrey) {
  TiffSpec s;
  s.width = 5;
  s.height = 2;
  s.samples = 1;
  ImageBuffer b(5, 2, 8);
  b.palette()[4 * 9] = 123;  // a stale colour from an earlier picture of the same size
  ASSERT_EQ(readTiffBytes(makeTiff(s), b), kReadOk);
  ASSERT_EQ(b.bitsPerPixel(), 8);
  // The red-blue exchange leaves one-byte pixels where they are.
  for (int x = 0; x < 5; ++x) {
    const uint8_t v = colourAt(x, 0).r;
    EXPECT_EQ(pixel(b, x, 0), (Rgba{v, v, v, 0})) << x;
  }
  EXPECT_EQ(b.palette()[4 * 9], 9);
}

TEST(TiffReader, CompressedIsRefused) {
  TiffSpec s;
  s.compression = 5;  // LZW
  ImageBuffer b;
  EXPECT_EQ(readTiffBytes(makeTiff(s), b), kReadUnsupported);
}

TEST(TiffReader, MissingWidthReadsThirtyTwo) {
  TiffSpec s;
  s.withWidthTag = false;
  ImageBuffer b;
  ASSERT_EQ(readTiffBytes(makeTiff(s), b), kReadOk);
  EXPECT_EQ(b.width(), 32);
  EXPECT_EQ(b.height(), 4);
}

TEST(TiffReader, DirectoryBeyondTheFirstBlock) {
  TiffSpec s;
  s.width = 2;
  s.height = 2;
  Bytes f = makeTiff(s);
  // Move the directory to offset 5000.
  const uint32_t ifd = readNumber(&f[4], 4, false);
  Bytes directory(f.begin() + ifd, f.end());
  f.resize(5000, 0);
  f.insert(f.end(), directory.begin(), directory.end());
  set32(f, 4, 5000, false);
  ImageBuffer b;
  ASSERT_EQ(readTiffBytes(f, b), kReadOk);
  expectPicture(b, 2, 2, false);
}

TEST(TiffFaults, HeaderAndGeometry) {
  ImageBuffer b;
  Bytes f = makeTiff(TiffSpec{});
  f[2] = 43;
  EXPECT_EQ(readTiffBytes(f, b), kReadFormatError);
  EXPECT_EQ(readTiffBytes(Bytes{'I', 'I', 42, 0}, b), kReadFormatError);
  f = makeTiff(TiffSpec{});
  // Width tag is the first entry: patch its value.
  const uint32_t ifd = readNumber(&f[4], 4, false);
  set16(f, ifd + 2 + 8, 9000, false);
  EXPECT_EQ(readTiffBytes(f, b), kReadTooLarge);
  set16(f, ifd + 2 + 8, 0, false);
  EXPECT_EQ(readTiffBytes(f, b), kReadFormatError);
  TiffSpec five;
  five.samples = 5;
  EXPECT_EQ(readTiffBytes(makeTiff(five), b), kReadFormatError);
  // A directory offset past the end of the file.
  f = makeTiff(TiffSpec{});
  set32(f, 4, 0x7ffffff0, false);
  EXPECT_EQ(readTiffBytes(f, b), kReadFormatError);
  // An entry count far beyond the block only walks the entries that are there.
  f = makeTiff(TiffSpec{});
  set16(f, readNumber(&f[4], 4, false), 0xffff, false);
  EXPECT_EQ(readTiffBytes(f, b), kReadOk);
}

TEST(TiffFaults, StripsBeyondTheFileOrTheImage) {
  TiffSpec s;
  s.width = 2;
  s.height = 6;
  s.rowsPerStrip = 1;
  Bytes f = makeTiff(s);
  const uint32_t ifd = readNumber(&f[4], 4, false);
  // Find the strip offsets entry and point its array far away, with a huge count.
  for (uint32_t i = 0; i < readNumber(&f[ifd], 2, false); ++i) {
    const size_t at = ifd + 2 + 12 * i;
    if (readNumber(&f[at], 2, false) != 273) continue;
    Bytes bad = f;
    set32(bad, at + 4, 0xffffffff, false);
    ImageBuffer b;
    EXPECT_EQ(readTiffBytes(bad, b), kReadOk);  // the strips read what they find
    // An offsets array beyond the file, or every strip offset beyond it: no line is there to read,
    // and the file is damaged rather than a blank picture.
    set32(bad, at + 8, 0x7ffffff0, false);
    EXPECT_EQ(readTiffBytes(bad, b), kReadFormatError);
    bad = f;
    const uint32_t array = readNumber(&f[at + 8], 4, false);
    for (uint32_t k = 0; k < 6; ++k) set32(bad, array + 4 * k, 0x7fff0000, false);
    ImageBuffer fresh;
    EXPECT_EQ(readTiffBytes(bad, fresh), kReadFormatError);
    // One strip of six still there is enough: strips that read nothing leave their lines to the next
    // strip, so the last strip's line comes out on top and the other lines stay blank.
    set32(bad, array + 20, readNumber(&f[array + 20], 4, false), false);
    ASSERT_EQ(readTiffBytes(bad, fresh), kReadOk);
    Rgba top = colourAt(1, 5);
    top.a = 0;
    EXPECT_EQ(pixel(fresh, 1, 0), top);
    EXPECT_EQ(pixel(fresh, 1, 1), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(pixel(fresh, 0, 5), (Rgba{0, 0, 0, 0}));
  }
  // Rows per strip larger than the image stop at the image's height.
  TiffSpec tall = s;
  tall.rowsPerStrip = 0;
  Bytes g = makeTiff(tall);
  g.insert(g.end(), 600, 0x55);
  ImageBuffer b;
  ASSERT_EQ(readTiffBytes(g, b), kReadOk);
  expectPicture(b, 2, 6, false);
}

}  // namespace
