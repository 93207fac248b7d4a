#include <gtest/gtest.h>

#include <vector>

#include "platform/screen/font.h"

using namespace ws;

namespace {

std::vector<uint32_t> drawn(const Font& font, const std::string& text) {
  Surface s(120, 30, 0xFFFFFF);
  font.draw(s, s.bounds(), 2, 2, text, 0x000000);
  return s.data();
}

int inked(const std::vector<uint32_t>& pixels) {
  int n = 0;
  for (uint32_t p : pixels) n += p != 0xFFFFFF;
  return n;
}

}  // namespace

TEST(FontRelease, ReleaseClosesFreeTypeAndFontconfigAndFontsDrawTheSameAfterwards) {
  const FontRef font = Font::create(FontRequest{"Arial", -12, 400, false, false});
  ASSERT_TRUE(font->valid());
  const std::vector<uint32_t> before = drawn(*font, "Kestrel");
  ASSERT_GT(inked(before), 20);
  EXPECT_TRUE(fontLibrariesActive());

  releaseFontLibraries();
  EXPECT_FALSE(fontLibrariesActive());
  // Glyphs drawn before come from the font's own store; they need no library.
  EXPECT_EQ(drawn(*font, "Kestrel"), before);
  EXPECT_FALSE(fontLibrariesActive());

  // Letters it never drew open the face again, at the same size as a font made now.
  const std::vector<uint32_t> fresh = drawn(*font, "WQZ 0918");
  EXPECT_TRUE(fontLibrariesActive());
  EXPECT_EQ(fresh, drawn(*Font::create(FontRequest{"Arial", -12, 400, false, false}), "WQZ 0918"));
  EXPECT_EQ(font->textWidth("WQZ 0918"), Font::create(FontRequest{"Arial", -12, 400, false, false})->textWidth("WQZ 0918"));
  releaseFontLibraries();
}

TEST(FontRelease, FontsMadeAfterAReleaseHaveTheMetricsOfTheFirst) {
  const FontRef first = Font::create(FontRequest{"Arial", 16, 700, true, false});
  releaseFontLibraries();
  const FontRef second = Font::create(FontRequest{"Arial", 16, 700, true, false});
  EXPECT_EQ(second->file(), first->file());
  EXPECT_EQ(second->ascent(), first->ascent());
  EXPECT_EQ(second->descent(), first->descent());
  EXPECT_EQ(drawn(*second, "Ag"), drawn(*first, "Ag"));
  // A letter the first font never drew needs the library again.
  releaseFontLibraries();
  drawn(*first, "xyz");
  EXPECT_TRUE(fontLibrariesActive());
}
