#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <cstdlib>

#include "image/image_readers.h"
#include "image/jpeg_library.h"
#include "tests/image/image_test_files.h"

namespace {

using namespace imagetest;

// Encodes top-down rows of `channels` bytes a pixel (RGB or grey) with the library itself.
Bytes encodeJpeg(const Bytes& pixels, int w, int h, bool grey) {
  tjhandle enc = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long size = 0;
  const int rc = tjCompress2(enc, pixels.data(), w, 0, h, grey ? TJPF_GRAY : TJPF_RGB, &out, &size,
                             grey ? TJSAMP_GRAY : TJSAMP_444, 95, 0);
  EXPECT_EQ(rc, 0) << tjGetErrorStr2(enc);
  Bytes bytes(out, out + size);
  tjFree(out);
  tjDestroy(enc);
  return bytes;
}

// What the library decodes from the same bytes, top-down RGB.
Bytes referenceDecode(const Bytes& jpeg, int w, int h) {
  tjhandle dec = tjInitDecompress();
  Bytes rgb(size_t(w) * h * 3);
  EXPECT_EQ(tjDecompress2(dec, jpeg.data(), jpeg.size(), rgb.data(), w, 0, h, TJPF_RGB, 0), 0);
  tjDestroy(dec);
  return rgb;
}

int readJpegBytes(const Bytes& bytes, ImageBuffer& out) { return readFromMemory(readJpeg, bytes, "memory.jpg", out); }

TEST(JpegReader, ColourRowsBottomUpInBlueGreenRed) {
  const int w = 13, h = 9;  // odd sizes, so that rows carry padding
  Bytes rgb;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) rgb.insert(rgb.end(), {uint8_t(x * 19), uint8_t(y * 28), uint8_t(128)});
  const Bytes jpeg = encodeJpeg(rgb, w, h, false);
  const Bytes want = referenceDecode(jpeg, w, h);
  ImageBuffer b;
  ASSERT_EQ(readJpegBytes(jpeg, b), kReadOk);
  ASSERT_EQ(b.bitsPerPixel(), 24);
  ASSERT_EQ(b.width(), w);
  ASSERT_EQ(b.height(), h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = &want[3 * size_t(y * w + x)];
      ASSERT_EQ(pixel(b, x, y), (Rgba{p[0], p[1], p[2], 0})) << x << "," << y;
    }
  // Lossy, but near what went in: the top-left corner is dark red-free, the bottom right bright.
  EXPECT_NEAR(pixel(b, 12, 8).r, 228, 6);
  EXPECT_NEAR(pixel(b, 12, 8).g, 224, 6);
  EXPECT_NEAR(pixel(b, 0, 0).b, 128, 6);
}

TEST(JpegReader, GreyscaleGivesEqualColours) {
  const int w = 8, h = 3;
  Bytes grey;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) grey.push_back(uint8_t(30 * x + y));
  const Bytes jpeg = encodeJpeg(grey, w, h, true);
  ImageBuffer b;
  ASSERT_EQ(readJpegBytes(jpeg, b), kReadOk);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Rgba p = pixel(b, x, y);
      EXPECT_EQ(p.r, p.g);
      EXPECT_EQ(p.g, p.b);
      EXPECT_NEAR(p.r, 30 * x + y, 4) << x << "," << y;
    }
}

TEST(JpegReader, BrokenAndCutFiles) {
  ImageBuffer b;
  EXPECT_EQ(readJpegBytes(Bytes{'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'}, b), kReadFormatError);
  EXPECT_EQ(readJpegBytes(Bytes{}, b), kReadFormatError);
  Bytes rgb;
  for (int i = 0; i < 64 * 64 * 3; ++i) rgb.push_back(uint8_t(i * 7919 % 251));
  Bytes jpeg = encodeJpeg(rgb, 64, 64, false);
  ASSERT_GT(jpeg.size(), 2000u);
  dropLast(jpeg, 1000);  // the decoder warns and gives the lines it has
  EXPECT_EQ(readJpegBytes(jpeg, b), kReadOk);
  EXPECT_EQ(b.width(), 64);
}

TEST(JpegReader, WithoutTheLibrary) {
  const Bytes jpeg = encodeJpeg(Bytes(4 * 4 * 3, 9), 4, 4, false);
  ASSERT_EQ(setenv("KESTRELMOVE_TURBOJPEG", "libkestrelmove-no-such-decoder.so", 1), 0);
  ImageBuffer b;
  EXPECT_FALSE(jpegLibraryAvailable());
  EXPECT_EQ(readJpegBytes(jpeg, b), kReadUnsupported);
  unsetenv("KESTRELMOVE_TURBOJPEG");
  EXPECT_TRUE(jpegLibraryAvailable());
  EXPECT_EQ(readJpegBytes(jpeg, b), kReadOk);
}

}  // namespace
