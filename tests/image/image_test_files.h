#pragma once
// Tiny encoders for the image formats the readers take, so that tests build exactly the files they
// need, plus a temporary folder and pixel access for checking what was read.
#include <gtest/gtest.h>

#include <cstdint>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "image/image_buffer.h"
#include "image/image_readers.h"
#include "image/open_file.h"
#include "platform/file_spec.h"
#include "platform/ui_hooks.h"

namespace imagetest {

using Bytes = std::vector<uint8_t>;

struct Rgba {
  uint8_t r, g, b, a;
  bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

inline std::ostream& operator<<(std::ostream& os, const Rgba& c) {
  return os << "(r " << int(c.r) << ", g " << int(c.g) << ", b " << int(c.b) << ", a " << int(c.a) << ")";
}

// A distinct colour for every pixel of small test pictures; (x, y) with y counted from the top.
inline Rgba colourAt(int x, int y) {
  return {uint8_t(20 + 30 * x + y), uint8_t(200 - 7 * y + x), uint8_t(5 + 11 * x + 13 * y), uint8_t(100 + x + 9 * y)};
}

inline void put16le(Bytes& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
inline void put32le(Bytes& b, uint32_t v) {
  put16le(b, v);
  put16le(b, v >> 16);
}
inline void put16be(Bytes& b, uint32_t v) {
  b.push_back(uint8_t(v >> 8));
  b.push_back(uint8_t(v));
}
inline void put32be(Bytes& b, uint32_t v) {
  put16be(b, v >> 16);
  put16be(b, v);
}
inline void set16(Bytes& b, size_t at, uint32_t v, bool big) {
  b[at + (big ? 1 : 0)] = uint8_t(v);
  b[at + (big ? 0 : 1)] = uint8_t(v >> 8);
}
inline void set32(Bytes& b, size_t at, uint32_t v, bool big) {
  for (int i = 0; i < 4; ++i) b[at + size_t(big ? 3 - i : i)] = uint8_t(v >> (8 * i));
}

// A file cut short by its last n bytes.
inline void dropLast(Bytes& b, size_t n) { b.erase(b.end() - long(std::min(n, b.size())), b.end()); }

// Pixel (x, y) of a buffer, y counted from the top, read by the buffer's depth (8 bits through the
// palette, 16 bits as 5-5-5); alpha is 0 below 32 bits.
inline Rgba pixel(const ImageBuffer& b, int x, int y) {
  const uint8_t* row = b.row(b.height() - 1 - y);
  switch (b.bitsPerPixel()) {
    case 8: {
      const uint8_t* e = b.palette() + 4 * row[x];
      return {e[2], e[1], e[0], 0};
    }
    case 16: {
      const unsigned w = unsigned(row[2 * x]) | unsigned(row[2 * x + 1]) << 8;
      return {uint8_t(((w >> 10) & 31) << 3), uint8_t(((w >> 5) & 31) << 3), uint8_t((w & 31) << 3), 0};
    }
    case 24: return {row[3 * x + 2], row[3 * x + 1], row[3 * x], 0};
    case 32: return {row[4 * x + 2], row[4 * x + 1], row[4 * x], row[4 * x + 3]};
    default: return {0, 0, 0, 0};
  }
}

// ---- Photoshop ----

struct PsdSpec {
  int width = 3, height = 2, channels = 3, depth = 8, mode = 3;
  bool packed = false;
  Bytes colourModeData;
  // planes[c][y * width + x], 8-bit values (16-bit files get them as the high byte, low byte 0x5a).
  std::vector<Bytes> planes;
};

// PackBits: literal runs of up to 128 bytes, repeats for three or more equal bytes.
inline Bytes packBits(const Bytes& in) {
  Bytes out;
  size_t i = 0;
  while (i < in.size()) {
    size_t run = 1;
    while (i + run < in.size() && in[i + run] == in[i] && run < 128) ++run;
    if (run >= 3) {
      out.push_back(uint8_t(int8_t(1 - int(run))));
      out.push_back(in[i]);
      i += run;
      continue;
    }
    size_t start = i, n = 0;
    while (i < in.size() && n < 128) {
      if (i + 2 < in.size() && in[i] == in[i + 1] && in[i] == in[i + 2]) break;
      ++i;
      ++n;
    }
    out.push_back(uint8_t(n - 1));
    out.insert(out.end(), in.begin() + long(start), in.begin() + long(i));
  }
  return out;
}

inline Bytes makePsd(const PsdSpec& s) {
  Bytes b = {'8', 'B', 'P', 'S'};
  put16be(b, 1);
  b.insert(b.end(), 6, 0);
  put16be(b, uint32_t(s.channels));
  put32be(b, uint32_t(s.height));
  put32be(b, uint32_t(s.width));
  put16be(b, uint32_t(s.depth));
  put16be(b, uint32_t(s.mode));
  put32be(b, uint32_t(s.colourModeData.size()));
  b.insert(b.end(), s.colourModeData.begin(), s.colourModeData.end());
  put32be(b, 6);  // image resources, skipped
  b.insert(b.end(), {1, 2, 3, 4, 5, 6});
  put32be(b, 0);  // layers and masks
  put16be(b, s.packed ? 1 : 0);
  const int bps = s.depth / 8;
  std::vector<Bytes> lines;  // per channel, per row
  for (int c = 0; c < s.channels; ++c)
    for (int y = 0; y < s.height; ++y) {
      Bytes line;
      for (int x = 0; x < s.width; ++x) {
        line.push_back(s.planes[size_t(c)][size_t(y * s.width + x)]);
        if (bps == 2) line.push_back(0x5a);
      }
      lines.push_back(s.packed ? packBits(line) : line);
    }
  if (s.packed)
    for (const Bytes& l : lines) put16be(b, uint32_t(l.size()));
  for (const Bytes& l : lines) b.insert(b.end(), l.begin(), l.end());
  return b;
}

// ---- TIFF ----

struct TiffSpec {
  int width = 3, height = 4, samples = 3;
  bool bigEndian = false;
  int rowsPerStrip = 0;  // 0: one strip
  bool withWidthTag = true;
  int compression = 1;
};

// Pixels are colourAt (red, green, blue[, alpha]); one-sample files carry the red value.
inline Bytes makeTiff(const TiffSpec& s) {
  const bool big = s.bigEndian;
  Bytes b(8, 0);
  b[0] = b[1] = big ? 'M' : 'I';
  set16(b, 2, 42, big);
  // Pixel data first, strip by strip.
  const int rps = s.rowsPerStrip ? s.rowsPerStrip : s.height;
  const int strips = (s.height + rps - 1) / rps;
  std::vector<uint32_t> offsets;
  for (int st = 0; st < strips; ++st) {
    offsets.push_back(uint32_t(b.size()));
    for (int y = st * rps; y < std::min(s.height, (st + 1) * rps); ++y)
      for (int x = 0; x < s.width; ++x) {
        const Rgba c = colourAt(x, y);
        const uint8_t v[4] = {c.r, c.g, c.b, c.a};
        for (int k = 0; k < s.samples; ++k) b.push_back(v[k % 4]);
      }
    b.push_back(0xee);  // a gap between strips, so that strips are found by their offsets
  }
  uint32_t offsetsAt = 0;
  if (strips > 2) {
    offsetsAt = uint32_t(b.size());
    for (uint32_t o : offsets) {
      b.resize(b.size() + 4);
      set32(b, b.size() - 4, o, big);
    }
  }
  if (b.size() % 2) b.push_back(0);
  const uint32_t ifd = uint32_t(b.size());
  set32(b, 4, ifd, big);
  struct Entry {
    uint32_t tag, type, count, value;
  };
  std::vector<Entry> entries;
  if (s.withWidthTag) entries.push_back({256, 3, 1, uint32_t(s.width)});
  entries.push_back({257, 4, 1, uint32_t(s.height)});
  entries.push_back({259, 3, 1, uint32_t(s.compression)});
  if (strips == 1) entries.push_back({273, 4, 1, offsets[0]});
  else if (strips == 2) entries.push_back({273, 3, 2, 0});  // both 16-bit offsets inside the entry
  else entries.push_back({273, 4, uint32_t(strips), offsetsAt});
  entries.push_back({277, 3, 1, uint32_t(s.samples)});
  if (s.rowsPerStrip) entries.push_back({278, 3, 1, uint32_t(s.rowsPerStrip)});
  b.resize(b.size() + 2);
  set16(b, ifd, uint32_t(entries.size()), big);
  for (const Entry& e : entries) {
    const size_t at = b.size();
    b.resize(at + 12, 0);
    set16(b, at, e.tag, big);
    set16(b, at + 2, e.type, big);
    set32(b, at + 4, e.count, big);
    if (e.tag == 273 && strips == 2) {
      set16(b, at + 8, offsets[0], big);
      set16(b, at + 10, offsets[1], big);
    } else if (e.type == 3) {
      set16(b, at + 8, e.value, big);
    } else {
      set32(b, at + 8, e.value, big);
    }
  }
  b.resize(b.size() + 4, 0);
  return b;
}

// ---- BMP ----

struct BmpSpec {
  int width = 3, height = 2, bits = 24;
  uint32_t infoSize = 40;
  uint32_t compression = 0;
  uint32_t coloursUsed = 0;
  bool topDown = false;
  bool zeroFileSize = false;
};

// 8 bits: index = (x + 2y) % 4 into a 4-colour palette (colourAt(i, 9)); other depths carry colourAt
// (alpha in the fourth byte of 32-bit rows).
inline Rgba bmpPaletteColour(int i) { return colourAt(i, 9); }

inline Bytes makeBmp(const BmpSpec& s) {
  const int paletteEntries = s.bits == 8 ? (s.coloursUsed ? int(s.coloursUsed) : 256) : 0;
  const int rowStep = (s.width * (s.bits / 8) + 3) & ~3;
  const uint32_t offset = 14 + s.infoSize + 4 * uint32_t(paletteEntries);
  Bytes b = {'B', 'M'};
  put32le(b, s.zeroFileSize ? 0 : offset + uint32_t(rowStep * s.height));
  put32le(b, 0);
  put32le(b, offset);
  put32le(b, s.infoSize);
  put32le(b, uint32_t(s.width));
  put32le(b, uint32_t(s.topDown ? -s.height : s.height));
  put16le(b, 1);
  put16le(b, uint32_t(s.bits));
  put32le(b, s.compression);
  b.resize(14 + s.infoSize, 0);
  set32(b, 46, s.coloursUsed, false);
  for (int i = 0; i < paletteEntries; ++i) {
    const Rgba c = bmpPaletteColour(i);
    b.insert(b.end(), {c.b, c.g, c.r, 0});
  }
  for (int r = 0; r < s.height; ++r) {
    const int y = s.topDown ? r : s.height - 1 - r;
    Bytes row;
    for (int x = 0; x < s.width; ++x) {
      const Rgba c = colourAt(x, y);
      switch (s.bits) {
        case 8: row.push_back(uint8_t((x + 2 * y) % 4)); break;
        case 16: put16le(row, uint32_t(c.b >> 3) | uint32_t(c.g >> 3) << 5 | uint32_t(c.r >> 3) << 10); break;
        case 24: row.insert(row.end(), {c.b, c.g, c.r}); break;
        case 32: row.insert(row.end(), {c.b, c.g, c.r, c.a}); break;
        default: row.push_back(0xff); break;  // 1-bit and other depths: the readers refuse them
      }
    }
    row.resize(size_t(rowStep), 0);
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

// ---- Targa ----

struct TgaSpec {
  int width = 3, height = 2, bits = 24, type = 2;
  bool topFirst = false;
  int identifierLength = 0;
  int mapLength = 0, mapEntryBits = 0;
};

// Pixels are colourAt; 8-bit files carry the red value, 16-bit ones 5-5-5 words.
inline Bytes makeTga(const TgaSpec& s) {
  Bytes b(18, 0);
  b[0] = uint8_t(s.identifierLength);
  b[2] = uint8_t(s.type);
  set16(b, 5, uint32_t(s.mapLength), false);
  b[7] = uint8_t(s.mapEntryBits);
  set16(b, 12, uint32_t(s.width), false);
  set16(b, 14, uint32_t(s.height), false);
  b[16] = uint8_t(s.bits);
  b[17] = uint8_t((s.bits == 32 ? 8 : 0) | (s.topFirst ? 0x20 : 0));
  b.insert(b.end(), size_t(s.identifierLength), 'i');
  b.insert(b.end(), size_t(s.mapLength * ((s.mapEntryBits + 7) / 8)), 0x77);
  for (int r = 0; r < s.height; ++r) {
    const int y = s.topFirst ? r : s.height - 1 - r;
    for (int x = 0; x < s.width; ++x) {
      const Rgba c = colourAt(x, y);
      switch (s.bits) {
        case 8: b.push_back(c.r); break;
        case 16: put16le(b, uint32_t(c.b >> 3) | uint32_t(c.g >> 3) << 5 | uint32_t(c.r >> 3) << 10); break;
        case 24: b.insert(b.end(), {c.b, c.g, c.r}); break;
        case 32: b.insert(b.end(), {c.b, c.g, c.r, c.a}); break;
        default: break;
      }
    }
  }
  return b;
}

// ---- files and messages ----

// A fresh folder for one test, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::path(::testing::TempDir()) /
            ("km_image_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() { std::filesystem::remove_all(path_); }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  std::string path() const { return path_.string(); }

  // Writes bytes as a file of this folder and returns its FileSpec.
  FileSpec write(const std::string& name, const Bytes& bytes) const {
    std::ofstream(file(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
    return spec(name);
  }
  FileSpec spec(const std::string& name) const {
    FileSpec f;
    f.setPath(file(name));
    return f;
  }

 private:
  std::filesystem::path path_;
};

// Records what the core shows the user while it is installed.
class RecordingHooks : public UiHooks {
 public:
  RecordingHooks() { previous_ = registerUiHooks(this); }
  ~RecordingHooks() override { registerUiHooks(previous_); }
  int showMessage(const char* text, long code) override {
    messages.push_back(messageText(text, code));
    subjects.push_back(messageSubject());
    return 1;
  }
  void setCursor(int kind) override { cursors.push_back(kind); }
  void beep() override {}

  std::vector<std::string> messages;
  std::vector<std::string> subjects;
  std::vector<int> cursors;

 private:
  UiHooks* previous_ = nullptr;
};

using Reader = int (*)(ImageBuffer&, OpenFile&);

// Runs one reader over bytes held in memory, as if they came from a file of the given name.
inline int readFromMemory(Reader reader, const Bytes& bytes, const char* name, ImageBuffer& out) {
  OpenFile f;
  FileSpec spec;
  spec.setPath(name);
  EXPECT_TRUE(f.openMemory(bytes.data(), bytes.size(), spec));
  return reader(out, f);
}

}  // namespace imagetest
