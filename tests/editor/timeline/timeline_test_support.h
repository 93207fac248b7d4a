#pragma once
// A show of a few pictures and an open timeline (no owner: laid out against 640 x 480), with the
// mouse worked through the headless screen in the timeline's client coordinates.
#include <cstdio>
#include <memory>

#include "editor/timeline/timeline_view.h"
#include "tests/editor/editor_test_support.h"
#include "platform/screen/screen.h"

class TimelineTest : public EditorTest {
 protected:
  void TearDown() override {
    timeline.reset();
    EditorTest::TearDown();
  }

  // Pictures named pic0, pic1, ... each with key 0 at frame 0.
  void addPictures(int count) {
    for (int i = 0; i < count; ++i) {
      PictureSlot& slot = show->slots[i];
      std::snprintf(slot.file.path, sizeof slot.file.path, "/shows/pic%d.tga", i);
      slot.keyCount = 1;
      slot.keys[0] = KeyFrame{};
      slot.keys[0].x = 100.0f + float(i);
      slot.keys[0].width = 100;
      slot.keys[0].height = 80;
    }
    show->pictureCount = count;
  }

  // Keys at the given times in picture p; each differs from the one before (no holds).
  void setKeys(int p, std::initializer_list<int> times) {
    PictureSlot& slot = show->slots[p];
    slot.keyCount = 0;
    for (int t : times) {
      KeyFrame k = slot.keys[0];
      k.time = t;
      k.x = float(200 + 10 * slot.keyCount);
      slot.keys[slot.keyCount++] = k;
    }
  }

  void open(int length = 1800) {
    show->showLength = length;
    timeline = std::make_unique<TimelineView>(nullptr);
    pump();
  }

  void expand() {
    timeline->displayMode = TimelineView::kExpanded;
    timeline->layout();
    pump();
  }

  ws::Point at(int clientX, int clientY) const {
    return ws::screen().clientToScreen(timeline->handle(), {clientX, clientY});
  }
  void press(int x, int y, int button = 0) {
    const ws::Point p = at(x, y);
    ws::screen().mouseMove(p.x, p.y);
    ws::screen().mouseButton(button, true, p.x, p.y);
    pump();
  }
  void moveTo(int x, int y) {
    const ws::Point p = at(x, y);
    ws::screen().mouseMove(p.x, p.y);
    pump();
  }
  void release(int x, int y, int button = 0) {
    const ws::Point p = at(x, y);
    ws::screen().mouseMove(p.x, p.y);
    ws::screen().mouseButton(button, false, p.x, p.y);
    pump();
  }
  void drag(int x0, int y0, int x1, int y1) {
    press(x0, y0);
    moveTo((x0 + x1) / 2, (y0 + y1) / 2);
    moveTo(x1, y1);
    release(x1, y1);
  }
  // The screen's pixel at a client position of the timeline.
  uint32_t pixel(int clientX, int clientY) {
    const ws::Point p = at(clientX, clientY);
    return ws::screen().pixelAt(p.x, p.y);
  }
  int x(int frame) const { return timeline->frameX(frame) - timeline->scrollPosition(ws::SB_HORZ); }
  int keyTime(int p, int k) const { return show->slots[p].keys[k].time; }

  // The middle of the collapsed row, and of row i in the expanded view.
  static constexpr int kRowY = 22;
  static int rowY(int i) { return 14 + 15 * i + 8; }

  std::unique_ptr<TimelineView> timeline;
};
