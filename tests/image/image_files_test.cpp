#include <gtest/gtest.h>

#include <filesystem>

#include "image/image_readers.h"
#include "image/read_number.h"
#include "tests/image/image_test_files.h"

namespace {

using namespace imagetest;

TEST(FormatBySignature, FirstBytesThenName) {
  const auto pick = [](const char* first, const char* path) {
    return formatBySignature(reinterpret_cast<const uint8_t*>(first), long(std::strlen(first)), path);
  };
  EXPECT_EQ(pick("8BPS\1\2", "a"), ImageFormat::photoshop);
  EXPECT_EQ(pick("SPB8", "a"), ImageFormat::photoshop);
  EXPECT_EQ(pick("II*", "a"), ImageFormat::tiff);
  EXPECT_EQ(pick("MM", "a"), ImageFormat::tiff);
  EXPECT_EQ(pick("BM6", "a"), ImageFormat::bmp);
  EXPECT_EQ(pick("MB6", "a"), ImageFormat::bmp);
  EXPECT_EQ(pick("\xff\xd8\xff\xe0..JFIF", "a.bin"), ImageFormat::jpeg);
  // A name with ".jp" or ".JP" anywhere goes to the JPEG reader whatever the bytes.
  EXPECT_EQ(pick("xxxxxxxxxxxxxx", "/p/PHOTO.JPG"), ImageFormat::jpeg);
  EXPECT_EQ(pick("xxxxxxxxxxxxxx", "/p/photo.jpeg"), ImageFormat::jpeg);
  EXPECT_EQ(pick("xxxxxxxxxxxxxx", "/p.jp/photo"), ImageFormat::jpeg);
  EXPECT_EQ(pick("xxxxxxxxxxxxxx", "/p/photo.Jpg"), ImageFormat::targa);
  EXPECT_EQ(pick("", "short"), ImageFormat::targa);
}

class LoadWithMessages : public ::testing::Test {
 protected:
  TempFolder folder;
  RecordingHooks hooks;
  ImageBuffer buffer;
};

TEST_F(LoadWithMessages, LoadsEveryKindBySignature) {
  BmpSpec bmp;
  EXPECT_EQ(buffer.loadWithMessages(folder.write("p.bmp", makeBmp(bmp)), nullptr, true), 1);
  EXPECT_EQ(pixel(buffer, 2, 1).g, colourAt(2, 1).g);
  TgaSpec tga;
  tga.width = 4;
  EXPECT_EQ(buffer.loadWithMessages(folder.write("p.tga", makeTga(tga)), nullptr, true), 1);
  EXPECT_EQ(buffer.width(), 4);
  EXPECT_EQ(buffer.loadWithMessages(folder.write("p.tif", makeTiff(TiffSpec{})), nullptr, true), 1);
  EXPECT_EQ(pixel(buffer, 2, 3).b, colourAt(2, 3).b);
  PsdSpec psd;
  psd.width = 1;
  psd.height = 1;
  psd.channels = 1;
  psd.mode = 1;
  psd.planes = {{66}};
  EXPECT_EQ(buffer.loadWithMessages(folder.write("p.psd", makePsd(psd)), nullptr, true), 1);
  EXPECT_EQ(pixel(buffer, 0, 0), (Rgba{66, 66, 66, 0}));
  EXPECT_TRUE(hooks.messages.empty());
}

TEST_F(LoadWithMessages, MessagesOfTheReaders) {
  TgaSpec rle;
  rle.type = 10;
  EXPECT_EQ(buffer.loadWithMessages(folder.write("rle.tga", makeTga(rle)), nullptr, true), 0);
  BmpSpec one;
  one.bits = 1;
  EXPECT_EQ(buffer.loadWithMessages(folder.write("one.bmp", makeBmp(one)), nullptr, true), 0);
  BmpSpec wide;
  wide.width = 9000;
  wide.height = 10;
  EXPECT_EQ(buffer.loadWithMessages(folder.write("wide.bmp", makeBmp(wide)), nullptr, true), 0);
  // No signature and no valid Targa header: the Targa reader's format error.
  EXPECT_EQ(buffer.loadWithMessages(folder.write("notes.txt", Bytes{'h', 'e', 'l', 'l', 'o'}), nullptr, true), 0);
  // A ".JPG" name without JFIF goes to the JPEG reader, which finds no JPEG in it.
  Bytes fakeJpeg = makeTga(TgaSpec{});
  EXPECT_EQ(buffer.loadWithMessages(folder.write("fake.JPG", fakeJpeg), nullptr, true), 0);
  EXPECT_EQ(buffer.loadWithMessages(folder.write("fake.tga", fakeJpeg), nullptr, true), 1);
  EXPECT_EQ(buffer.loadWithMessages(folder.spec("absent.bmp"), nullptr, true), 0);
  // Pixels stored plainly behind a run-length header: the Targa decoder finds them damaged.
  const std::vector<std::string> want = {
      "Can't read image file (Targa data that does not decode: Invalid data found when processing input)  [ 3 ]",
      "Images must have 256 colors or more", "Images must be smaller than 8192 pixels",
      "Can't read image file  [ 3 ]",   "Can't read image file  [ 3 ]",        "Can't open graphics file",
  };
  EXPECT_EQ(hooks.messages, want);
  // Each message is about its file, which the console names beside the fixed text.
  ASSERT_EQ(hooks.subjects.size(), want.size());
  EXPECT_EQ(hooks.subjects[0], folder.file("rle.tga"));
  EXPECT_EQ(hooks.subjects[5], folder.file("absent.bmp"));
}

TEST_F(LoadWithMessages, ReaderMessageTexts) {
  EXPECT_EQ(readerMessage(kReadNoMemory).text, "Not enough memory to load image");
  EXPECT_EQ(readerMessage(kReadNoMemory).code, kNoCode);
  EXPECT_EQ(readerMessage(kReadNoBuffer).text, "Can't read image file");
  EXPECT_EQ(readerMessage(kReadNoBuffer).code, 4);
}

TEST_F(LoadWithMessages, PlaceholderWhenMessagesAreOff) {
  EXPECT_EQ(buffer.loadWithMessages(folder.spec("absent.bmp"), nullptr, false), 2);
  ASSERT_EQ(buffer.bitsPerPixel(), 24);
  EXPECT_EQ(buffer.width(), 160);
  EXPECT_EQ(buffer.height(), 120);
  TgaSpec rle;
  rle.type = 10;
  ImageBuffer other;
  EXPECT_EQ(other.loadWithMessages(folder.write("rle.tga", makeTga(rle)), nullptr, false), 2);
  EXPECT_EQ(other.width(), 160);
  EXPECT_TRUE(hooks.messages.empty());
  ImageBuffer headerless(0, 0, 8);
  EXPECT_EQ(headerless.loadWithMessages(folder.spec("absent.bmp"), nullptr, false), 0);
}

TEST_F(LoadWithMessages, AlternateFolderFindsTheBareName) {
  std::filesystem::create_directories(folder.file("moved"));
  TgaSpec tga;
  tga.width = 7;
  const Bytes bytes = makeTga(tga);
  std::ofstream(folder.file("moved/pic.tga"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
  FileSpec windowsPath;
  windowsPath.setPath("C:\\shows\\pictures\\pic.tga");
  FileSpec unixPath;
  unixPath.setPath("/nowhere/pic.tga");
  FileSpec driveOnly;
  driveOnly.setPath("D:pic.tga");
  for (const std::string& alt : {folder.file("moved"), folder.file("moved") + "/", folder.file("moved") + "\\"}) {
    FileSpec alternate;
    alternate.setPath(alt);
    for (const FileSpec* f : {&windowsPath, &unixPath, &driveOnly}) {
      ImageBuffer b;
      EXPECT_EQ(b.loadWithMessages(*f, &alternate, true), 1) << alt << " " << f->path;
      EXPECT_EQ(b.width(), 7);
    }
  }
  FileSpec empty;
  EXPECT_EQ(buffer.loadWithMessages(windowsPath, &empty, true), 0);
  ASSERT_EQ(hooks.messages.size(), 1u);
  EXPECT_EQ(hooks.messages[0], "Can't open graphics file");
}

class Writers : public ::testing::TestWithParam<int> {
 protected:
  TempFolder folder;
};

// A buffer written by the system's own writers reads back identically.
TEST_P(Writers, BmpAndTargaRoundTrip) {
  const int bits = GetParam();
  ImageBuffer source(5, 3, bits);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < source.rowStep(); ++j) source.row(i)[j] = uint8_t(i * 40 + j * 3 + 1);
  if (bits == 8)
    for (int e = 0; e < 256; ++e) source.palette()[4 * e + 1] = uint8_t(255 - e);
  for (const char* name : {"out.bmp", "out.tga", "OUT.TGA"}) {
    ASSERT_TRUE(source.saveWithMessages(folder.spec(name), 0)) << name;
    ImageBuffer back;
    ASSERT_EQ(back.loadWithMessages(folder.spec(name), nullptr, true), 1) << name;
    ASSERT_EQ(back.bitsPerPixel(), bits) << name;
    ASSERT_EQ(back.width(), 5);
    ASSERT_EQ(back.height(), 3);
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 5 * bits / 8; ++j) EXPECT_EQ(back.row(i)[j], source.row(i)[j]) << name << " " << i << "," << j;
    // BMP keeps the palette; Targa files are grey.
    if (bits == 8) {
      EXPECT_EQ(back.palette()[4 * 10 + 1], name[4] == 'b' ? 245 : 10) << name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Bits, Writers, ::testing::Values(8, 16, 24, 32));

TEST(WriterLayout, HeadersAsStored) {
  TempFolder folder;
  ImageBuffer b(3, 2, 32);
  ASSERT_TRUE(b.saveWithMessages(folder.spec("x.tga"), 0));
  ASSERT_TRUE(b.saveWithMessages(folder.spec("x.bmp"), 0));
  ASSERT_TRUE(b.saveWithMessages(folder.spec("y.bmp"), 1));  // format 1 is Targa whatever the name
  std::ifstream tga(folder.file("x.tga"), std::ios::binary);
  Bytes t((std::istreambuf_iterator<char>(tga)), {});
  ASSERT_EQ(t.size(), 18u + 3 * 2 * 4);
  EXPECT_EQ(t[2], 2);
  EXPECT_EQ(t[12], 3);
  EXPECT_EQ(t[14], 2);
  EXPECT_EQ(t[16], 32);
  EXPECT_EQ(t[17], 8);
  std::ifstream bmp(folder.file("x.bmp"), std::ios::binary);
  Bytes m((std::istreambuf_iterator<char>(bmp)), {});
  ASSERT_EQ(m.size(), 54u + 24);
  EXPECT_EQ(m[0], 'B');
  EXPECT_EQ(readNumber(&m[2], 4, false), 78u);
  EXPECT_EQ(readNumber(&m[10], 4, false), 54u);
  EXPECT_EQ(std::filesystem::file_size(folder.file("y.bmp")), 18u + 24);
  ImageBuffer grey(2, 2, 8);
  ASSERT_TRUE(grey.saveWithMessages(folder.spec("g.bmp"), 0));
  EXPECT_EQ(std::filesystem::file_size(folder.file("g.bmp")), 54u + 1024 + 8);
  // A format that is neither BMP nor Targa writes nothing and says so, rather than reporting a save.
  RecordingHooks hooks;
  EXPECT_FALSE(grey.saveWithMessages(folder.spec("none.bmp"), 2));
  EXPECT_EQ(std::filesystem::file_size(folder.file("none.bmp")), 0u);
  ASSERT_EQ(hooks.messages.size(), 1u);
  EXPECT_EQ(hooks.messages[0], "Error writing graphics file");
}

TEST(WriterFaults, OpeningAndWritingFailuresAreReported) {
  RecordingHooks hooks;
  TempFolder folder;
  ImageBuffer b(64, 64, 32);
  EXPECT_FALSE(b.saveWithMessages(folder.spec("missing-folder/x.bmp"), 0));
  FileSpec full;
  full.setPath("/dev/full");
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_FALSE(b.saveWithMessages(full, 0));
  }
  ImageBuffer headerless(0, 0, 8);
  EXPECT_FALSE(headerless.saveWithMessages(folder.spec("h.bmp"), 0));
  EXPECT_FALSE(std::filesystem::exists(folder.file("h.bmp")));
  ASSERT_GE(hooks.messages.size(), 1u);
  EXPECT_EQ(hooks.messages[0], "Error opening graphics file");
  if (std::filesystem::exists("/dev/full")) {
    ASSERT_EQ(hooks.messages.size(), 2u);
    EXPECT_EQ(hooks.messages[1], "Error writing graphics file");
  }
}

TEST(BitmapResource, PlaceholderIsAPictureOfBlackAndWhite) {
  ImageBuffer b;
  ASSERT_TRUE(b.loadBitmapResource(133));
  ASSERT_EQ(b.bitsPerPixel(), 24);
  ASSERT_EQ(b.width(), 160);
  ASSERT_EQ(b.height(), 120);
  // The frame is white all round, the middle of the label row black between letters.
  EXPECT_EQ(pixel(b, 0, 0), (Rgba{255, 255, 255, 0}));
  EXPECT_EQ(pixel(b, 159, 119), (Rgba{255, 255, 255, 0}));
  EXPECT_EQ(pixel(b, 3, 60), (Rgba{0, 0, 0, 0}));
  int white = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) white += pixel(b, x, y).r == 255;
  EXPECT_GT(white, 1000);
  EXPECT_LT(white, 160 * 120 / 2);
  EXPECT_FALSE(b.loadBitmapResource(9999));
  ImageBuffer headerless(0, 0, 8);
  EXPECT_FALSE(headerless.loadBitmapResource(133));
}

}  // namespace
