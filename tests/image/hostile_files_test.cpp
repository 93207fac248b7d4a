// Files made to cost the readers more than they give: headers that promise pixels the file does not
// hold, JPEG files of endless scans, and paths that are no regular files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <turbojpeg.h>

#include <string>

#include "image/jpeg_scans.h"
#include "image/read_number.h"
#include "tests/image/image_test_files.h"

namespace {

using namespace imagetest;

int loadBytes(const Bytes& bytes, const char* name, ImageBuffer& into) {
  OpenFile f;
  FileSpec spec;
  spec.setPath(name);
  EXPECT_TRUE(f.openMemory(bytes.data(), bytes.size(), spec));
  return into.loadBySignature(f);
}

// ---- headers that promise more than the file holds ----

TEST(PromisedPixels, TinyHeadersOfHugePicturesAreDamagedFiles) {
  TempFolder folder;
  RecordingHooks hooks;
  // An 18-byte Targa header and a 54-byte BMP header, each of an 8192 x 8192 32-bit picture.
  Bytes tgaHeader = makeTga(TgaSpec{});
  set16(tgaHeader, 12, 8192, false);
  set16(tgaHeader, 14, 8192, false);
  tgaHeader[16] = 32;
  tgaHeader.resize(18);
  Bytes bmpHeader = makeBmp(BmpSpec{});
  set32(bmpHeader, 18, 8192, false);
  set32(bmpHeader, 22, 8192, false);
  set16(bmpHeader, 28, 32, false);
  bmpHeader.resize(54);
  // The same promise in a TIFF directory whose one strip starts at the end of the file, and in a
  // raw Photoshop header with no channel data.
  TiffSpec tiffSpec;
  Bytes tiff = makeTiff(tiffSpec);
  const uint32_t ifd = readNumber(&tiff[4], 4, false);
  set16(tiff, ifd + 2 + 8, 8192, false);       // width, the first entry
  set32(tiff, ifd + 2 + 12 + 8, 8192, false);  // height, the second
  PsdSpec psdSpec;
  psdSpec.width = psdSpec.height = 1;
  psdSpec.planes = {Bytes{1}, Bytes{2}, Bytes{3}};
  Bytes psd = makePsd(psdSpec);
  set32(psd, 14, 8192, true);
  set32(psd, 18, 8192, true);

  const struct {
    const char* name;
    const Bytes& bytes;
  } files[] = {{"header.tga", tgaHeader}, {"header.bmp", bmpHeader}, {"header.tif", tiff}, {"header.psd", psd}};
  for (const auto& f : files) {
    ImageBuffer b(16, 16, 8);
    EXPECT_EQ(loadBytes(f.bytes, f.name, b), kReadFormatError) << f.name;
    // A refused file leaves the buffer as small as it was: nothing of 8192 x 8192 was made.
    EXPECT_EQ(b.width(), 16) << f.name;
    EXPECT_EQ(b.loadWithMessages(folder.write(f.name, f.bytes), nullptr, true), 0) << f.name;
  }
  ASSERT_EQ(hooks.messages.size(), 4u);
  for (const std::string& m : hooks.messages) EXPECT_EQ(m, "Can't read image file  [ 3 ]");
}

TEST(PromisedPixels, AnEighthOfThePixelsIsStillAPicture) {
  // 8 x 8 at 24 bits promises 192 bytes: 24 of them are enough, 23 are not.
  TgaSpec s;
  s.width = s.height = 8;
  Bytes f = makeTga(s);
  ImageBuffer b;
  dropLast(f, 192 - 24);
  ASSERT_EQ(readFromMemory(readTarga, f, "eighth.tga", b), kReadOk);
  // The first line of the file (the bottom one) is there, the rest zero-filled.
  EXPECT_EQ(pixel(b, 3, 7).g, colourAt(3, 7).g);
  EXPECT_EQ(pixel(b, 3, 6), (Rgba{0, 0, 0, 0}));
  dropLast(f, 1);
  EXPECT_EQ(readFromMemory(readTarga, f, "eighth.tga", b), kReadFormatError);

  // A BMP counts its padded rows: 3 x 8 at 24 bits is 8 rows of 12 bytes, 96 in all.
  BmpSpec bmp;
  bmp.width = 3;
  bmp.height = 8;
  Bytes g = makeBmp(bmp);
  dropLast(g, 96 - 12);
  ASSERT_EQ(readFromMemory(readBmp, g, "eighth.bmp", b), kReadOk);
  EXPECT_EQ(pixel(b, 2, 7).r, colourAt(2, 7).r);
  dropLast(g, 1);
  EXPECT_EQ(readFromMemory(readBmp, g, "eighth.bmp", b), kReadFormatError);
}

TEST(PromisedPixels, EveryLayoutCountsWhatItHolds) {
  ImageBuffer b;
  // A TIFF of 16 one-line strips holding only the first two lines: an eighth, read.
  TiffSpec strips;
  strips.width = 2;
  strips.height = 16;
  strips.rowsPerStrip = 1;
  Bytes f = makeTiff(strips);
  const uint32_t ifd = readNumber(&f[4], 4, false);
  uint32_t array = 0;
  for (uint32_t i = 0; i < readNumber(&f[ifd], 2, false); ++i)
    if (readNumber(&f[ifd + 2 + 12 * i], 2, false) == 273) array = readNumber(&f[ifd + 2 + 12 * i + 8], 4, false);
  ASSERT_NE(array, 0u);
  for (uint32_t k = 2; k < 16; ++k) set32(f, array + 4 * k, 0x7fff0000, false);
  ASSERT_EQ(readFromMemory(readTiff, f, "strips.tif", b), kReadOk);
  EXPECT_EQ(pixel(b, 1, 1).b, colourAt(1, 1).b);
  set32(f, array + 4, 0x7fff0000, false);  // one line of 16 is too little
  EXPECT_EQ(readFromMemory(readTiff, f, "strips.tif", b), kReadFormatError);

  // A packed Photoshop file needs its row counts; without them it is damaged.
  PsdSpec psd;
  psd.width = 4;
  psd.height = 64;
  psd.channels = 1;
  psd.mode = 1;
  psd.packed = true;
  psd.planes = {Bytes(256, 9)};
  Bytes p = makePsd(psd);
  ASSERT_EQ(readFromMemory(readPhotoshop, p, "packed.psd", b), kReadOk);
  const size_t tableStart = 26 + 4 + 4 + 6 + 4 + 2;
  p.resize(tableStart + 4);
  EXPECT_EQ(readFromMemory(readPhotoshop, p, "packed.psd", b), kReadFormatError);
}

// ---- JPEG scans ----

Bytes progressiveJpeg(int w, int h) {
  Bytes rgb;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) rgb.insert(rgb.end(), {colourAt(x, y).r, colourAt(x, y).g, colourAt(x, y).b});
  tjhandle enc = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long size = 0;
  EXPECT_EQ(tjCompress2(enc, rgb.data(), w, 0, h, TJPF_RGB, &out, &size, TJSAMP_444, 90, TJFLAG_PROGRESSIVE), 0);
  Bytes bytes(out, out + size);
  tjFree(out);
  tjDestroy(enc);
  return bytes;
}

// `extra` empty scans of the first component put in before the end marker.
Bytes withEmptyScans(Bytes jpeg, int extra) {
  const Bytes scan = {0xff, 0xda, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3f, 0x00};
  Bytes more;
  for (int i = 0; i < extra; ++i) more.insert(more.end(), scan.begin(), scan.end());
  jpeg.insert(jpeg.end() - 2, more.begin(), more.end());
  return jpeg;
}

TEST(JpegScans, MarkersAreCountedBySegmentsNotByBytes) {
  // An application segment full of scan-marker bytes, a scan whose data holds a stuffed 0xff, a
  // restart marker and fill bytes, then a second scan: two scans.
  const Bytes file = {0xff, 0xd8,                                                      // start of image
                      0xff, 0xe1, 0x00, 0x08, 0xff, 0xda, 0xff, 0xda, 0xff, 0xda,      // APP1
                      0xff, 0xda, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3f, 0x00,      // scan 1
                      0x12, 0xff, 0x00, 0x34, 0xff, 0xd3, 0x56, 0xff, 0x00, 0xda,      //  its data
                      0xff, 0xff, 0xda, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3f, 0x00,  // scan 2
                      0x78, 0xff, 0xd9};
  EXPECT_EQ(countJpegScans(file.data(), file.size(), kMaxJpegScans), 2);
  // A segment length running past the end stops the count where the file does.
  const Bytes cut = {0xff, 0xd8, 0xff, 0xda, 0x00, 0x08, 0x01, 0xff, 0xe0, 0xff, 0xff};
  EXPECT_EQ(countJpegScans(cut.data(), cut.size(), kMaxJpegScans), 1);
  // Counting stops just past the limit.
  const Bytes many = withEmptyScans({0xff, 0xd8, 0xff, 0xd9}, 2000);
  EXPECT_EQ(countJpegScans(many.data(), many.size(), 10), 11);
}

TEST(JpegScans, MoreThanFiveHundredScansAreRefusedBeforeDecoding) {
  ImageBuffer b;
  const Bytes plain = progressiveJpeg(16, 8);
  const long own = countJpegScans(plain.data(), plain.size(), kMaxJpegScans);
  ASSERT_GT(own, 1);  // a progressive file of several scans
  ASSERT_EQ(readFromMemory(readJpeg, plain, "plain.jpg", b), kReadOk);
  EXPECT_EQ(b.width(), 16);

  const Bytes atLimit = withEmptyScans(plain, int(kMaxJpegScans - own));
  EXPECT_EQ(countJpegScans(atLimit.data(), atLimit.size(), kMaxJpegScans), kMaxJpegScans);
  ImageBuffer c;
  EXPECT_NE(readFromMemory(readJpeg, atLimit, "limit.jpg", c), kReadUnsupported);

  const Bytes over = withEmptyScans(plain, int(kMaxJpegScans - own + 1));
  ImageBuffer d(16, 16, 8);
  EXPECT_EQ(loadBytes(over, "over.jpg", d), kReadUnsupported);
  EXPECT_EQ(d.width(), 16);
  EXPECT_EQ(d.bitsPerPixel(), 8);  // untouched: nothing was decoded
  EXPECT_EQ(readerMessage(kReadUnsupported).text, "Can't read JPEG images of more than 500 scans");
}

// ---- paths that are no regular files ----

TEST(OnlyRegularFiles, FifosDevicesAndFoldersAreNotOpened) {
  TempFolder folder;
  RecordingHooks hooks;
  const std::string fifo = folder.file("pipe.tga");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Without a writer, an ordinary open of the FIFO would wait for ever.
  for (const std::string& path : {fifo, folder.path(), std::string("/dev/zero")}) {
    FileSpec spec;
    spec.setPath(path);
    OpenFile f;
    EXPECT_FALSE(f.open(spec, "rb")) << path;
    EXPECT_FALSE(f.isOpen()) << path;
    EXPECT_EQ(f.openFailure(), "not a regular file") << path;
    std::string why;
    EXPECT_EQ(openRegularFileForReading(path.c_str(), &why), nullptr) << path;
    EXPECT_EQ(why, "not a regular file");
    ImageBuffer b;
    EXPECT_EQ(b.loadWithMessages(spec, nullptr, true), 0) << path;
    // Without messages the placeholder stands in, as for a missing file.
    EXPECT_EQ(b.loadWithMessages(spec, nullptr, false), 2) << path;
  }
  ASSERT_EQ(hooks.messages.size(), 3u);
  for (const std::string& m : hooks.messages) EXPECT_EQ(m, "Can't open graphics file");

  // A missing file says so; a regular one opens and reads from its start.
  std::string why;
  EXPECT_EQ(openRegularFileForReading(folder.file("missing.tga").c_str(), &why), nullptr);
  EXPECT_EQ(why, "No such file or directory");
  const FileSpec real = folder.write("real.bin", Bytes{7, 8, 9});
  std::FILE* file = openRegularFileForReading(real.path);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(std::fgetc(file), 7);
  std::fclose(file);
  // Writing still makes new files.
  OpenFile out;
  EXPECT_TRUE(out.open(folder.spec("new.tga"), "wb"));
  EXPECT_TRUE(out.openFailure().empty());
}

}  // namespace
