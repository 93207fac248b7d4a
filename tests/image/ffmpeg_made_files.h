#pragma once
// Picture files made by the ffmpeg program in the test itself, from a source picture whose pixels
// the test knows, so that a reader's result can be checked against those pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/image/image_test_files.h"

namespace imagetest {

inline bool haveFfmpeg() { return std::system("ffmpeg -hide_banner -version >/dev/null 2>&1") == 0; }

// ffmpeg -i input [options] output; true when it made the file.
inline bool ffmpegConvert(const std::string& input, const std::string& options, const std::string& output) {
  const std::string command = "ffmpeg -hide_banner -loglevel error -y -i '" + input + "' " + options + " '" + output + "'";
  return std::system(command.c_str()) == 0 && std::filesystem::exists(output);
}

inline Bytes readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The file's picture as ffmpeg decodes it: top line first, `bytesPerPixel` bytes of pixelFormat each.
inline Bytes ffmpegDecoded(const std::string& path, const std::string& pixelFormat) {
  const std::string raw = path + "." + pixelFormat + ".raw";
  if (!ffmpegConvert(path, "-f rawvideo -pix_fmt " + pixelFormat, raw)) return {};
  return readBytes(raw);
}

// Reads a file as the picture loader does, through the signature dispatch.
inline int loadFile(const std::string& path, ImageBuffer& into) {
  OpenFile file;
  FileSpec spec;
  spec.setPath(path);
  if (!file.open(spec, "rb")) return -1;
  return into.loadBySignature(file);
}

// The ...Runs kinds repeat each colour over four pixels of a line, so that run-length encoders have
// runs to make (they write plain files when runs would not be shorter).
enum class Source { opaque, alpha, grey, opaqueRuns, alphaRuns, greyRuns };

inline Rgba sourceColour(int x, int y, Source kind) {
  const bool runs = kind == Source::opaqueRuns || kind == Source::alphaRuns || kind == Source::greyRuns;
  Rgba c = colourAt(runs ? x / 4 : x, y);
  if (kind != Source::alpha && kind != Source::alphaRuns) c.a = 255;
  if (kind == Source::grey || kind == Source::greyRuns) c.g = c.b = c.r;
  return c;
}

// A 32-bit Targa source of colourAt pixels, written by the system's own writer: opaque, with the
// alpha of colourAt, or grey (the red value in all three channels).
inline std::string writeSource(const TempFolder& folder, int width, int height, Source kind) {
  ImageBuffer source(width, height, 32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgba c = sourceColour(x, y, kind);
      uint8_t* p = source.row(height - 1 - y) + 4 * x;
      p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = c.a;
    }
  const std::string path = folder.file("source-" + std::to_string(int(kind)) + ".tga");
  OpenFile out;
  FileSpec spec;
  spec.setPath(path);
  EXPECT_TRUE(out.open(spec, "wb"));
  EXPECT_TRUE(source.write(out, 1));
  out.close();
  return path;
}

// Expects every pixel of a 32-bit buffer to be the source's.
inline void expectSourcePixels(const ImageBuffer& b, int width, int height, Source kind) {
  ASSERT_EQ(b.bitsPerPixel(), 32);
  ASSERT_EQ(b.width(), width);
  ASSERT_EQ(b.height(), height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgba want = sourceColour(x, y, kind);
      ASSERT_EQ(pixel(b, x, y), want) << "at (" << x << ", " << y << ")";
    }
}

}  // namespace imagetest
