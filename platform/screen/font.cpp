#include "platform/screen/font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <new>
#include <set>
#include <tuple>

namespace ws {

namespace {

// Fonts live in objects of every lifetime, some made before the first font and destroyed after the
// last, so the lock and the list of fonts are never destroyed. They sit in static storage rather than
// on the heap: a copy of the plug-in that is unloaded must not leave them behind unreachable.
template <typename T>
T& undestroyed() {
  alignas(T) static unsigned char storage[sizeof(T)];
  static T* object = new (storage) T();
  return *object;
}

// FreeType's library may not be used from two threads at once while faces open and close, and
// fontconfig's start and release are global too; one lock covers both.
std::recursive_mutex& fontLock() { return undestroyed<std::recursive_mutex>(); }

FT_Library ftLibrary = nullptr;
bool fontconfigStarted = false;

// Every font alive, so that a release can close their faces.
std::set<const Font*>& liveFonts() { return undestroyed<std::set<const Font*>>(); }

// A program that ends without shutting the platform down (a tool, a test of the screen alone) still
// hands both libraries back: fontconfig keeps some of its memory where no leak checker sees it.
// Registered once a library starts, so it runs before the process's earlier exit work.
void releaseAtExit() {
  static const bool registered = std::atexit([] { releaseFontLibraries(); }) == 0;
  (void)registered;
}

FT_Library library() {
  if (!ftLibrary && FT_Init_FreeType(&ftLibrary) != 0) ftLibrary = nullptr;
  if (ftLibrary) releaseAtExit();
  return ftLibrary;
}

std::string matchFile(const std::string& family, bool bold, bool italic) {
  std::lock_guard<std::recursive_mutex> guard(fontLock());
  static std::map<std::tuple<std::string, bool, bool>, std::string> answers;
  const auto known = answers.find({family, bold, italic});
  if (known != answers.end()) return known->second;
  if (!FcInit()) return {};
  fontconfigStarted = true;
  releaseAtExit();
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  std::string path;
  if (match) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) path = reinterpret_cast<const char*>(file);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  answers[{family, bold, italic}] = path;
  return path;
}

FT_Face openFile(const std::string& file) {
  FT_Library lib = library();
  FT_Face face = nullptr;
  if (!lib || file.empty() || FT_New_Face(lib, file.c_str(), 0, &face) != 0) return nullptr;
  return face;
}

}  // namespace

std::string findFontFile(const std::string& face, bool bold, bool italic) {
  std::string path = matchFile(face, bold, italic);
  if (path.empty()) path = matchFile("DejaVu Sans", bold, italic);
  return path;
}

void releaseFontLibraries() {
  std::lock_guard<std::recursive_mutex> guard(fontLock());
  for (const Font* font : liveFonts())
    if (font->face_) {
      FT_Done_Face(static_cast<FT_Face>(font->face_));
      font->face_ = nullptr;
    }
  if (ftLibrary) FT_Done_FreeType(ftLibrary);
  ftLibrary = nullptr;
  if (fontconfigStarted) FcFini();
  fontconfigStarted = false;
}

bool fontLibrariesActive() {
  std::lock_guard<std::recursive_mutex> guard(fontLock());
  return ftLibrary != nullptr || fontconfigStarted;
}

std::vector<uint32_t> decodeText(const std::string& text) {
  std::vector<uint32_t> out;
  out.reserve(text.size());
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  bool utf8 = true;
  for (size_t i = 0; i < n && utf8;) {
    const unsigned char c = s[i];
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || (extra == 1 && c < 0xC2)) { utf8 = false; break; }
    uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      if (i + size_t(k) >= n || (s[i + k] & 0xC0) != 0x80) { utf8 = false; break; }
      cp = cp << 6 | (s[i + k] & 0x3F);
    }
    if (!utf8) break;
    out.push_back(cp);
    i += size_t(extra) + 1;
  }
  if (!utf8) {
    out.clear();
    for (size_t i = 0; i < n; ++i) out.push_back(s[i]);
  }
  return out;
}

std::shared_ptr<const Font> Font::create(const FontRequest& request) {
  std::shared_ptr<Font> font(new Font());
  font->request_ = request;
  const bool bold = request.weight >= 600;
  // Every face the program names is the one sans-serif face; fontconfig resolves the name.
  font->file_ = findFontFile(request.face.empty() ? "Arial" : request.face, bold, request.italic);
  std::lock_guard<std::recursive_mutex> guard(fontLock());
  liveFonts().insert(font.get());
  if (FT_Face face = openFile(font->file_)) {
    int pixels = std::abs(request.height);
    if (pixels == 0) pixels = 12;
    if (request.height > 0 && face->units_per_EM > 0 && face->ascender - face->descender > 0)
      pixels = std::max(1, int(std::lround(double(request.height) * face->units_per_EM / (face->ascender - face->descender))));
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels));
    font->pixels_ = pixels;
    font->valid_ = true;
    font->face_ = face;
    font->ascent_ = int((face->size->metrics.ascender + 63) >> 6);
    font->descent_ = int((-face->size->metrics.descender + 63) >> 6);
  }
  return font;
}

Font::~Font() {
  std::lock_guard<std::recursive_mutex> guard(fontLock());
  liveFonts().erase(this);
  if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
}

void* Font::openFace() const {
  if (face_ || !valid_) return face_;
  std::lock_guard<std::recursive_mutex> guard(fontLock());
  if (FT_Face face = openFile(file_)) {
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels_));
    face_ = face;
  }
  return face_;
}

const Font::Glyph& Font::glyph(uint32_t code) const {
  auto it = glyphs_.find(code);
  if (it != glyphs_.end()) return it->second;
  Glyph g;
  auto face = static_cast<FT_Face>(openFace());
  if (face && FT_Load_Char(face, code, FT_LOAD_RENDER) == 0) {
    const FT_GlyphSlot slot = face->glyph;
    g.advance = int((slot->advance.x + 32) >> 6);
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = int(slot->bitmap.width);
    g.rows = int(slot->bitmap.rows);
    g.coverage.resize(size_t(g.width) * size_t(g.rows));
    for (int y = 0; y < g.rows; ++y)
      for (int x = 0; x < g.width; ++x) {
        const uint8_t* row = slot->bitmap.buffer + y * slot->bitmap.pitch;
        g.coverage[size_t(y) * size_t(g.width) + size_t(x)] =
            slot->bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1) * 255 : row[x];
      }
  }
  return glyphs_.emplace(code, std::move(g)).first->second;
}

int Font::textWidth(const std::string& text) const {
  if (!valid_ || text.empty()) return 0;
  int w = 0;
  for (uint32_t c : decodeText(text)) w += glyph(c).advance;
  return w;
}

void Font::draw(Surface& s, const Rect& clip, int x, int top, const std::string& text, uint32_t colour) const {
  if (!valid_) return;
  const Rect c = clip.intersect(s.bounds());
  const int baseline = top + ascent_;
  const int cr = int(colour >> 16) & 255, cg = int(colour >> 8) & 255, cb = int(colour) & 255;
  const int startX = x;
  for (uint32_t code : decodeText(text)) {
    const Glyph& g = glyph(code);
    for (int gy = 0; gy < g.rows; ++gy) {
      const int py = baseline - g.top + gy;
      if (py < c.top || py >= c.bottom) continue;
      uint32_t* row = s.row(py);
      for (int gx = 0; gx < g.width; ++gx) {
        const int px = x + g.left + gx;
        if (px < c.left || px >= c.right) continue;
        const int a = g.coverage[size_t(gy) * size_t(g.width) + size_t(gx)];
        if (a == 0) continue;
        const uint32_t d = row[px];
        const int r = ((int(d >> 16) & 255) * (255 - a) + cr * a + 127) / 255;
        const int gg = ((int(d >> 8) & 255) * (255 - a) + cg * a + 127) / 255;
        const int b = ((int(d) & 255) * (255 - a) + cb * a + 127) / 255;
        row[px] = uint32_t(r) << 16 | uint32_t(gg) << 8 | uint32_t(b);
      }
    }
    x += g.advance;
  }
  if (request_.underline) {
    const int y = baseline + 1;
    if (y >= c.top && y < c.bottom)
      for (int px = std::max(startX, c.left); px < std::min(x, c.right); ++px) s.row(y)[px] = colour;
  }
}

}  // namespace ws
