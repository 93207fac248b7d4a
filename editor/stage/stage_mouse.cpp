// The stage's answer to the mouse and the keys: moving, sizing and turning the current picture,
// Shift-click selection, the effect slider, the keyframe options, keys on the motion path, the
// timecode entry and the nudge keys. Every edit changes the current picture's working state; a key is
// written only through setKeyNow.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "editor/editor_context.h"
#include "editor/shell/editor_window.h"
#include "editor/stage/stage_view.h"
#include "editor/stage/timecode.h"
#include "editor/timeline/keyframe_options.h"
#include "editor/timeline/timeline_view.h"
#include "platform/dialogs.h"
#include "platform/drawing.h"
#include "show/show_state.h"

namespace {

// Cursor kinds of platform/dialogs.h.
constexpr int kCursorArrow = 1;
constexpr int kCursorCross = 2;
constexpr int kCursorSizeFalling = 8;
constexpr int kCursorRotate = 12;
constexpr int kCursorMove = 13;

// Virtual-key codes of the nudge keys; character messages with the same codes act alike.
constexpr int kKeyShift = 16;
constexpr int kKeyPageUp = 33, kKeyPageDown = 34, kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40;

// A key of the motion path is "near" the pointer within this many pixels on both axes.
constexpr int kKeyNearPixels = 8;

ShowState& theShow() { return *editorContext().show; }

}  // namespace

int StageView::hitTest(int px, int py) const {
  const ShowState* show = editorContext().show;
  // Without a picture there is nothing to take hold of: a drag would set a key on an unused slot.
  if (!show || currentLocked() || show->pictureCount <= 0) return 0;
  const KeyFrame& state = const_cast<StageView*>(this)->currentState();
  return hitPicture(pictureGeometry(state, zoom, -hScroll(), -vScroll()), px, py);
}

void StageView::setKey() {
  ShowState& show = theShow();
  if (show.pictureCount > 0) show.setKeyNow();
}

void StageView::shiftClickSelect(int px, int py) {
  ShowState& show = theShow();
  const int pictures = std::clamp(show.pictureCount, 0, kMaxPictures);
  for (int i = 0; i < pictures; ++i) {
    if (show.slots[i].lock) continue;
    if (inCentralBox(workingStates_[i], zoom, -hScroll(), -vScroll(), px, py)) {
      show.setCurrentPicture(i);
      return;
    }
  }
  show.setCurrentPicture(show.currentPicture);
}

int StageView::keyNear(int clientX, int clientY) const {
  const ShowState& show = theShow();
  const int p = std::clamp(show.currentPicture, 0, kSlotCount - 1);
  const int count = std::clamp(show.slots[p].keyCount, 1, kMaxKeys);
  const int sx = clientX + hScroll(), sy = clientY + vScroll();
  for (int k = 0; k < count; ++k) {
    KeyFrame key;
    show.getKey(k, key, p);
    const int kx = frameRect.left + int(key.x * zoom), ky = frameRect.top + int(key.y * zoom);
    if (std::abs(kx - sx) < kKeyNearPixels && std::abs(ky - sy) < kKeyNearPixels) return k;
  }
  return -1;
}

void StageView::leftButtonDown(int x, int y, bool shift) {
  if (!editorContext().show) return;
  const int px = x - frameRect.left, py = y - frameRect.top;
  const int sx = x + hScroll(), sy = y + vScroll();
  if (shift) shiftClickSelect(px, py);
  {
    DrawingScope scope(handle_);
    setOrigin(hScroll(), vScroll());
    playBackwardButton.pressTest(sx, sy, BitmapButton::kPressed);
    stopButton.pressTest(sx, sy, BitmapButton::kPressed);
    playForwardButton.pressTest(sx, sy, BitmapButton::kPressed);
    setKeyButton.pressTest(sx, sy, BitmapButton::kPressed);
  }
  drawOutline(true);
  if (sx > frameRect.left && sx < frameRect.left + 100 && sy > frameRect.bottom && sy < frameRect.bottom + 20)
    sliderDrag = 1;
  dragMode = hitTest(px, py);
  if (dragMode != kDragNone) {
    const KeyFrame& state = currentState();
    dragStartX = int(state.x * zoom);
    dragStartY = int(state.y * zoom);
    grabOffsetX = px - dragStartX;
    grabOffsetY = py - dragStartY;
    if (dragMode == kDragRotate) grabOffsetX = px - int(state.rotation * 2.0);
  }
  if (TimelineView* timeline = editorContext().timeline) timeline->paint();
}

void StageView::dragStep(int px, int py, bool shift) {
  drawOutline(true);
  KeyFrame& state = currentState();
  switch (dragMode) {
    case kDragMove:
      setCursorKind(kCursorMove);
      moveStep(state, zoom, px, py, grabOffsetX, grabOffsetY, dragStartX, dragStartY, shift);
      break;
    case kDragRotate:
      setCursorKind(kCursorRotate);
      rotateStep(state, px, grabOffsetX, shift);
      break;
    case kDragSize: {
      setCursorKind(kCursorSizeFalling);
      const ImageBuffer& image = theShow().slots[std::clamp(theShow().currentPicture, 0, kSlotCount - 1)].image;
      const double aspect = image.width() > 0 ? double(image.height()) / double(image.width()) : 1.0;
      const ws::Point centre{int(state.x * zoom) - hScroll(), int(state.y * zoom) - vScroll()};
      sizeStep(state, zoom, centre, px, py, aspect, shift);
      break;
    }
    default: break;
  }
  drawOutline(true);
  if (owner_) owner_->drawStatus(state);
}

void StageView::mouseMoved(int x, int y, bool shift) {
  if (!editorContext().show) return;
  const int px = x - frameRect.left, py = y - frameRect.top;
  if (dragMode != kDragNone) dragStep(px, py, shift);
  if (sliderDrag) {
    const int v = sliderValue(x + hScroll() - frameRect.left);
    currentState().amount = float(v);
    drawTimecodeAndSlider(theShow().currentTime, v);
    redrawStage(false);
  }
  if (dragMode != kDragNone || sliderDrag) return;
  switch (hitTest(px, py)) {
    case kDragMove: setCursorKind(kCursorMove); break;
    case kDragSize: setCursorKind(kCursorSizeFalling); break;
    case kDragRotate: setCursorKind(kCursorRotate); break;
    default: setCursorKind(showMotionPath && keyNear(x, y) >= 0 ? kCursorCross : kCursorArrow); break;
  }
}

void StageView::leftButtonUp(int x, int y) {
  if (!editorContext().show) return;
  ShowState& show = theShow();
  if (TimelineView* timeline = editorContext().timeline) timeline->handleMessage(kCancelDragMessage, 0, 0);
  const int sx = x + hScroll(), sy = y + vScroll();
  bool pressed[4];
  {
    DrawingScope scope(handle_);
    setOrigin(hScroll(), vScroll());
    pressed[0] = playBackwardButton.pressTest(sx, sy, BitmapButton::kNormal);
    pressed[1] = stopButton.pressTest(sx, sy, BitmapButton::kNormal);
    pressed[2] = playForwardButton.pressTest(sx, sy, BitmapButton::kNormal);
    pressed[3] = setKeyButton.pressTest(sx, sy, BitmapButton::kNormal);
  }
  if (pressed[0]) transport(-1);
  if (pressed[1]) transport(0);
  if (pressed[2]) transport(+1);
  if (pressed[3]) setKey();
  if (sliderDrag) redrawStage(true);
  if (dragMode != kDragNone || sliderDrag) {
    if (sliderDrag) {
      const int v = sliderValue(sx - frameRect.left);
      currentState().amount = float(v);
      drawTimecodeAndSlider(show.currentTime, v);
    }
    if (show.autoAddKeys) setKey();
  }
  dragMode = kDragNone;
  sliderDrag = 0;
  paint();
  if (showMotionPath) {
    const int k = keyNear(x, y);
    if (k >= 0) {
      KeyFrame key;
      show.getKey(k, key, std::clamp(show.currentPicture, 0, kSlotCount - 1));
      show.showAt(key.time, true);
    }
  }
}

void StageView::leftDoubleClick(int x, int y) {
  if (!editorContext().show) return;
  ShowState& show = theShow();
  const int sx = x + hScroll(), sy = y + vScroll();
  if (sx < timecodeRect.left || sx > timecodeRect.right || sy < timecodeRect.top || sy > timecodeRect.bottom) return;
  char text[80] = {};
  const std::string now = timecodeText(show.currentTime, false, show.frameRate);
  std::strncpy(text, now.c_str(), sizeof text - 1);
  askValue(owner_ ? owner_->handle() : 0, text, "Timecode", "Type Timecode", nullptr);
  int time = show.currentTime;
  parseTimecode(text, time, show.frameRate);
  show.currentTime = time;
  show.showAt(show.currentTime, true);
}

void StageView::rightButtonUp(int x, int y) {
  if (!editorContext().show) return;
  const int px = x - frameRect.left, py = y - frameRect.top;
  if (hitTest(px, py) == 0) return;
  KeyFrame key = currentState();
  const int kx = px + 100;
  const int ky = std::min(py + 30, clientRect().height() - 160);
  if (keyframeOptions(kx, ky, key, true)) {
    currentState() = key;
    setKey();
  }
  paint();
}

void StageView::key(uint32_t message, ws::WParam wParam, ws::LParam lParam) {
  const int code = int(wParam);
  if (code == kKeyShift || !editorContext().show) return;
  // The editor's shortcuts work whichever of its windows has the focus.
  if (owner_) owner_->handleMessage(message, wParam, lParam);
  if (currentLocked() || theShow().pictureCount <= 0) return;
  KeyFrame& state = currentState();
  switch (code) {
    case kKeyLeft: state.x -= 1.0f; break;
    case kKeyRight: state.x += 1.0f; break;
    case kKeyUp: state.y -= 1.0f; break;
    case kKeyDown: state.y += 1.0f; break;
    case kKeyPageUp:
      state.width += 1.0f;
      state.height += 1.0f;
      break;
    case kKeyPageDown:
      state.width = std::max(state.width - 1.0f, 4.0f);
      state.height = std::max(state.height - 1.0f, 4.0f);
      break;
    default: return;
  }
  redrawStage(true);
  // The strip reads out the state the picture now has, as during a drag.
  if (owner_) owner_->drawStatus(state);
}
