#include <gtest/gtest.h>

#include "image/image_readers.h"
#include "tests/image/image_test_files.h"

namespace {

using namespace imagetest;

int readPsd(const Bytes& bytes, ImageBuffer& out) { return readFromMemory(readPhotoshop, bytes, "memory.psd", out); }

// Channel planes of colourAt: red, green, blue, alpha.
std::vector<Bytes> rgbaPlanes(int w, int h, int channels) {
  std::vector<Bytes> planes(static_cast<size_t>(channels));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Rgba c = colourAt(x, y);
      const uint8_t v[4] = {c.r, c.g, c.b, c.a};
      for (int k = 0; k < channels; ++k) planes[size_t(k)].push_back(v[k % 4]);
    }
  return planes;
}

class PhotoshopRgb : public ::testing::TestWithParam<bool> {};

TEST_P(PhotoshopRgb, ThreeChannelsGiveTwentyFourBits) {
  PsdSpec s;
  s.width = 5;
  s.height = 3;
  s.packed = GetParam();
  s.planes = rgbaPlanes(5, 3, 3);
  ImageBuffer b;
  ASSERT_EQ(readPsd(makePsd(s), b), kReadOk);
  ASSERT_EQ(b.bitsPerPixel(), 24);
  ASSERT_EQ(b.width(), 5);
  ASSERT_EQ(b.height(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      Rgba want = colourAt(x, y);
      want.a = 0;
      EXPECT_EQ(pixel(b, x, y), want) << x << "," << y;
    }
}

TEST_P(PhotoshopRgb, FourthChannelIsAlpha) {
  PsdSpec s;
  s.width = 4;
  s.height = 2;
  s.channels = 4;
  s.packed = GetParam();
  s.planes = rgbaPlanes(4, 2, 4);
  ImageBuffer b;
  ASSERT_EQ(readPsd(makePsd(s), b), kReadOk);
  ASSERT_EQ(b.bitsPerPixel(), 32);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(pixel(b, x, y), colourAt(x, y)) << x << "," << y;
}

TEST_P(PhotoshopRgb, SixteenBitSamplesUseTheirHighByte) {
  PsdSpec s;
  s.width = 3;
  s.height = 2;
  s.depth = 16;
  s.packed = GetParam();
  s.planes = rgbaPlanes(3, 2, 3);
  ImageBuffer b;
  ASSERT_EQ(readPsd(makePsd(s), b), kReadOk);
  EXPECT_EQ(pixel(b, 2, 1), (Rgba{colourAt(2, 1).r, colourAt(2, 1).g, colourAt(2, 1).b, 0}));
  EXPECT_EQ(pixel(b, 0, 0), (Rgba{colourAt(0, 0).r, colourAt(0, 0).g, colourAt(0, 0).b, 0}));
}

TEST_P(PhotoshopRgb, WideSixteenBitLinesAreUnpackedWhole) {
  // Packed 16-bit lines are twice the width; the last pixel of a wide line must still arrive.
  PsdSpec s;
  s.width = 40;
  s.height = 2;
  s.depth = 16;
  s.packed = GetParam();
  s.planes = rgbaPlanes(40, 2, 3);
  ImageBuffer b;
  ASSERT_EQ(readPsd(makePsd(s), b), kReadOk);
  EXPECT_EQ(pixel(b, 39, 1).r, colourAt(39, 1).r);
  EXPECT_EQ(pixel(b, 39, 1).b, colourAt(39, 1).b);
}

INSTANTIATE_TEST_SUITE_P(RawAndPackBits, PhotoshopRgb, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "PackBits" : "Raw"; });

TEST(PhotoshopModes, GreyscaleWritesAllThreeColours) {
  PsdSpec s;
  s.width = 3;
  s.height = 2;
  s.channels = 1;
  s.mode = 1;
  s.planes = {{0, 10, 20, 200, 210, 255}};
  ImageBuffer b;
  ASSERT_EQ(readPsd(makePsd(s), b), kReadOk);
  EXPECT_EQ(b.bitsPerPixel(), 24);
  EXPECT_EQ(pixel(b, 1, 0), (Rgba{10, 10, 10, 0}));
  EXPECT_EQ(pixel(b, 2, 1), (Rgba{255, 255, 255, 0}));
}

TEST(PhotoshopModes, GreyscaleExtraChannelDoesNotPaintOverThePicture) {
  PsdSpec s;
  s.width = 2;
  s.height = 1;
  s.channels = 2;
  s.mode = 1;
  s.packed = true;
  s.planes = {{40, 50}, {255, 0}};
  ImageBuffer b;
  ASSERT_EQ(readPsd(makePsd(s), b), kReadOk);
  EXPECT_EQ(pixel(b, 0, 0), (Rgba{40, 40, 40, 0}));
  EXPECT_EQ(pixel(b, 1, 0), (Rgba{50, 50, 50, 0}));
}

TEST(PhotoshopModes, IndexedColoursComeFromThePalette) {
  PsdSpec s;
  s.width = 2;
  s.height = 2;
  s.channels = 1;
  s.mode = 2;
  s.colourModeData.assign(768, 0);
  s.colourModeData[7] = 90;         // red of entry 7
  s.colourModeData[256 + 7] = 91;   // green
  s.colourModeData[512 + 7] = 92;   // blue
  s.colourModeData[3] = 1;
  s.colourModeData[256 + 3] = 2;
  s.colourModeData[512 + 3] = 3;
  s.planes = {{7, 3, 3, 7}};
  ImageBuffer b;
  ASSERT_EQ(readPsd(makePsd(s), b), kReadOk);
  EXPECT_EQ(pixel(b, 0, 0), (Rgba{90, 91, 92, 0}));
  EXPECT_EQ(pixel(b, 1, 0), (Rgba{1, 2, 3, 0}));
  EXPECT_EQ(pixel(b, 1, 1), (Rgba{90, 91, 92, 0}));
}

TEST(PhotoshopModes, LongColourModeDataIsSkipped) {
  PsdSpec s;
  s.width = 2;
  s.height = 1;
  s.planes = rgbaPlanes(2, 1, 3);
  s.colourModeData.assign(5000, 0x33);  // duotone-sized, beyond the work area
  ImageBuffer b;
  ASSERT_EQ(readPsd(makePsd(s), b), kReadOk);
  EXPECT_EQ(pixel(b, 1, 0).g, colourAt(1, 0).g);
}

TEST(PhotoshopFaults, HeaderChecks) {
  PsdSpec s;
  s.planes = rgbaPlanes(3, 2, 3);
  ImageBuffer b;
  Bytes f = makePsd(s);
  f[25] = 4;  // colour mode CMYK
  EXPECT_EQ(readPsd(f, b), kReadFormatError);
  f = makePsd(s);
  set32(f, 18, 9000, true);
  EXPECT_EQ(readPsd(f, b), kReadTooLarge);
  f = makePsd(s);
  set32(f, 14, 0, true);
  EXPECT_EQ(readPsd(f, b), kReadFormatError);
  f = makePsd(s);
  set16(f, 22, 32, true);
  EXPECT_EQ(readPsd(f, b), kReadUnsupported);
  f = makePsd(s);
  f.resize(20);
  EXPECT_EQ(readPsd(f, b), kReadFormatError);
  ImageBuffer none(0, 0, 8);
  EXPECT_EQ(readPsd(makePsd(s), none), kReadNoBuffer);
}

TEST(PhotoshopFaults, TruncatedDataKeepsWhatWasRead) {
  PsdSpec s;
  s.width = 4;
  s.height = 4;
  s.channels = 1;
  s.mode = 1;
  s.planes = {Bytes(16, 77)};
  Bytes f = makePsd(s);
  dropLast(f, 5);  // the last line and one pixel of the line before are missing
  ImageBuffer b;
  ASSERT_EQ(readPsd(f, b), kReadOk);
  EXPECT_EQ(pixel(b, 3, 1).r, 77);
  EXPECT_EQ(pixel(b, 2, 2).r, 77);
  EXPECT_EQ(pixel(b, 3, 2).r, 0);
  EXPECT_EQ(pixel(b, 0, 3).r, 0);
}

TEST(PhotoshopFaults, RowCountsThatOverrunTheDataAreHarmless) {
  PsdSpec s;
  s.width = 3;
  s.height = 2;
  s.packed = true;
  s.planes = rgbaPlanes(3, 2, 3);
  Bytes f = makePsd(s);
  const size_t table = 26 + 4 + 4 + 6 + 4 + 2;
  for (size_t i = 0; i < 6; ++i) set16(f, table + 2 * i, 0xffff, true);
  ImageBuffer b;
  EXPECT_EQ(readPsd(f, b), kReadOk);
  // Sections whose lengths point far beyond the file end the read as a format error.
  f = makePsd(s);
  set32(f, 30, 0x7fffffff, true);
  EXPECT_EQ(readPsd(f, b), kReadFormatError);
}

}  // namespace
