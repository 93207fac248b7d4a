// The packers against the one-pixel-at-a-time loops they replace, at every count up to a few groups
// of four (so the tail after the last whole group is taken too), from unaligned addresses, and with
// bytes around the range that must stay untouched.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "image/pixel_packing.h"

namespace {

std::vector<uint8_t> noise(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes(size);
  for (uint8_t& b : bytes) b = uint8_t(random());
  return bytes;
}

constexpr size_t kGuard = 8;  // untouched bytes before and after each output range

TEST(PixelPacking, EveryPackerGivesThePlainLoopsBytesAndTouchesNothingElse) {
  for (size_t count = 0; count <= 19; ++count)
    for (size_t skew = 0; skew < 3; ++skew) {
      const std::vector<uint8_t> in = noise(4 * count + skew + 4, unsigned(count * 7 + skew));
      const uint8_t* from = in.data() + skew;
      const std::vector<uint8_t> start = noise(4 * count + 2 * kGuard + 3, unsigned(count * 11 + skew + 1));

      std::vector<uint8_t> got = start, want = start;
      unpack24To32(from, got.data() + kGuard + skew, count);
      for (size_t i = 0; i < count; ++i) std::memcpy(want.data() + kGuard + skew + 4 * i, from + 3 * i, 3);
      EXPECT_EQ(got, want) << "unpack24To32, " << count << " pixels, skew " << skew;

      got = start, want = start;
      copyColours32(from, got.data() + kGuard + skew, count);
      for (size_t i = 0; i < count; ++i) std::memcpy(want.data() + kGuard + skew + 4 * i, from + 4 * i, 3);
      EXPECT_EQ(got, want) << "copyColours32, " << count << " pixels, skew " << skew;

      got = start, want = start;
      pack32To24(from, got.data() + kGuard + skew, count);
      for (size_t i = 0; i < count; ++i) std::memcpy(want.data() + kGuard + skew + 3 * i, from + 4 * i, 3);
      EXPECT_EQ(got, want) << "pack32To24, " << count << " pixels, skew " << skew;
    }
}

}  // namespace
