// "kestrelmove image info" and "image convert" run as a user runs them.
#include <gtest/gtest.h>

#include "tests/app/cli_test_support.h"
#include "tests/image/image_test_files.h"

namespace {

using namespace clitest;
using imagetest::Bytes;
using imagetest::colourAt;

fs::path writeBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
  return path;
}

TEST(ImageInfo, TellsReaderResultAndGeometry) {
  const fs::path dir = freshFolder("image_info");
  imagetest::BmpSpec bmp;
  bmp.width = 5;
  bmp.height = 3;
  const RunResult ok = runProgram({"image", "info", writeBytes(dir / "p.bmp", imagetest::makeBmp(bmp)).string()});
  EXPECT_EQ(ok.exitCode, 0) << ok.err;
  EXPECT_NE(ok.out.find("reader   BMP\n"), std::string::npos) << ok.out;
  EXPECT_NE(ok.out.find("result   0\n"), std::string::npos) << ok.out;
  EXPECT_NE(ok.out.find("width    5\nheight   3\ndepth    24\n"), std::string::npos) << ok.out;

  imagetest::TiffSpec tiff;
  tiff.bigEndian = true;
  tiff.samples = 4;
  const RunResult t = runProgram({"image", "info", writeBytes(dir / "p.tif", imagetest::makeTiff(tiff)).string()});
  EXPECT_EQ(t.exitCode, 0);
  EXPECT_NE(t.out.find("reader   TIFF\n"), std::string::npos) << t.out;
  EXPECT_NE(t.out.find("depth    32\n"), std::string::npos) << t.out;
}

TEST(ImageInfo, FailuresExitTwoWithTheReadersMessage) {
  const fs::path dir = freshFolder("image_info_fail");
  imagetest::BmpSpec one;
  one.bits = 1;
  const fs::path oneBit = writeBytes(dir / "one.bmp", imagetest::makeBmp(one));
  const RunResult r = runProgram({"image", "info", oneBit.string()});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.out.find("reader   BMP\nresult   5  Images must have 256 colors or more\n"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find(oneBit.string() + ": Images must have 256 colors or more"), std::string::npos) << r.err;

  const RunResult unknown = runProgram({"image", "info", writeBytes(dir / "notes.txt", Bytes(40, 'x')).string()});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.out.find("reader   Targa\nresult   3  Can't read image file  [ 3 ]\n"), std::string::npos)
      << unknown.out;

  const std::string missing = (dir / "absent.psd").string();
  const RunResult m = runProgram({"image", "info", missing});
  EXPECT_EQ(m.exitCode, 2);
  EXPECT_NE(m.err.find(missing + ": Can't open graphics file"), std::string::npos) << m.err;
}

TEST(ImageConvert, WritesBmpTargaAndPng) {
  const fs::path dir = freshFolder("image_convert");
  imagetest::TiffSpec tiff;
  tiff.width = 4;
  tiff.height = 3;
  const fs::path source = writeBytes(dir / "in.tif", imagetest::makeTiff(tiff));
  for (const char* name : {"out.bmp", "out.tga", "OUT.TGA"}) {
    const RunResult r = runProgram({"image", "convert", source.string(), (dir / name).string()});
    ASSERT_EQ(r.exitCode, 0) << name << " " << r.err;
    ImageBuffer back;
    FileSpec spec;
    spec.setPath((dir / name).string());
    ASSERT_EQ(back.loadWithMessages(spec, nullptr, true), 1) << name;
    ASSERT_EQ(back.bitsPerPixel(), 24);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) {
        imagetest::Rgba want = colourAt(x, y);
        want.a = 0;
        EXPECT_EQ(imagetest::pixel(back, x, y), want) << name << " " << x << "," << y;
      }
  }
  const RunResult png = runProgram({"image", "convert", source.string(), (dir / "out.png").string()});
  ASSERT_EQ(png.exitCode, 0) << png.err;
  RgbImage image;
  std::string error;
  ASSERT_TRUE(readPng((dir / "out.png").string(), image, error)) << error;
  ASSERT_EQ(image.width, 4);
  ASSERT_EQ(image.height, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const uint8_t* p = &image.rgb[3 * size_t(y * 4 + x)];
      EXPECT_EQ(p[0], colourAt(x, y).r) << x << "," << y;
      EXPECT_EQ(p[1], colourAt(x, y).g) << x << "," << y;
      EXPECT_EQ(p[2], colourAt(x, y).b) << x << "," << y;
    }
}

TEST(ImageConvert, RefusesWhatItCannotReadOrWrite) {
  const fs::path dir = freshFolder("image_convert_fail");
  imagetest::TgaSpec rle;
  rle.type = 10;
  const fs::path packed = writeBytes(dir / "rle.tga", imagetest::makeTga(rle));
  const RunResult r = runProgram({"image", "convert", packed.string(), (dir / "out.bmp").string()});
  EXPECT_EQ(r.exitCode, 2);
  // Plain pixels behind a run-length header: the Targa decoder finds them damaged.
  EXPECT_NE(r.err.find("Can't read image file (Targa data that does not decode"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "out.bmp"));
  const RunResult gif = runProgram({"image", "convert", packed.string(), (dir / "out.gif").string()});
  EXPECT_EQ(gif.exitCode, 2);
  EXPECT_NE(gif.err.find("the output must be a .bmp, .tga or .png file"), std::string::npos) << gif.err;
}

}  // namespace
