#pragma once
// Fonts through FreeType, found by fontconfig. Every face the program asks for is "Arial", which
// fontconfig resolves to the metric-compatible Liberation Sans; DejaVu Sans stands in when it is
// missing. Text is Latin-1 unless it is valid UTF-8.
//
// A font keeps its metrics and the glyphs it has drawn for its whole life; its FreeType face is only
// open between the first glyph it needs and the next releaseFontLibraries(), so that the platform can
// hand FreeType and fontconfig back at shut-down and still draw with the same fonts when it starts again.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/screen/surface.h"

namespace ws {

struct FontRequest {
  std::string face = "Arial";
  // Negative: character height in pixels (the em size); positive: cell height (ascent + descent).
  int height = -12;
  int weight = 400;  // 700 and above is bold
  bool italic = false;
  bool underline = false;
};

class Font {
 public:
  // Never null: when no font file can be opened the font measures and draws nothing.
  static std::shared_ptr<const Font> create(const FontRequest& request);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  const FontRequest& request() const { return request_; }
  bool valid() const { return valid_; }
  const std::string& file() const { return file_; }
  int ascent() const { return ascent_; }
  int descent() const { return descent_; }
  int height() const { return ascent_ + descent_; }

  int textWidth(const std::string& text) const;
  // Draws text with its cell's top-left corner at (x, top), blending the glyphs' coverage in colour.
  void draw(Surface& s, const Rect& clip, int x, int top, const std::string& text, uint32_t colour) const;

 private:
  struct Glyph {
    int advance = 0, left = 0, top = 0, width = 0, rows = 0;
    std::vector<uint8_t> coverage;
  };
  Font() = default;
  const Glyph& glyph(uint32_t code) const;
  // The open face (opened again after a release), or null when the file cannot be opened.
  void* openFace() const;
  friend void releaseFontLibraries();

  FontRequest request_;
  std::string file_;
  int pixels_ = 12;  // the size the face is set to
  bool valid_ = false;
  mutable void* face_ = nullptr;  // FT_Face
  int ascent_ = 0, descent_ = 0;
  mutable std::map<uint32_t, Glyph> glyphs_;
};

using FontRef = std::shared_ptr<const Font>;

// Code points of text: UTF-8 when it decodes as such, otherwise one Latin-1 character per byte.
std::vector<uint32_t> decodeText(const std::string& text);

// The font file fontconfig gives for a face, bold and italic (empty when none). Answers are kept, so
// asking again after a release does not start fontconfig again.
std::string findFontFile(const std::string& face, bool bold, bool italic);

// Closes every open face and releases FreeType and fontconfig (the platform's shut-down). Fonts that
// still exist open their faces again when they next need a glyph they have not drawn.
void releaseFontLibraries();

// Whether FreeType is started now, or fontconfig is (for checking that a release left nothing open).
bool fontLibrariesActive();

}  // namespace ws
