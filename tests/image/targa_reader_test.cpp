#include <gtest/gtest.h>

#include "image/image_readers.h"
#include "tests/image/image_test_files.h"

namespace {

using namespace imagetest;

int readTgaBytes(const Bytes& bytes, ImageBuffer& out) { return readFromMemory(readTarga, bytes, "memory.tga", out); }

Rgba expectedTga(int bits, int x, int y) {
  Rgba c = colourAt(x, y);
  switch (bits) {
    case 8: return {c.r, c.r, c.r, 0};
    case 16: return {uint8_t(c.r & ~7), uint8_t(c.g & ~7), uint8_t(c.b & ~7), 0};
    case 24: c.a = 0; return c;
    default: return c;
  }
}

struct TgaCase {
  int bits;
  bool topFirst;
};

class TargaDepths : public ::testing::TestWithParam<TgaCase> {};

TEST_P(TargaDepths, ReadsEveryPixelTheRightWayUp) {
  TgaSpec s;
  s.width = 5;
  s.height = 3;
  s.bits = GetParam().bits;
  s.topFirst = GetParam().topFirst;
  s.type = s.bits == 8 ? 3 : 2;
  s.identifierLength = 7;
  s.mapLength = 2;
  s.mapEntryBits = 15;  // two bytes an entry
  ImageBuffer b(5, 3, 8);
  b.palette()[4 * 50] = 1;  // a stale colour from an earlier picture
  ASSERT_EQ(readTgaBytes(makeTga(s), b), kReadOk);
  ASSERT_EQ(b.bitsPerPixel(), s.bits);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(pixel(b, x, y), expectedTga(s.bits, x, y)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(BitsAndOrder, TargaDepths,
                         ::testing::Values(TgaCase{8, false}, TgaCase{8, true}, TgaCase{16, false}, TgaCase{16, true},
                                           TgaCase{24, false}, TgaCase{24, true}, TgaCase{32, false},
                                           TgaCase{32, true}),
                         [](const auto& info) {
                           return std::to_string(info.param.bits) + (info.param.topFirst ? "TopFirst" : "BottomFirst");
                         });

TEST(TargaFaults, RefusedFiles) {
  ImageBuffer b;
  TgaSpec rle;
  rle.type = 10;
  EXPECT_EQ(readTgaBytes(makeTga(rle), b), kReadUnsupported);
  for (int bits : {4, 15, 12, 33, 40}) {
    TgaSpec s;
    s.bits = bits;
    EXPECT_EQ(readTgaBytes(makeTga(s), b), kReadFormatError) << bits;
  }
  TgaSpec flat;
  flat.height = 0;
  EXPECT_EQ(readTgaBytes(makeTga(flat), b), kReadFormatError);
  TgaSpec wide;
  wide.width = 9000;
  wide.height = 1;
  EXPECT_EQ(readTgaBytes(makeTga(wide), b), kReadTooLarge);
  EXPECT_EQ(readTgaBytes(Bytes(10, 0), b), kReadFormatError);
}

TEST(TargaFaults, ShortFileLeavesZeroedLines) {
  TgaSpec s;
  s.width = 2;
  s.height = 3;
  Bytes f = makeTga(s);
  dropLast(f, 9);  // the top line and a pixel of the next
  ImageBuffer b(2, 3, 24);
  b.row(2)[0] = 99;
  ASSERT_EQ(readTgaBytes(f, b), kReadOk);
  EXPECT_EQ(pixel(b, 0, 2), expectedTga(24, 0, 2));
  EXPECT_EQ(pixel(b, 0, 1), expectedTga(24, 0, 1));
  EXPECT_EQ(pixel(b, 1, 1), (Rgba{0, 0, 0, 0}));
  EXPECT_EQ(pixel(b, 0, 0), (Rgba{0, 0, 0, 0}));
}

}  // namespace
