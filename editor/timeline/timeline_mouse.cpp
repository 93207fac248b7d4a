// The timeline's mouse: scrubbing, key drags (with Shift the later keys follow), deleting a key
// dragged to the start, reordering rows by their first key, and the keyframe options on a key.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "editor/editor_context.h"
#include "editor/shell/editor_window.h"
#include "editor/stage/stage_view.h"
#include "editor/timeline/keyframe_options.h"
#include "editor/timeline/timeline_geometry.h"
#include "editor/timeline/timeline_view.h"
#include "platform/dialogs.h"
#include "platform/drawing.h"
#include "platform/screen/screen.h"
#include "show/show_state.h"
#include "show/show_views.h"

namespace {
constexpr int kCursorArrow = 1;
constexpr int kCursorHorizontalSize = 9;
constexpr int kCursorRowDrag = 13;

// The picture's state at the current time as the stage holds it.
KeyFrame currentState(const ShowState& s) {
  const int p = std::clamp(s.currentPicture, 0, kSlotCount - 1);
  if (ShowViews* views = s.views()) return views->workingStates()[p];
  KeyFrame state;
  s.stateAt(state, p, s.currentTime, false);
  return state;
}
}  // namespace

void TimelineView::leftDown(int clientX, int clientY) {
  ShowState* s = showState();
  pressPosition = contentX(clientX);
  hitKeyIndex = hitKey(clientX, clientY);
  rowDrag_ = false;
  if (hitKeyIndex == 0 && s && s->pictureCount > 1 && displayMode > kCollapsed) {
    rowDrag_ = true;
    pressPosition = timelineRowAt(contentY(clientY));
    toggleRowMarker(pressPosition);
    setCursorKind(kCursorRowDrag);
  } else if (hitKeyIndex < 0) {
    scrubbing = 1;
  }
}

void TimelineView::mouseMoved(int clientX, int clientY) {
  ShowState* s = showState();
  StageView* stage = editorContext().stage;
  if (scrubbing && s) {
    // Each position costs a host frame, which may have to be decoded: while the pointer has already
    // moved on, only the latest position is shown.
    if (ws::screen().hasQueuedInput(handle_, ws::WM_MOUSEMOVE)) return;
    s->showAt(frameAtClientX(clientX), false);
    if (stage) {
      stage->drawTimecodeAndSlider(s->currentTime, -1);
      stage->redrawStage(true);
    }
    // The cursor follows the pointer here too, or the user scrubs blind.
    ws::screen().invalidateRect(handle_, nullptr);
    ws::screen().updateWindow(handle_);
  } else if (hitKeyIndex >= 1) {
    if (dragMarkerX_ >= 0) toggleDragMarker(dragMarkerX_);
    toggleDragMarker(contentX(clientX));
    if (stage) stage->drawTimecodeAndSlider(frameAtClientX(clientX), -1);
  } else if (rowDrag_) {
    const int row = timelineRowAt(contentY(clientY));
    if (row != rowMarkerRow_) {
      if (rowMarkerRow_ >= 0) toggleRowMarker(rowMarkerRow_);
      toggleRowMarker(row);
    }
    setCursorKind(kCursorRowDrag);
  } else {
    setCursorFor(clientX, clientY);
  }
}

void TimelineView::setCursorFor(int clientX, int clientY) {
  const int key = hitKey(clientX, clientY);
  if (key < 0) setCursorKind(kCursorArrow);
  else if (key > 0) setCursorKind(kCursorHorizontalSize);
  else if (displayMode > kCollapsed) setCursorKind(kCursorRowDrag);
  else setCursorKind(kCursorArrow);
}

void TimelineView::leftUp(int clientX, int clientY, bool shift) {
  ShowState* s = showState();
  scrubbing = 0;
  const int heldKey = hitKeyIndex;
  const bool rowDrag = rowDrag_;
  hitKeyIndex = -1;
  rowDrag_ = false;
  if (!s) return;
  const int dropFrame = frameAtClientX(clientX);
  // The dragged key belongs to the picture that was current at the press, whichever row the pointer
  // is released over.
  const int picture = s->currentPicture;

  int held = heldKey;
  if (held >= 1) {
    const int pressFrame = timelineFrameAt(pressPosition, timeScale);
    // The later keys move in time order, each recorded with both of its places, and the held key is
    // followed to where it stands then: undo puts every key back where it was.
    if (shift && dropFrame != pressFrame) s->moveLaterKeys(pressFrame, dropFrame - pressFrame, held);
  }
  if (displayMode > kCollapsed) {
    const int row = timelineRowAt(contentY(clientY));
    if (row != s->currentPicture) s->setCurrentPicture(row);
  }
  if (rowDrag) {
    if (rowMarkerRow_ >= 0) toggleRowMarker(rowMarkerRow_);
    s->movePicture(s->currentPicture, pressPosition);
  }
  if (held >= 1) {
    if (dragMarkerX_ >= 0) toggleDragMarker(dragMarkerX_);
    dropKey(held, picture, dropFrame);
  }

  s->showAt(dropFrame, false);
  StageView* stage = editorContext().stage;
  if (stage) stage->redrawStage(true);
  followAndRedraw();
  const KeyFrame state = currentState(*s);
  if (owner_) owner_->drawStatus(state);
  if (stage) stage->drawTimecodeAndSlider(s->currentTime, int(std::trunc(state.amount)));
}

void TimelineView::dropKey(int key, int picture, int frame) {
  ShowState* s = showState();
  if (!s || picture < 0 || picture >= kSlotCount || key >= s->slots[picture].keyCount) return;
  KeyFrame original;
  s->getKey(key, original, picture);
  if (frame < std::min(timeScale / 2, 5)) {
    // Deleted where it stood: undoing the deletion puts the key back at its old time in one step.
    s->deleteKey(key, picture);
  } else if (frame != original.time) {
    // Moved to its place in time order and recorded with both places, so that undo neither
    // overwrites a key the drag passed nor leaves the track out of order.
    s->moveKey(key, frame, picture);
  }
  // A track read out of order from a file is put in order as before.
  s->sortKeys(picture);
}

void TimelineView::rightUp(int clientX, int clientY) {
  ShowState* s = showState();
  const int key = hitKey(clientX, clientY);
  if (s && key >= 0) {
    const int picture = s->currentPicture;
    KeyFrame copy;
    s->getKey(key, copy, picture);
    const KeyFrame before = copy;
    const ws::WindowHandle formWindow = keyframeFormWindow();
    const ws::Rect formClient = formWindow ? ws::screen().clientRect(formWindow) : ws::Rect{};
    const ws::Point pointer = ws::screen().clientToScreen(handle_, {clientX, clientY});
    const ws::Point origin = formWindow ? ws::screen().clientToScreen(formWindow, {0, 0}) : ws::Point{};
    // Only a confirmed change is recorded: a cancelled dialog leaves nothing to undo.
    if (keyframeOptions(pointer.x - origin.x, formClient.height() - 340, copy, false)) {
      s->pushUndo(before, key, picture, key);
      s->putKey(key, copy, picture);
    }
  }
  if (s) s->showAt(frameAtClientX(clientX), false);
  followAndRedraw();
  if (StageView* stage = editorContext().stage) stage->paint();
}

void TimelineView::toggleDragMarker(int x) {
  ShowState* s = showState();
  if (!handle_ || !s) return;
  DrawingScope scope(handle_);
  setOrigin(scrollPosition(ws::SB_HORZ), scrollPosition(ws::SB_VERT));
  const int top = displayMode <= kCollapsed ? kFirstRowTop : timelineRowTop(s->currentPicture);
  const int cx = x - 6 + 7, cy = top + 8;
  const ws::Point diamond[] = {{cx, cy - 6}, {cx + 6, cy}, {cx, cy + 6}, {cx - 6, cy}, {cx, cy - 6}};
  invertPolyline(5, diamond, 2, ws::PS_SOLID);
  invertLine({cx, top + 1, cx, top + kRowHeight - 1}, 1, ws::PS_SOLID);
  dragMarkerX_ = dragMarkerX_ == x ? -1 : x;
}

void TimelineView::toggleRowMarker(int row) {
  if (!handle_) return;
  DrawingScope scope(handle_);
  setOrigin(scrollPosition(ws::SB_HORZ), scrollPosition(ws::SB_VERT));
  const int y = timelineRowTop(row) + kRowHeight / 2;
  invertLine({frameX(0), y, contentWidth, y}, 6, ws::PS_SOLID);
  rowMarkerRow_ = rowMarkerRow_ == row ? -1 : row;
}

void TimelineView::redrawMarkers() {
  // paint() has drawn over them: draw them afresh where they were.
  if (dragMarkerX_ >= 0) {
    const int x = dragMarkerX_;
    dragMarkerX_ = -1;
    toggleDragMarker(x);
  }
  if (rowMarkerRow_ >= 0) {
    const int row = rowMarkerRow_;
    rowMarkerRow_ = -1;
    toggleRowMarker(row);
  }
}
