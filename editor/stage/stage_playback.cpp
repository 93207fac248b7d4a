// Playback: the show frame after frame in real time. Each frame's time comes from the performance
// counter's ticks since the last (re)start, never from a count of frames drawn, so a slow frame makes
// the next ones skip ahead instead of slowing the show down. The loop never blocks: between frames it
// takes at most one message off the queue, without dispatching it.
#include "editor/editor_context.h"
#include "editor/stage/stage_view.h"
#include "editor/timeline/timeline_view.h"
#include "platform/drawing.h"
#include "platform/screen/modal_loops.h"
#include "show/show_state.h"

namespace {

ShowState& theShow() { return *editorContext().show; }

// The sound track has no player in this system; the hooks mark where it would start and stop.
void startSoundTrack(int /*time*/) {}
void stopSoundTrack() {}

}  // namespace

void StageView::setTransportStates() {
  if (!handle_) return;
  DrawingScope scope(handle_);
  setOrigin(hScroll(), vScroll());
  playBackwardButton.setState(BitmapButton::kNormal);
  stopButton.setState(BitmapButton::kNormal);
  playForwardButton.setState(BitmapButton::kNormal);
  if (playDirection == +1) playForwardButton.setState(BitmapButton::kActive);
  if (playDirection == -1) playBackwardButton.setState(BitmapButton::kActive);
}

void StageView::transport(int direction) {
  if (!editorContext().show) return;
  ShowState& show = theShow();
  playDirection = direction;
  setTransportStates();
  if (direction == 0) return;
  playEndTime = show.showLength;
  if (show.currentTime >= playEndTime) show.currentTime = 0;
  playStartTime = show.currentTime;
  playStartCounter = performanceCounter();
  playbackLoop();
  show.showAt(show.currentTime, false);
  if (TimelineView* timeline = editorContext().timeline) timeline->paint();
  paint();
}

void StageView::playbackTick() {
  ShowState& show = theShow();
  if (show.currentTime < 0 || show.currentTime > playEndTime) transport(0);
  show.showAt(show.currentTime, false);
  redrawStage(false);
  if (playDirection != 0) {
    const int64_t frames = (performanceCounter() - playStartCounter) / ticksPerFrame;
    show.currentTime = int32_t(playStartTime + playDirection * frames);
  }
}

void StageView::playbackMessage(const WindowMessage& m) {
  ShowState& show = theShow();
  if (m.message == ws::WM_KEYDOWN) {
    transport(0);
    return;
  }
  if (m.message != ws::WM_LBUTTONUP) return;
  const int x = ws::signedLo(m.lParam), y = ws::signedHi(m.lParam);
  TimelineView* timeline = editorContext().timeline;
  if (timeline && timeline->handle() && m.window == timeline->handle()) {
    show.currentTime = timeline->frameAtClientX(x);
    playStartTime = show.currentTime;
    playStartCounter = performanceCounter();
    if (playDirection == +1) startSoundTrack(show.currentTime);
  } else if (m.window == handle_) {
    // State -1 tests the button without drawing it; transport(0) then draws all three afresh.
    const int sx = x + hScroll(), sy = y + vScroll();
    if (playBackwardButton.pressTest(sx, sy, -1) || stopButton.pressTest(sx, sy, -1) ||
        playForwardButton.pressTest(sx, sy, -1))
      transport(0);
  } else {
    transport(0);
  }
}

void StageView::playbackLoop() {
  ShowState& show = theShow();
  ws::ModalLoopScope modal("playback");
  if (playDirection == +1) startSoundTrack(show.currentTime);
  while (playDirection != 0) {
    playbackTick();
    if (TimelineView* timeline = editorContext().timeline) timeline->followAndRedraw();
    drawTimecodeAndSlider(show.currentTime, -1);
    WindowMessage m;
    if (peekMessage(m)) playbackMessage(m);
  }
  transport(0);
  stopSoundTrack();
}
