// The renderer's faster forms against its plain ones: the vectorised blend against the scalar blend,
// the background fill against convertInto, and frames drawn in bands on several threads against the
// frame drawn on one, byte for byte.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/settings_file.h"
#include "render/background_fill.h"
#include "render/prepared_pass.h"
#include "render/render_show.h"
#include "render/show_render_options.h"
#include "show/show_state.h"
#include "tests/render/render_test_images.h"

namespace {

// Random bytes; alpha is 0 over whole areas, as pictures with transparent parts have, so that the
// transparent shortcut is met as often as full samples.
ImageBuffer randomPicture(std::mt19937& random, int width, int height) {
  ImageBuffer image(width, height, 32);
  std::uniform_int_distribution<int> byte(0, 255), kind(0, 3);
  const int clearBelow = std::uniform_int_distribution<int>(0, height)(random);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = image.row(y) + 4 * x;
      for (int b = 0; b < 3; ++b) p[b] = uint8_t(byte(random));
      const int k = kind(random);
      p[3] = y < clearBelow && k != 0 ? 0 : k == 1 ? 255 : uint8_t(byte(random));
    }
  }
  return image;
}

KeyFrame randomState(std::mt19937& random, int stageWidth, int stageHeight) {
  std::uniform_real_distribution<float> unit(0, 1);
  KeyFrame k;
  k.x = (unit(random) * 1.4f - 0.2f) * stageWidth;
  k.y = (unit(random) * 1.4f - 0.2f) * stageHeight;
  k.width = 0.5f + unit(random) * 1.5f * stageWidth;
  k.height = 0.5f + unit(random) * 1.5f * stageHeight;
  k.rotation = unit(random) < 0.3f ? 0 : unit(random) * 720 - 360;
  k.amount = unit(random) * 120 - 10;
  return k;
}

}  // namespace

namespace {

struct Comparison {
  int compared = 0, drawn = 0;
};

// Draws random pictures at random placements with every vectorised path and with the scalar path,
// and stops at the first pass whose bytes differ. With brushes, each round takes one of the brushes
// (blur by its running sums) or the ordinary blend.
void compareWithScalar(std::mt19937& random, int rounds, int maxPicture, int maxOutputWidth, bool brushes,
                       Comparison& result) {
  const int codes[] = {0, 1000, 2000, 3000, 4000, 5000, 6000};
  const int modes[] = {kModeProgressive, kModeFieldOddLines, kModeFieldEvenLines};
  const BlendPath paths[] = {BlendPath::sse2, BlendPath::avx2};
  std::uniform_int_distribution<int> side(1, maxPicture), outWidth(1, maxOutputWidth), outHeight(1, 40);
  for (int round = 0; round < rounds; ++round) {
    const ImageBuffer picture = randomPicture(random, side(random), side(random));
    const ImageBuffer ground = randomPicture(random, outWidth(random), outHeight(random));
    int stageWidth = side(random), stageHeight = side(random);
    KeyFrame state = randomState(random, stageWidth, stageHeight);
    if (round % 4 == 3) {
      // Whole-pixel placements at one or two output pixels per picture pixel: source positions land
      // exactly on columns, rows and the last position that still has its neighbours.
      stageWidth = ground.width();
      stageHeight = ground.height();
      const int scale = 1 + round / 4 % 2;
      state.width = float(scale * picture.width());
      state.height = float(scale * picture.height());
      state.x = float(std::uniform_int_distribution<int>(-4, stageWidth + 4)(random));
      state.y = float(std::uniform_int_distribution<int>(-4, stageHeight + 4)(random));
      state.rotation = 0;
    }
    const int mode = modes[round % 3];
    const int code = brushes ? codes[round % 7] : 0;
    const uint32_t tint = uint32_t(random()) & 0x00FFFFFFu;
    PreparedPass prepared;
    if (!preparePass(picture, ground, state, code, tint, mode, stageWidth, stageHeight, BlurMethod::runningSum,
                     prepared))
      continue;
    ImageBuffer expected;
    ground.copyTo(expected, true);
    runPass(prepared, expected, BlendPath::scalar);
    result.drawn += sameBytes(expected, ground) ? 0 : 1;
    for (const BlendPath path : paths) {
      if (!blendPathAvailable(path)) continue;
      ImageBuffer actual;
      ground.copyTo(actual, true);
      runPass(prepared, actual, path);
      ASSERT_TRUE(sameBytes(expected, actual))
          << "round " << round << " code " << code << " path " << int(path) << " picture " << picture.width() << "x"
          << picture.height() << " output " << ground.width() << "x" << ground.height();
      ++result.compared;
    }
  }
}

}  // namespace

TEST(FastBlend, VectorisedPathsEqualTheScalarPathOnRandomPictures) {
  std::mt19937 random(1414);
  Comparison small;
  compareWithScalar(random, 10000, 24, 40, false, small);
  // Most random placements must actually draw something, else the comparison proves little.
  EXPECT_GT(small.drawn, 5000);
  EXPECT_GE(small.compared, 10000);

  // Lines longer than the vectorised blend's runs of columns, with every remainder at their ends.
  Comparison wide;
  compareWithScalar(random, 400, 64, 700, false, wide);
  EXPECT_GT(wide.drawn, 200);
}

TEST(FastBlend, BrushMasksSampledInRunsGiveTheScalarBrushesBytes) {
  std::mt19937 random(2718);
  Comparison small, wide;
  compareWithScalar(random, 7000, 24, 40, true, small);
  EXPECT_GT(small.drawn, 3000);
  compareWithScalar(random, 700, 64, 700, true, wide);
  EXPECT_GT(wide.drawn, 300);
}

TEST(FastBlend, BandsDrawExactlyTheLinesOfTheWholePass) {
  std::mt19937 random(77);
  for (int round = 0; round < 300; ++round) {
    const ImageBuffer picture = randomPicture(random, 16, 12);
    const ImageBuffer ground = randomPicture(random, 30, 22);
    const int code = (round % 7) * 1000;  // every kernel, blur and pixelate included
    PreparedPass prepared;
    if (!preparePass(picture, ground, randomState(random, 20, 16), code, 0x00C08040, round % 2 ? 110 : 0, 20, 16,
                     BlurMethod::runningSum, prepared) ||
        !prepared.bandLocal())
      continue;
    ImageBuffer whole, banded;
    ground.copyTo(whole, true);
    ground.copyTo(banded, true);
    runPass(prepared, whole, fastestBlendPath());
    // Bands in a scrambled order: a band-local pass must not care.
    const int cuts[] = {13, 0, 21, 5, 9, 17};
    for (int i = 0; i < 6; ++i) {
      const int begin = cuts[i], end = begin == 21 ? 22 : begin == 0 ? 5 : begin == 5 ? 9 : begin == 9 ? 13
                                                                        : begin == 13 ? 17 : 21;
      runPass(prepared, banded, fastestBlendPath(), begin, end);
    }
    ASSERT_TRUE(sameBytes(whole, banded)) << "round " << round << " code " << code;
  }
}

TEST(BackgroundFillTest, EqualsConvertIntoForEveryDepthAndScale) {
  std::mt19937 random(5);
  const int sizes[][2] = {{7, 5}, {20, 13}, {3, 40}, {64, 48}};
  for (const int bits : {1, 4, 8, 16, 24, 32}) {
    for (const auto& from : sizes) {
      for (const auto& to : sizes) {
        ImageBuffer source(from[0], from[1], bits);
        for (int y = 0; y < from[1]; ++y)
          for (int x = 0; x < source.rowStep(); ++x) source.row(y)[x] = uint8_t(random());
        if (source.paletteEntries())
          for (int i = 0; i < 4 * source.paletteEntries(); ++i) source.palette()[i] = uint8_t(random());
        ImageBuffer expected = makeImage(to[0], to[1], {1, 2, 3, 4});
        ImageBuffer actual = makeImage(to[0], to[1], {9, 9, 9, 9});
        ASSERT_TRUE(source.convertInto(expected, 0, 0));
        for (const bool keep : {false, true}) {
          BackgroundFill fill;
          ASSERT_TRUE(fill.prepare(source, actual, keep));
          // In two bands, the lower one first.
          fill.fill(source, actual, to[1] / 2, to[1]);
          fill.fill(source, actual, 0, to[1] / 2);
          ASSERT_TRUE(sameBytes(expected, actual)) << bits << " bits " << from[0] << "x" << from[1] << " to "
                                                   << to[0] << "x" << to[1] << (keep ? " kept" : "");
        }
      }
    }
  }
}

TEST(BackgroundFillTest, KeptBackgroundFollowsChangesToItsSource) {
  ImageBuffer source = makeImage(10, 6, {10, 20, 30, 255});
  ImageBuffer output(25, 15, 32), expected(25, 15, 32);
  BackgroundFill fill;
  ASSERT_TRUE(fill.prepare(source, output, true));
  EXPECT_FALSE(fill.reusedScaled());
  fill.fill(source, output, 0, 15);
  ASSERT_TRUE(fill.prepare(source, output, true));
  EXPECT_TRUE(fill.reusedScaled());

  // Pixels changed in place, then the palette-free header (a new geometry): both are seen.
  setPixel(source, 3, 2, {200, 100, 50, 7});
  ASSERT_TRUE(fill.prepare(source, output, true));
  EXPECT_FALSE(fill.reusedScaled());
  fill.fill(source, output, 0, 15);
  ASSERT_TRUE(source.convertInto(expected, 0, 0));
  EXPECT_TRUE(sameBytes(expected, output));

  source = makeImage(12, 6, {1, 2, 3, 255});
  ASSERT_TRUE(fill.prepare(source, output, true));
  EXPECT_FALSE(fill.reusedScaled());
  fill.fill(source, output, 0, 15);
  ASSERT_TRUE(source.convertInto(expected, 0, 0));
  EXPECT_TRUE(sameBytes(expected, output));

  ImageBuffer none;
  none = ImageBuffer(4, 4, 32);
  BackgroundFill empty;
  EXPECT_TRUE(empty.prepare(none, output, true));
}

namespace {

// A show with pictures and every brush over a background picture, moving over 40 frames.
class BandedFrameTest : public testing::Test {
 protected:
  BandedFrameTest() : show(settings) {
    std::mt19937 random(31);
    show.setStageSize(64, 48);
    show.backgroundMode = 1;
    show.backgroundPicture = randomPicture(random, 45, 30);
    show.pictureCount = 14;
    for (int i = 0; i < show.pictureCount; ++i) {
      PictureSlot& slot = show.slots[i];
      slot.image = randomPicture(random, 12 + i, 20 - i);
      slot.brushCode = i < 7 ? 1000 * i : 0;  // the brushes in front
      slot.tintColour = 0x0030A0F0;
      slot.keyCount = 2;
      slot.keys[0] = placed(5 + 4 * i, 8 + 2 * i, 14 + i, 12, 0, float(i * 7 % 100));
      slot.keys[1] = placed(58 - 3 * i, 42 - 2 * i, 24, 18 - i / 2, 30.0f * i - 100, float(100 - i * 9));
      slot.keys[1].time = 39;
    }
  }

  SettingsFile settings;
  ShowState show;
};

}  // namespace

TEST_F(BandedFrameTest, AnyNumberOfThreadsDrawsTheBytesOfThePlainOneThreadFrame) {
  FrameRenderer plain(1);
  plain.setScalarOnly(true);
  int differing = 0;
  ImageBuffer previous(150, 101, 32);
  for (int frame = 0; frame < 40; frame += 3) {
    const int fieldMode = frame % 3 == 0 ? 0 : 1 + frame % 2;
    ImageBuffer expected(150, 101, 32), ground;
    ASSERT_TRUE(plain.render(show, renderOptionsOf(show), frame, fieldMode, frame % 2, expected, nullptr, ground));
    differing += sameBytes(expected, previous) ? 0 : 1;
    previous = expected;
    for (int threads = 1; threads <= 8; ++threads) {
      FrameRenderer banded(threads);
      for (int again = 0; again < 2; ++again) {  // the second frame uses the kept background
        ImageBuffer actual(150, 101, 32);
        ASSERT_TRUE(banded.render(show, renderOptionsOf(show), frame, fieldMode, frame % 2, actual, nullptr, ground));
        ASSERT_TRUE(sameBytes(expected, actual)) << "frame " << frame << " threads " << threads;
      }
    }
  }
  EXPECT_GE(differing, 10);
}

TEST_F(BandedFrameTest, PlainFrameEqualsDrawingEveryPictureInTurn) {
  // The frame renderer's plain path against the long way: convertInto and one drawPicture per slot.
  for (int frame = 0; frame < 40; frame += 13) {
    ImageBuffer expected(97, 61, 32), actual(97, 61, 32), ground;
    ASSERT_TRUE(show.backgroundPicture.convertInto(expected, 0, 0));
    for (int picture = show.pictureCount - 1; picture >= 0; --picture) {
      KeyFrame state;
      show.stateAt(state, picture, frame, false);
      const PictureSlot& slot = show.slots[picture];
      drawPicture(slot.image, expected, state, slot.brushCode, slot.tintColour, 0, 64, 48);
    }
    FrameRenderer renderer(3);
    ASSERT_TRUE(renderer.render(show, renderOptionsOf(show), frame, 0, 0, actual, nullptr, ground));
    EXPECT_TRUE(sameBytes(expected, actual)) << "frame " << frame;
  }
}
