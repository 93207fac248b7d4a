#include <gtest/gtest.h>

#include "image/image_readers.h"
#include "image/read_number.h"
#include "tests/image/image_test_files.h"

namespace {

using namespace imagetest;

int readBmpBytes(const Bytes& bytes, ImageBuffer& out) { return readFromMemory(readBmp, bytes, "memory.bmp", out); }

Rgba expectedBmp(int bits, int x, int y) {
  Rgba c = colourAt(x, y);
  switch (bits) {
    case 8: {
      Rgba p = bmpPaletteColour((x + 2 * y) % 4);
      p.a = 0;
      return p;
    }
    case 16: return {uint8_t(c.r & ~7), uint8_t(c.g & ~7), uint8_t(c.b & ~7), 0};
    case 24: c.a = 0; return c;
    default: return c;
  }
}

class BmpDepths : public ::testing::TestWithParam<int> {};

TEST_P(BmpDepths, ReadsEveryPixel) {
  BmpSpec s;
  s.width = 5;
  s.height = 3;
  s.bits = GetParam();
  ImageBuffer b;
  ASSERT_EQ(readBmpBytes(makeBmp(s), b), kReadOk);
  ASSERT_EQ(b.bitsPerPixel(), s.bits);
  ASSERT_EQ(b.width(), 5);
  ASSERT_EQ(b.height(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(pixel(b, x, y), expectedBmp(s.bits, x, y)) << x << "," << y;
}

TEST_P(BmpDepths, TopDownRowsAndZeroFileSize) {
  BmpSpec s;
  s.width = 3;
  s.height = 4;
  s.bits = GetParam();
  s.topDown = true;
  s.zeroFileSize = true;
  ImageBuffer b;
  ASSERT_EQ(readBmpBytes(makeBmp(s), b), kReadOk);
  ASSERT_EQ(b.height(), 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(pixel(b, x, y), expectedBmp(s.bits, x, y)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Bits, BmpDepths, ::testing::Values(8, 16, 24, 32));

TEST(BmpPalette, FollowsTheHeadersOwnSize) {
  for (uint32_t infoSize : {108u, 124u}) {
    BmpSpec s;
    s.bits = 8;
    s.infoSize = infoSize;
    ImageBuffer b;
    ASSERT_EQ(readBmpBytes(makeBmp(s), b), kReadOk) << infoSize;
    EXPECT_EQ(pixel(b, 1, 0), expectedBmp(8, 1, 0)) << infoSize;
    EXPECT_EQ(pixel(b, 2, 1), expectedBmp(8, 2, 1)) << infoSize;
  }
}

TEST(BmpPalette, ShortPaletteStopsWhereTheRowsBegin) {
  BmpSpec s;
  s.bits = 8;
  s.coloursUsed = 4;
  ImageBuffer b;
  ASSERT_EQ(readBmpBytes(makeBmp(s), b), kReadOk);
  EXPECT_EQ(pixel(b, 0, 0), expectedBmp(8, 0, 0));
  EXPECT_EQ(pixel(b, 1, 1), expectedBmp(8, 1, 1));
  // Entries the file does not have are grey, not bytes of the rows.
  EXPECT_EQ(b.palette()[4 * 4], 4);
  EXPECT_EQ(b.palette()[4 * 200 + 2], 200);
}

TEST(BmpPalette, OpaqueWhenNoAlphaIsStored) {
  BmpSpec s;
  s.bits = 32;
  Bytes f = makeBmp(s);
  const uint32_t offset = readNumber(&f[10], 4, false);
  for (size_t i = offset + 3; i < f.size(); i += 4) f[i] = 0;
  ImageBuffer b;
  ASSERT_EQ(readBmpBytes(f, b), kReadOk);
  EXPECT_EQ(pixel(b, 2, 1).a, 255);
  EXPECT_EQ(pixel(b, 2, 1).g, colourAt(2, 1).g);
}

TEST(BmpFaults, RefusedFiles) {
  ImageBuffer b;
  BmpSpec one;
  one.bits = 1;
  EXPECT_EQ(readBmpBytes(makeBmp(one), b), kReadTooFewColours);
  BmpSpec four;
  four.bits = 4;
  EXPECT_EQ(readBmpBytes(makeBmp(four), b), kReadTooFewColours);
  BmpSpec rle;
  rle.bits = 8;
  rle.compression = 1;
  EXPECT_EQ(readBmpBytes(makeBmp(rle), b), kReadUnsupported);
  BmpSpec wide;
  wide.width = 9000;
  wide.height = 10;
  EXPECT_EQ(readBmpBytes(makeBmp(wide), b), kReadTooLarge);
  BmpSpec odd;
  odd.bits = 12;
  EXPECT_EQ(readBmpBytes(makeBmp(odd), b), kReadFormatError);
  Bytes f = makeBmp(BmpSpec{});
  set32(f, 18, 0, false);
  EXPECT_EQ(readBmpBytes(f, b), kReadFormatError);
  f = makeBmp(BmpSpec{});
  set32(f, 22, 0x80000000u, false);  // the most negative height
  EXPECT_EQ(readBmpBytes(f, b), kReadTooLarge);
  f = makeBmp(BmpSpec{});
  set32(f, 14, 12, false);  // an old 12-byte header: another layout, said to be unsupported
  EXPECT_EQ(readBmpBytes(f, b), kReadUnsupported);
  EXPECT_EQ(readerMessage(kReadUnsupported).text, "Can't read OS/2 BMP images");
  f.resize(20);  // too short to hold even that header
  EXPECT_EQ(readBmpBytes(f, b), kReadFormatError);
}

TEST(BmpFaults, ShortRowsKeepWhatWasRead) {
  BmpSpec s;
  s.width = 4;
  s.height = 4;
  Bytes f = makeBmp(s);
  dropLast(f, 12 + 5);  // the top line and part of the next are missing
  ImageBuffer b;
  ASSERT_EQ(readBmpBytes(f, b), kReadOk);
  EXPECT_EQ(pixel(b, 0, 3), expectedBmp(24, 0, 3));
  EXPECT_EQ(pixel(b, 1, 1), expectedBmp(24, 1, 1));
  EXPECT_EQ(pixel(b, 3, 1), (Rgba{0, 0, 0, 0}));
  EXPECT_EQ(pixel(b, 2, 0), (Rgba{0, 0, 0, 0}));
  // A data offset beyond the end leaves no rows to read: the file is damaged.
  f = makeBmp(s);
  set32(f, 10, 0x7fffffff, false);
  ImageBuffer fresh;
  EXPECT_EQ(readBmpBytes(f, fresh), kReadFormatError);
}

}  // namespace
