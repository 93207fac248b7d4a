// Variants of the known formats that the plain readers do not lay out: bit-field BMPs are read
// here; planar and 16-bit TIFF and OS/2 BMP files come through the fallback decoders with their real
// pixels; what nothing reads correctly (tiled TIFF, 32-bit Photoshop) says what it is.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/read_number.h"
#include "tests/image/ffmpeg_made_files.h"

namespace {

using namespace imagetest;

int loadBytes(const TempFolder& folder, const char* name, const Bytes& bytes, ImageBuffer& into) {
  return loadFile(folder.write(name, bytes).pathText(), into);
}

// Expects every pixel to be colourAt, opaque, within `slack` steps on each colour.
void expectOpaqueColours(const ImageBuffer& b, int w, int h, int slack = 0) {
  ASSERT_EQ(b.width(), w);
  ASSERT_EQ(b.height(), h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Rgba got = pixel(b, x, y), want = colourAt(x, y);
      ASSERT_LE(std::abs(got.r - want.r), slack) << x << "," << y << " " << got;
      ASSERT_LE(std::abs(got.g - want.g), slack) << x << "," << y << " " << got;
      ASSERT_LE(std::abs(got.b - want.b), slack) << x << "," << y << " " << got;
      if (b.bitsPerPixel() == 32) {
        ASSERT_EQ(got.a, 255) << x << "," << y;
      }
    }
}

// ---- BMP with colour masks ----

// A bottom-up BMP of colourAt pixels with the given header size, compression and masks, rows made by
// `pixelBytes` from each colour.
template <typename Encode>
Bytes maskedBmp(int w, int h, int bits, uint32_t infoSize, uint32_t compression, std::vector<uint32_t> masks,
                Encode encode) {
  const int rowStep = (w * bits / 8 + 3) & ~3;
  const uint32_t maskBytes = infoSize == 40 ? uint32_t(4 * masks.size()) : 0;
  const uint32_t offset = 14 + infoSize + maskBytes;
  Bytes b = {'B', 'M'};
  put32le(b, offset + uint32_t(rowStep * h));
  put32le(b, 0);
  put32le(b, offset);
  put32le(b, infoSize);
  put32le(b, uint32_t(w));
  put32le(b, uint32_t(h));
  put16le(b, 1);
  put16le(b, uint32_t(bits));
  put32le(b, compression);
  b.resize(14 + 40, 0);
  for (uint32_t m : masks) put32le(b, m);
  b.resize(offset, 0);
  for (int y = h - 1; y >= 0; --y) {
    Bytes row;
    for (int x = 0; x < w; ++x) encode(row, colourAt(x, y));
    row.resize(size_t(rowStep), 0);
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

TEST(BitFieldBmp, FiveSixFiveWordsAreWidened) {
  const Bytes f = maskedBmp(5, 3, 16, 40, 3, {0xf800, 0x07e0, 0x001f}, [](Bytes& row, Rgba c) {
    put16le(row, uint32_t(c.b >> 3) | uint32_t(c.g >> 2) << 5 | uint32_t(c.r >> 3) << 11);
  });
  ImageBuffer b;
  ASSERT_EQ(readFromMemory(readBmp, f, "565.bmp", b), kReadOk);
  ASSERT_EQ(b.bitsPerPixel(), 24);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      const Rgba c = colourAt(x, y);
      EXPECT_EQ(pixel(b, x, y), (Rgba{uint8_t(c.r & ~7), uint8_t(c.g & ~3), uint8_t(c.b & ~7), 0})) << x << "," << y;
    }
}

TEST(BitFieldBmp, StandardMasksReadLikeThePlainDepths) {
  // 5-5-5 and 8-8-8-8 masks describe the plain rows: the buffer is the one of the plain file.
  for (int bits : {16, 32}) {
    BmpSpec s;
    s.width = 5;
    s.height = 3;
    s.bits = bits;
    ImageBuffer plain, masked;
    ASSERT_EQ(readFromMemory(readBmp, makeBmp(s), "plain.bmp", plain), kReadOk);
    const std::vector<uint32_t> masks =
        bits == 16 ? std::vector<uint32_t>{0x7c00, 0x03e0, 0x001f} : std::vector<uint32_t>{0xff0000, 0xff00, 0xff};
    const Bytes f = maskedBmp(5, 3, bits, 40, 3, masks, [bits](Bytes& row, Rgba c) {
      if (bits == 16) put16le(row, uint32_t(c.b >> 3) | uint32_t(c.g >> 3) << 5 | uint32_t(c.r >> 3) << 10);
      else row.insert(row.end(), {c.b, c.g, c.r, c.a});
    });
    ASSERT_EQ(readFromMemory(readBmp, f, "masked.bmp", masked), kReadOk) << bits;
    ASSERT_EQ(masked.bitsPerPixel(), bits);
    EXPECT_EQ(Bytes(masked.pixels(), masked.pixels() + masked.pixelBytes()),
              Bytes(plain.pixels(), plain.pixels() + plain.pixelBytes()))
        << bits;
  }
}

TEST(BitFieldBmp, LongHeaderWithoutAnAlphaMaskIsOpaque) {
  // A 124-byte header carries its masks inside; an alpha mask of 0 makes the fourth byte padding.
  const Bytes f = maskedBmp(4, 2, 32, 124, 3, {0xff0000, 0xff00, 0xff, 0}, [](Bytes& row, Rgba c) {
    row.insert(row.end(), {c.b, c.g, c.r, 0x37});
  });
  ImageBuffer b;
  ASSERT_EQ(readFromMemory(readBmp, f, "v5.bmp", b), kReadOk);
  expectOpaqueColours(b, 4, 2);
  // With the alpha mask set, the fourth byte is transparency.
  const Bytes g = maskedBmp(4, 2, 32, 124, 3, {0xff0000, 0xff00, 0xff, 0xff000000}, [](Bytes& row, Rgba c) {
    row.insert(row.end(), {c.b, c.g, c.r, c.a});
  });
  ASSERT_EQ(readFromMemory(readBmp, g, "v5alpha.bmp", b), kReadOk);
  EXPECT_EQ(pixel(b, 3, 1), colourAt(3, 1));
}

TEST(BitFieldBmp, OtherMasksAreNamedWhenNothingReadsThem) {
  TempFolder folder;
  RecordingHooks hooks;
  // Masks that overlap describe no picture any decoder takes.
  const Bytes f = maskedBmp(4, 2, 32, 40, 3, {0xffff0000, 0x00ffff00, 0x0000ffff},
                            [](Bytes& row, Rgba c) { row.insert(row.end(), {c.b, c.g, c.r, c.a}); });
  ImageBuffer b;
  EXPECT_EQ(readFromMemory(readBmp, f, "odd.bmp", b), kReadUnsupported);
  EXPECT_EQ(b.loadWithMessages(folder.write("odd.bmp", f), nullptr, true), 0);
  ASSERT_EQ(hooks.messages.size(), 1u);
  EXPECT_EQ(hooks.messages[0], "Can't read BMP images with colour masks other than 5-5-5, 5-6-5 and 8-8-8-8");
  // Bit fields of a 24-bit file are no layout at all: an unsupported encoding.
  const Bytes g = maskedBmp(4, 2, 24, 40, 3, {0xff0000, 0xff00, 0xff}, [](Bytes& row, Rgba c) {
    row.insert(row.end(), {c.b, c.g, c.r});
  });
  EXPECT_EQ(readFromMemory(readBmp, g, "odd24.bmp", b), kReadUnsupported);
  EXPECT_EQ(readerMessage(kReadUnsupported).text, "Can't read compressed images");
}

// ---- OS/2 BMP ----

TEST(Os2Bmp, TwelveByteHeaderIsReadByTheFallback) {
  if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  const int w = 5, h = 3, rowStep = (w * 3 + 3) & ~3;
  Bytes f = {'B', 'M'};
  put32le(f, uint32_t(26 + rowStep * h));
  put32le(f, 0);
  put32le(f, 26);
  put32le(f, 12);
  put16le(f, w);
  put16le(f, h);
  put16le(f, 1);
  put16le(f, 24);
  for (int y = h - 1; y >= 0; --y) {
    Bytes row;
    for (int x = 0; x < w; ++x) row.insert(row.end(), {colourAt(x, y).b, colourAt(x, y).g, colourAt(x, y).r});
    row.resize(size_t(rowStep), 0);
    f.insert(f.end(), row.begin(), row.end());
  }
  TempFolder folder;
  ImageBuffer own;
  EXPECT_EQ(readFromMemory(readBmp, f, "os2.bmp", own), kReadUnsupported);
  ImageBuffer b;
  ASSERT_EQ(loadBytes(folder, "os2.bmp", f, b), kReadOk);
  expectOpaqueColours(b, w, h);
}

// ---- TIFF variants ----

struct Field {
  uint16_t tag, type;
  std::vector<uint32_t> values;
};

// Appends a directory of fields to a file whose data is already in `b` (after its 8-byte header);
// values that do not fit in an entry go in arrays before it.
Bytes finishTiff(Bytes b, bool big, std::vector<Field> fields) {
  b[0] = b[1] = big ? 'M' : 'I';
  set16(b, 2, 42, big);
  std::vector<uint32_t> arrays;
  for (const Field& f : fields) {
    const uint32_t size = f.type == 3 ? 2 : 4;
    if (b.size() % 2) b.push_back(0);
    arrays.push_back(uint32_t(b.size()));
    if (f.values.size() * size <= 4) continue;
    for (uint32_t v : f.values) {
      b.resize(b.size() + size);
      if (size == 2) set16(b, b.size() - 2, v, big);
      else set32(b, b.size() - 4, v, big);
    }
  }
  if (b.size() % 2) b.push_back(0);
  set32(b, 4, uint32_t(b.size()), big);
  const size_t ifd = b.size();
  b.resize(ifd + 2 + 12 * fields.size() + 4, 0);
  set16(b, ifd, uint32_t(fields.size()), big);
  for (size_t i = 0; i < fields.size(); ++i) {
    const Field& f = fields[i];
    const size_t at = ifd + 2 + 12 * i;
    const uint32_t size = f.type == 3 ? 2 : 4;
    set16(b, at, f.tag, big);
    set16(b, at + 2, f.type, big);
    set32(b, at + 4, uint32_t(f.values.size()), big);
    if (f.values.size() * size > 4) set32(b, at + 8, arrays[i], big);
    else
      for (size_t k = 0; k < f.values.size(); ++k)
        if (size == 2) set16(b, at + 8 + 2 * k, f.values[k], big);
        else set32(b, at + 8, f.values[k], big);
  }
  return b;
}

// The red, green and blue of colourAt(x, y) as 8- or 16-bit samples (16-bit ones v * 257).
void putSample(Bytes& b, uint8_t v, int bits, bool big) {
  if (bits == 8) {
    b.push_back(v);
  } else {
    b.resize(b.size() + 2);
    set16(b, b.size() - 2, uint32_t(v) * 257, big);
  }
}

TEST(TiffVariants, TiledFilesAreRefusedByName) {
  // 20 x 18 in tiles of 16 x 16: four tiles, three of them partly outside the picture.
  const int w = 20, h = 18, tile = 16;
  Bytes b(8, 0);
  std::vector<uint32_t> offsets, counts;
  for (int ty = 0; ty < 2; ++ty)
    for (int tx = 0; tx < 2; ++tx) {
      offsets.push_back(uint32_t(b.size()));
      for (int y = ty * tile; y < (ty + 1) * tile; ++y)
        for (int x = tx * tile; x < (tx + 1) * tile; ++x) {
          const Rgba c = x < w && y < h ? colourAt(x, y) : Rgba{0, 0, 0, 0};
          b.insert(b.end(), {c.r, c.g, c.b});
        }
      counts.push_back(uint32_t(b.size()) - offsets.back());
    }
  const Bytes f = finishTiff(b, false,
                             {{256, 3, {uint32_t(w)}},
                              {257, 3, {uint32_t(h)}},
                              {258, 3, {8, 8, 8}},
                              {259, 3, {1}},
                              {262, 3, {2}},
                              {277, 3, {3}},
                              {284, 3, {1}},
                              {322, 3, {uint32_t(tile)}},
                              {323, 3, {uint32_t(tile)}},
                              {324, 4, offsets},
                              {325, 4, counts}});
  // The fallback decoders would make a blank picture of it and call it read: nothing is asked but the
  // TIFF reader, whose answer the user sees, also when the tiles are compressed.
  TempFolder folder;
  RecordingHooks hooks;
  ImageBuffer pic(16, 16, 8);
  EXPECT_EQ(loadBytes(folder, "tiled.tif", f, pic), kReadUnsupported);
  EXPECT_EQ(pic.width(), 16);
  EXPECT_EQ(pic.loadWithMessages(folder.spec("tiled.tif"), nullptr, true), 0);
  Bytes lzw = f;
  const uint32_t ifd = readNumber(&lzw[4], 4, false);
  set16(lzw, ifd + 2 + 12 * 3 + 8, 5, false);  // the compression entry, the fourth
  EXPECT_EQ(loadBytes(folder, "tiled-lzw.tif", lzw, pic), kReadUnsupported);
  EXPECT_EQ(pic.loadWithMessages(folder.spec("tiled-lzw.tif"), nullptr, true), 0);
  ASSERT_EQ(hooks.messages.size(), 2u);
  EXPECT_EQ(hooks.messages[0], "Can't read tiled TIFF images");
  EXPECT_EQ(hooks.messages[1], "Can't read tiled TIFF images");
}

TEST(TiffVariants, PlanarFilesAreReadPlaneByPlane) {
  if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  for (int bits : {8, 16}) {
    const int w = 7, h = 5;
    Bytes b(8, 0);
    std::vector<uint32_t> offsets, counts;
    for (int plane = 0; plane < 3; ++plane) {
      offsets.push_back(uint32_t(b.size()));
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const Rgba c = colourAt(x, y);
          putSample(b, plane == 0 ? c.r : plane == 1 ? c.g : c.b, bits, true);
        }
      counts.push_back(uint32_t(b.size()) - offsets.back());
    }
    const uint32_t s = uint32_t(bits);
    const Bytes f = finishTiff(b, true,
                               {{256, 3, {uint32_t(w)}},
                                {257, 3, {uint32_t(h)}},
                                {258, 3, {s, s, s}},
                                {259, 3, {1}},
                                {262, 3, {2}},
                                {273, 4, offsets},
                                {277, 3, {3}},
                                {278, 3, {uint32_t(h)}},
                                {279, 4, counts},
                                {284, 3, {2}}});
    TempFolder folder;
    ImageBuffer own;
    EXPECT_EQ(readFromMemory(readTiff, f, "planar.tif", own), kReadUnsupported) << bits;
    ImageBuffer pic;
    ASSERT_EQ(loadBytes(folder, "planar.tif", f, pic), kReadOk) << bits;
    // Narrowing 16-bit samples may move a value by one step, never more.
    expectOpaqueColours(pic, w, h, bits == 16 ? 1 : 0);
  }
}

TEST(TiffVariants, SixteenBitSamplesOfEitherByteOrderAreTheirValues) {
  if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  // Samples v * 257 (high and low byte both v): read as 8-bit samples they would be every pixel
  // twice over, half as wide; read as numbers they narrow back to v.
  for (bool big : {false, true})
    for (int strips : {1, 3}) {
      const int w = 6, h = 6, rows = h / strips;
      Bytes b(8, 0);
      std::vector<uint32_t> offsets, counts;
      for (int st = 0; st < strips; ++st) {
        offsets.push_back(uint32_t(b.size()));
        for (int y = st * rows; y < (st + 1) * rows; ++y)
          for (int x = 0; x < w; ++x) {
            const Rgba c = colourAt(x, y);
            for (uint8_t v : {c.r, c.g, c.b}) putSample(b, v, 16, big);
          }
        counts.push_back(uint32_t(b.size()) - offsets.back());
      }
      const Bytes f = finishTiff(b, big,
                                 {{256, 3, {uint32_t(w)}},
                                  {257, 3, {uint32_t(h)}},
                                  {258, 3, {16, 16, 16}},
                                  {259, 3, {1}},
                                  {262, 3, {2}},
                                  {273, 4, offsets},
                                  {277, 3, {3}},
                                  {278, 3, {uint32_t(rows)}},
                                  {279, 4, counts}});
      TempFolder folder;
      ImageBuffer own;
      EXPECT_EQ(readFromMemory(readTiff, f, "wide.tif", own), kReadUnsupported);
      EXPECT_EQ(readerMessage(kReadUnsupported).text, "Can't read TIFF images with 16-bit samples");
      ImageBuffer pic;
      ASSERT_EQ(loadBytes(folder, "wide.tif", f, pic), kReadOk) << big << strips;
      expectOpaqueColours(pic, w, h, 1);
    }
}

// ---- what nothing reads ----

TEST(UnreadVariants, ThirtyTwoBitPhotoshopSaysSo) {
  TempFolder folder;
  RecordingHooks hooks;
  // Float samples: four bytes each, three planes of 3 x 2.
  PsdSpec s;
  s.planes = {Bytes(6, 1), Bytes(6, 2), Bytes(6, 3)};
  Bytes f = makePsd(s);
  set16(f, 22, 32, true);
  f.insert(f.end(), 3 * 6 * 3, 0x3f);
  ImageBuffer b;
  EXPECT_EQ(loadBytes(folder, "float.psd", f, b), kReadUnsupported);
  EXPECT_EQ(b.loadWithMessages(folder.spec("float.psd"), nullptr, true), 0);
  ASSERT_EQ(hooks.messages.size(), 1u);
  EXPECT_EQ(hooks.messages[0], "Can't read 32-bit Photoshop images");
  // A read that succeeds afterwards leaves no reason behind for the next message.
  TgaSpec tga;
  ASSERT_EQ(loadBytes(folder, "plain.tga", makeTga(tga), b), kReadOk);
  EXPECT_EQ(readerMessage(kReadUnsupported).text, "Can't read compressed images");
}

}  // namespace
