#pragma once
// The fixed scene the renderer's benchmarks draw: ten 256 x 256 pictures with soft alpha at various
// sizes, turns and transparencies, moving across a 640 x 480 stage over 60 frames, and one brush of
// each kind moving through them, over a background picture.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/settings_file.h"
#include "show/show_state.h"

constexpr int kScenePictures = 10;
constexpr int kSceneFrames = 60;

struct ScenePicture {
  float x0, y0, x1, y1;  // centre at the first and last frame (stage units)
  float w0, h0, w1, h1;  // size at the first and last frame
  float r0, r1;          // rotation, degrees
  float amount;          // transparency (pictures) or strength (brushes), percent
  int brushCode;
  int image;  // which of the scene's pictures (pictureBytes) it shows
};

class BenchScene {
 public:
  // withBrushes adds the six brushes in front of the pictures they pass over.
  explicit BenchScene(bool withBrushes);
  const ShowState& show() const { return *show_; }

  // The scene's pictures in drawing order (last slot first), for building the same motion elsewhere.
  const std::vector<ScenePicture>& pictures() const { return pictures_; }

  // The 256 x 256 picture as top-down blue, green, red, alpha bytes (for other tools to read).
  static std::vector<uint8_t> pictureBytes(int index);
  // The 720 x 480 background picture, top-down blue, green, red, alpha bytes.
  static std::vector<uint8_t> backgroundBytes();

 private:
  SettingsFile settings_;
  std::unique_ptr<ShowState> show_;
  std::vector<ScenePicture> pictures_;
};
