#include "bench/bench_scene.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSide = 256;

ScenePicture pictureMotion(int i) {
  ScenePicture p;
  p.x0 = 60 + 55 * i;
  p.y0 = 80 + 30 * i;
  p.x1 = 580 - 50 * i;
  p.y1 = 400 - 28 * i;
  p.w0 = 100 + 15 * i;
  p.h0 = 100 + 15 * i;
  p.w1 = 160 - 8 * i;
  p.h1 = 120 + 10 * i;
  p.r0 = i % 3 == 0 ? 0 : -30 * i;
  p.r1 = i % 3 == 0 ? 0 : 25 * i + 10;
  p.amount = float((i * 10) % 70);
  p.brushCode = 0;
  return p;
}

ScenePicture brushMotion(int kind) {
  ScenePicture p;
  p.x0 = 80 + 90 * kind;
  p.y0 = 420 - 50 * kind;
  p.x1 = 560 - 80 * kind;
  p.y1 = 60 + 55 * kind;
  p.w0 = p.h0 = 120;
  p.w1 = 150;
  p.h1 = 110;
  p.r0 = 0;
  p.r1 = kind * 20;
  p.amount = 70 + 5 * kind;
  p.brushCode = 1000 * (kind + 1);
  return p;
}

KeyFrame key(float x, float y, float w, float h, float rotation, float amount, int time) {
  KeyFrame k;
  k.x = x;
  k.y = y;
  k.width = w;
  k.height = h;
  k.rotation = rotation;
  k.amount = amount;
  k.time = time;
  return k;
}

}  // namespace

std::vector<uint8_t> BenchScene::pictureBytes(int index) {
  std::vector<uint8_t> bytes(size_t(4) * kSide * kSide);
  const double c = (kSide - 1) / 2.0;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      uint8_t* p = &bytes[4 * (size_t(y) * kSide + x)];
      p[0] = uint8_t((x * 3 + index * 40) & 255);
      p[1] = uint8_t((y * 2 + index * 70) & 255);
      p[2] = uint8_t(((x ^ y) + index * 25) & 255);
      // A soft-edged rounded shape with a transparent border, as loaded pictures have.
      const double d = std::hypot((x - c) / c, (y - c) / c);
      const double a = d < 0.8 ? 255 : d < 1.1 ? 255 * (1.1 - d) / 0.3 : 0;
      p[3] = (x == 0 || y == 0 || x == kSide - 1 || y == kSide - 1) ? 0 : uint8_t(a);
    }
  }
  return bytes;
}

std::vector<uint8_t> BenchScene::backgroundBytes() {
  std::vector<uint8_t> bytes(size_t(4) * 720 * 480);
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 720; ++x) {
      uint8_t* p = &bytes[4 * (size_t(y) * 720 + x)];
      p[0] = uint8_t(x / 3);
      p[1] = uint8_t(y / 2);
      p[2] = uint8_t((x + y) / 5);
      p[3] = 255;
    }
  }
  return bytes;
}

BenchScene::BenchScene(bool withBrushes) : show_(std::make_unique<ShowState>(settings_)) {
  ShowState& show = *show_;
  show.setStageSize(640, 480);
  show.backgroundMode = 1;
  show.backgroundPicture.create(720, 480, 32);
  const std::vector<uint8_t> ground = backgroundBytes();
  for (int y = 0; y < 480; ++y) std::copy_n(&ground[size_t(4) * 720 * y], 4 * 720, show.backgroundPicture.row(479 - y));

  // Brushes take the front slots so that they act on the pictures behind them.
  std::vector<ScenePicture> slots;
  if (withBrushes)
    for (int kind = 0; kind < 6; ++kind) slots.push_back(brushMotion(kind));
  for (int i = 0; i < kScenePictures; ++i) slots.push_back(pictureMotion(i));

  show.pictureCount = int(slots.size());
  for (int s = 0; s < show.pictureCount; ++s) {
    ScenePicture& p = slots[s];
    p.image = s % kScenePictures;
    PictureSlot& slot = show.slots[s];
    slot.image.create(kSide, kSide, 32);
    const std::vector<uint8_t> bytes = pictureBytes(p.image);
    for (int y = 0; y < kSide; ++y)
      std::copy_n(&bytes[4 * size_t(y) * kSide], 4 * kSide, slot.image.row(kSide - 1 - y));
    slot.brushCode = p.brushCode;
    slot.keyCount = 2;
    slot.keys[0] = key(p.x0, p.y0, p.w0, p.h0, p.r0, p.amount, 0);
    slot.keys[1] = key(p.x1, p.y1, p.w1, p.h1, p.r1, p.amount, kSceneFrames - 1);
  }
  // Drawing order: last slot first.
  pictures_.assign(slots.rbegin(), slots.rend());
}
