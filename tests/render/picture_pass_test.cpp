#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/picture_pass.h"
#include "tests/render/render_test_images.h"

namespace {

// Records where each sampled pixel's taps point and the blue value they give.
struct TapRecorder {
  struct Sample {
    std::uintptr_t upper, lower;
    int blue;
  };
  std::vector<Sample> samples;

  void beginLine(int, int) {}
  void pixel(int, int, int, uint8_t*, const BilinearTap& tap) {
    samples.push_back({reinterpret_cast<std::uintptr_t>(tap.upper), reinterpret_cast<std::uintptr_t>(tap.lower),
                       tap.at(0)});
  }
};

}  // namespace

TEST(PicturePassWalk, LowerNeighbourStaysInsideAOneLinePicture) {
  // A 2 x 1 picture whose first output pixel lands exactly on source position (0, 0): the picture
  // line is trunc(1 - 0) = 1, held to the last row 0, and one row further down would be row -1.
  ImageBuffer picture = makeImage(2, 1, {0, 0, 0, 255});
  setPixel(picture, 0, 0, {90, 0, 0, 255});
  setPixel(picture, 1, 0, {30, 0, 0, 255});
  ImageBuffer out = makeImage(4, 4);

  PicturePass p;
  p.picW = 2;
  p.picH = 1;
  p.outW = p.outH = 4;
  p.stepX = p.stepY = 1;
  p.colStepX = 1;
  p.firstColumn = 0;
  p.columnEnd = 2;
  p.firstLine = 0;
  p.lineEnd = 1;
  p.dx0 = -1;           // sx = 1 + 1 * (-1) = 0
  p.lineStart = 0;      // dy = 0 - 0.5, so sy = 0.5 - 0.5 = 0
  p.maxSx = 1;          // picW - Q
  p.maxSy = 0;          // picH - R
  p.neighbourColumns = 1;
  p.neighbourRows = 1;

  TapRecorder recorder;
  walkPass(p, picture, out, recorder);
  // Column 0 at sx = 0 and column 1 at sx = 1 are both sampled on the picture's only line.
  ASSERT_EQ(recorder.samples.size(), 2u);
  const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(picture.pixels());
  const std::uintptr_t end = first + std::uintptr_t(picture.rowStep()) * picture.height();
  for (const TapRecorder::Sample& s : recorder.samples) {
    EXPECT_GE(s.upper, first);
    EXPECT_LT(s.upper, end);
    EXPECT_GE(s.lower, first);
    EXPECT_LT(s.lower, end);
  }
  // frac(sy) = 0: the value is the picture line's own, 90 and then 30 (its neighbour held to the last
  // column).
  EXPECT_EQ(recorder.samples[0].blue, 90);
  EXPECT_EQ(recorder.samples[1].blue, 30);
}
