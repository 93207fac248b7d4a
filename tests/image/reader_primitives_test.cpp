#include <gtest/gtest.h>

#include <cstring>

#include "image/packbits.h"
#include "image/read_number.h"

namespace {

TEST(ReadNumber, ByteOrderAndLength) {
  const uint8_t b[4] = {0x12, 0x34, 0x56, 0x78};
  EXPECT_EQ(readNumber(b, 2, false), 0x3412u);
  EXPECT_EQ(readNumber(b, 2, true), 0x1234u);
  EXPECT_EQ(readNumber(b, 4, false), 0x78563412u);
  EXPECT_EQ(readNumber(b, 4, true), 0x12345678u);
  EXPECT_EQ(readNumber(b, 1, true), 0x12u);
  EXPECT_EQ(readNumber(b, 3, true), 0x123456u);
  EXPECT_EQ(readNumber(b, 0, true), 0u);
  EXPECT_EQ(readNumber(b, 5, true), 0u);
}

TEST(UnpackBits, LiteralsAndRuns) {
  // 2 literal bytes, then 0xaa four times (-3), then one literal.
  const uint8_t in[] = {1, 7, 8, 0xfd, 0xaa, 0, 9};
  uint8_t out[16] = {};
  ASSERT_EQ(unpackBits(in, sizeof in, out, sizeof out), 7u);
  const uint8_t expected[] = {7, 8, 0xaa, 0xaa, 0xaa, 0xaa, 9};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(out[i], expected[i]) << i;
}

TEST(UnpackBits, NeverWritesPastTheLineNorReadsPastTheInput) {
  uint8_t out[8];
  std::memset(out, 0x11, sizeof out);
  // A run of 128 copies into a 5-byte line.
  const uint8_t run[] = {0x81, 0x42};
  EXPECT_EQ(unpackBits(run, sizeof run, out, 5), 5u);
  EXPECT_EQ(out[4], 0x42);
  EXPECT_EQ(out[5], 0x11);
  // A literal that claims 100 bytes but has 2.
  const uint8_t literal[] = {99, 1, 2};
  EXPECT_EQ(unpackBits(literal, sizeof literal, out, sizeof out), 2u);
  EXPECT_EQ(out[1], 2);
  // A run control byte as the last input byte has no value to repeat.
  const uint8_t cut[] = {0, 5, 0xfe};
  EXPECT_EQ(unpackBits(cut, sizeof cut, out, sizeof out), 1u);
  // -128 repeats 129 times like every other negative count.
  uint8_t wide[200] = {};
  const uint8_t minus128[] = {0x80, 3};
  EXPECT_EQ(unpackBits(minus128, sizeof minus128, wide, sizeof wide), 129u);
}

}  // namespace
