#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/screen/icon_file.h"

using namespace ws;

namespace {

void put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& b, uint32_t v) { put16(b, v & 0xFFFF), put16(b, v >> 16); }

// A 2 x 2 icon with a 4-bit palette of two colours: top row red, blue; bottom row blue and a
// masked-out pixel.
std::vector<uint8_t> smallIcon() {
  std::vector<uint8_t> image;
  put32(image, 40), put32(image, 2), put32(image, 4), put16(image, 1), put16(image, 4);
  for (int i = 0; i < 6; ++i) put32(image, i == 4 ? 2 : 0);  // compression, size, resolution, 2 colours used
  image.insert(image.end(), {0, 0, 255, 0, 255, 0, 0, 0});     // palette: red, blue (blue, green, red, 0)
  image.insert(image.end(), {0x11, 0, 0, 0, 0x01, 0, 0, 0});   // pixels, bottom row first: blue blue, red blue
  image.insert(image.end(), {0x40, 0, 0, 0, 0x00, 0, 0, 0});   // mask, bottom row first: the right one hidden
  std::vector<uint8_t> file;
  put16(file, 0), put16(file, 1), put16(file, 1);
  file.insert(file.end(), {2, 2, 2, 0});
  put16(file, 1), put16(file, 4), put32(file, uint32_t(image.size())), put32(file, 22);
  file.insert(file.end(), image.begin(), image.end());
  return file;
}

}  // namespace

TEST(IconFile, PaletteImageAndMaskComeOutTopRowFirst) {
  const std::vector<uint8_t> file = smallIcon();
  auto icon = readIconFile(file.data(), file.size());
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->image.width(), 2);
  EXPECT_EQ(icon->image.height(), 2);
  EXPECT_EQ(icon->image.pixel(0, 0), 0xFF0000u);
  EXPECT_EQ(icon->image.pixel(1, 0), 0x0000FFu);
  EXPECT_EQ(icon->image.pixel(0, 1), 0x0000FFu);
  EXPECT_EQ(icon->mask, (std::vector<uint8_t>{1, 1, 1, 0}));
  EXPECT_EQ(icon->hotSpot, (Point{0, 0}));  // icons have none; the directory's fields are planes and depth
}

TEST(IconFile, FilesThatClaimMoreThanTheyHoldAreRefused) {
  const std::vector<uint8_t> file = smallIcon();
  for (size_t cut = 0; cut < file.size(); ++cut) EXPECT_EQ(readIconFile(file.data(), cut), nullptr) << cut;
  std::vector<uint8_t> wide = file;
  wide[22 + 4] = 200;  // 200 pixels wide: the rows would run past the file
  EXPECT_EQ(readIconFile(wide.data(), wide.size()), nullptr);
  std::vector<uint8_t> notIcon = file;
  notIcon[2] = 3;
  EXPECT_EQ(readIconFile(notIcon.data(), notIcon.size()), nullptr);
  EXPECT_EQ(readIconFile(nullptr, 100), nullptr);
}
