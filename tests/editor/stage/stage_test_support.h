#pragma once
// The stage tests' fixture: the editor fixture with a stage of its own (no owner, 640 x 480), host
// frames from a frame input that also drives the screen's manual clock, and helpers that put pictures
// into the show and work the stage through the screen's input in client coordinates.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "editor/stage/stage_view.h"
#include "image/image_buffer.h"
#include "render/frame_input.h"
#include "show/show_state.h"
#include "tests/editor/editor_test_support.h"

// Serves 640 x 480 host frames whose colour depends on the frame number, records every frame asked
// for, and moves the manual clock on by `advanceMicros` at each fetch, so that playback sees time pass
// exactly as fast as it draws.
class ClockedFrameInput : public FrameInput {
 public:
  bool fetchFrame(int frame, ImageBuffer& into) override {
    frames.push_back(frame);
    if (!into.create(640, 480, 32)) return false;
    for (int y = 0; y < 480; ++y) {
      uint8_t* row = into.row(y);
      for (int x = 0; x < 640; ++x) {
        row[4 * x + 0] = uint8_t(frame * 7 + x / 3);
        row[4 * x + 1] = uint8_t(frame * 3 + y / 2);
        row[4 * x + 2] = uint8_t(90 + (x ^ y) % 64);
        row[4 * x + 3] = 255;
      }
    }
    if (advanceMicros) ws::screen().advanceClock(advanceMicros);
    return true;
  }
  std::vector<int> frames;
  int64_t advanceMicros = 0;
};

class StageTest : public EditorTest {
 protected:
  // One frame period at 29.97 frames a second, rounded up: each fetch moves playback on by one frame.
  static constexpr int64_t kOneFrameMicros = 33367;

  void SetUp() override {
    EditorTest::SetUp();
    ws::screen().useManualClock(true);
    context.frameInput = &input;
    stage = std::make_unique<StageView>(nullptr);
    pump();
  }

  void TearDown() override {
    stage.reset();
    context.frameInput = nullptr;
    EditorTest::TearDown();
  }

  // Puts a picture of width x height pixels (opaque, a colour of its own) into the next slot with one
  // key, makes the show's states current and repaints.
  int addPicture(int width, int height, float x, float y, float w, float h, float rotation = 0) {
    const int slot = show->pictureCount++;
    PictureSlot& s = show->slots[slot];
    s.image.create(width, height, 32);
    for (int r = 0; r < height; ++r) {
      uint8_t* row = s.image.row(r);
      for (int c = 0; c < width; ++c) {
        row[4 * c + 0] = uint8_t(40 + 60 * slot);
        row[4 * c + 1] = uint8_t(200 - 50 * slot + r % 32);
        row[4 * c + 2] = uint8_t(c % 256);
        row[4 * c + 3] = 255;
      }
    }
    KeyFrame key;
    key.x = x, key.y = y, key.width = w, key.height = h, key.rotation = rotation;
    s.keys[0] = key;
    s.keyCount = 1;
    show->showAt(show->currentTime, true);
    pump();
    return slot;
  }

  // Screen coordinates of a client position of the stage.
  ws::Point screenPoint(int clientX, int clientY) const {
    return ws::screen().clientToScreen(stage->handle(), {clientX, clientY});
  }
  // Client position of a point given relative to the frame's top-left corner.
  ws::Point frameToClient(int px, int py) const {
    return {stage->frameRect.left + px - stage->scrollPosition(ws::SB_HORZ),
            stage->frameRect.top + py - stage->scrollPosition(ws::SB_VERT)};
  }

  void press(int clientX, int clientY, bool shift = false) {
    const ws::Point p = screenPoint(clientX, clientY);
    if (shift) ws::screen().keyDown(ws::VK_SHIFT);
    ws::screen().mouseMove(p.x, p.y);
    ws::screen().mouseButton(0, true, p.x, p.y);
    if (shift) ws::screen().keyUp(ws::VK_SHIFT);
    pump();
  }
  void moveTo(int clientX, int clientY, bool shift = false) {
    const ws::Point p = screenPoint(clientX, clientY);
    if (shift) ws::screen().keyDown(ws::VK_SHIFT);
    ws::screen().mouseMove(p.x, p.y);
    if (shift) ws::screen().keyUp(ws::VK_SHIFT);
    pump();
  }
  void release(int clientX, int clientY) {
    const ws::Point p = screenPoint(clientX, clientY);
    ws::screen().mouseButton(0, false, p.x, p.y);
    pump();
  }
  // A whole drag: press, one move (with Shift held if asked), release where it moved to.
  void drag(ws::Point from, ws::Point to, bool shift = false) {
    press(from.x, from.y);
    moveTo(to.x, to.y, shift);
    release(to.x, to.y);
  }
  // The screen's pixel at a client position of the stage.
  uint32_t pixel(int clientX, int clientY) {
    const ws::Point p = screenPoint(clientX, clientY);
    return ws::screen().pixelAt(p.x, p.y);
  }
  // Centre of a button's rectangle in client coordinates.
  ws::Point buttonCentre(const BitmapButton& b) const {
    return {(b.rect.left + b.rect.right) / 2 - stage->scrollPosition(ws::SB_HORZ),
            (b.rect.top + b.rect.bottom) / 2 - stage->scrollPosition(ws::SB_VERT)};
  }

  KeyFrame& state(int picture) { return stage->workingStates()[picture]; }

  ClockedFrameInput input;
  std::unique_ptr<StageView> stage;
};

// Stages whose transport bar lies inside the client area: the frame at half size.
class HalfStageTest : public StageTest {
 protected:
  std::string initialSettings() const override { return "Scale=50\r\n"; }
};
