#include <gtest/gtest.h>

#include <random>

#include "render/render_show.h"
#include "tests/render/render_test_images.h"

// The running-sum blur must give exactly the bytes of the plain definition: same reads of pixels
// already blurred, same rectangle cuts, same integer averages.
namespace {

ImageBuffer randomImage(std::mt19937& rng, int width, int height) {
  ImageBuffer image(width, height, 32);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < 4 * width; ++x) image.row(y)[x] = uint8_t(byte(rng));
  return image;
}

// A mask with a soft random shape: opaque disc, transparent outside, noisy ring between, and an
// all-transparent border like the loaded pictures have.
ImageBuffer randomMask(std::mt19937& rng, int width, int height) {
  ImageBuffer mask = randomImage(rng, width, height);
  std::uniform_int_distribution<int> byte(0, 255);
  const double cx = width / 2.0, cy = height / 2.0, radius = std::min(width, height) / 2.0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / radius;
      uint8_t alpha = d < 0.6 ? 255 : d < 0.9 ? uint8_t(byte(rng)) : 0;
      if (x == 0 || y == 0 || x == width - 1 || y == height - 1) alpha = 0;
      setPixel(mask, x, y, {0, 0, 0, alpha});
    }
  }
  return mask;
}

}  // namespace

TEST(BlurEquivalence, RunningSumsMatchTheDirectFormByteForByte) {
  std::mt19937 rng(20240611);
  std::uniform_real_distribution<float> unit(0, 1);
  const int modes[] = {kModeProgressive, kModeFieldOddLines, kModeFieldEvenLines};
  int compared = 0, changed = 0;
  for (int round = 0; round < 240; ++round) {
    const int outW = 16 + int(unit(rng) * 80), outH = 12 + int(unit(rng) * 60);
    const int stageW = 40 + int(unit(rng) * 60), stageH = 30 + int(unit(rng) * 50);
    const int maskW = 3 + int(unit(rng) * 50), maskH = 3 + int(unit(rng) * 50);
    ImageBuffer mask = round % 3 == 0 ? makeImage(maskW, maskH, {0, 0, 0, 255}) : randomMask(rng, maskW, maskH);
    // Radii 0..15 in turn, with amounts from the whole range and a little beyond.
    const float amount = round < 160 ? float((round % 16) * 16 + 8) / 2.55f : -10 + unit(rng) * 120;
    KeyFrame state = placed(-10 + unit(rng) * (stageW + 20), -10 + unit(rng) * (stageH + 20),
                            2 + unit(rng) * stageW, 2 + unit(rng) * stageH,
                            round % 4 == 0 ? 0.0f : -180 + unit(rng) * 360, amount);
    const int mode = modes[round % 3];
    const ImageBuffer ground = randomImage(rng, outW, outH);
    ImageBuffer direct = ground, running = ground;
    ASSERT_TRUE(drawPicture(mask, direct, state, 1000, 255, mode, stageW, stageH, BlurMethod::direct));
    ASSERT_TRUE(drawPicture(mask, running, state, 1000, 255, mode, stageW, stageH, BlurMethod::runningSum));
    ASSERT_TRUE(sameBytes(direct, running))
        << "round " << round << " output " << outW << "x" << outH << " mask " << maskW << "x" << maskH
        << " state x " << state.x << " y " << state.y << " w " << state.width << " h " << state.height
        << " rotation " << state.rotation << " amount " << state.amount << " mode " << mode;
    ++compared;
    if (!sameBytes(direct, ground)) ++changed;
  }
  EXPECT_EQ(compared, 240);
  // The comparison means something only if most cases actually blurred pixels.
  EXPECT_GT(changed, 150);
}
