// The editor's keyboard: key-downs and characters from whichever editor window has the focus.
#include <algorithm>
#include <cstring>

#include "editor/editor_context.h"
#include "editor/shell/editor_window.h"
#include "editor/stage/stage_view.h"
#include "editor/timeline/timeline_view.h"
#include "platform/drawing.h"
#include "platform/messages.h"
#include "platform/screen/screen.h"
#include "render/render_show.h"
#include "render/show_render_options.h"
#include "show/show_state.h"

namespace {
constexpr int kShiftCode = 16;

void transport(int direction) {
  if (StageView* stage = editorContext().stage) stage->transport(direction);
}
}  // namespace

void EditorWindow::keyboard(uint32_t message, int code) {
  if (code == kShiftCode) return;
  ShowState* show = editorContext().show;
  if (!show) return;
  const bool keyDown = message == ws::WM_KEYDOWN;

  int letter = code;
  if (keyToCharacter(letter)) {
    switch (letter) {
      case 'z': handleMessage(ws::WM_COMMAND, kCmdUndo, 0); break;
      case 'y': handleMessage(ws::WM_COMMAND, kCmdRedo, 0); break;
      case 'x': handleMessage(ws::WM_COMMAND, kCmdCut, 0); break;
      case 'c': handleMessage(ws::WM_COMMAND, kCmdCopy, 0); break;
      case 'v': handleMessage(ws::WM_COMMAND, kCmdPaste, 0); break;
      case 'l': handleMessage(ws::WM_COMMAND, kCmdLoadPicture, 0); break;
      case 'n': handleMessage(ws::WM_COMMAND, kCmdNewShow, 0); break;
      case 'o': handleMessage(ws::WM_COMMAND, kCmdLoadShow, 0); break;
      case 's': quickSave(); break;
      // Ctrl's own key-down has the code of Ctrl+Q's character: only the character closes.
      case 'q':
        if (!keyDown) handleMessage(ws::WM_CLOSE, 0, 0);
        break;
      case '>': handleMessage(ws::WM_COMMAND, kCmdEnlargeTimeline, 0); break;
      case '<': handleMessage(ws::WM_COMMAND, kCmdContractTimeline, 0); break;
      default: break;
    }
    flushKeys();
    return;
  }

  // A letter's key-down with Ctrl held is the first half of a shortcut, whose character follows; taken
  // as the plain letter it would start playback under Ctrl+L or Ctrl+P before the shortcut ran.
  const bool shortcutKeyDown = keyDown && ws::screen().keyState(ws::VK_CONTROL) && code >= 'A' && code <= 'Z';
  if (shortcutKeyDown) {
    flushKeys();
    return;
  }
  const int picture = show->currentPicture;
  if (code == 0x2E || code == 0x08) {
    handleMessage(ws::WM_COMMAND, kCmdDelete, 0);
  } else if (code == 'P' || code == 'p' || code == ' ' || code == 0x60) {
    transport(1);
  } else if (code == 'R' || code == 'r') {
    transport(-1);
  } else if (code == '0') {
    show->currentTime = 0;
    transport(1);
  } else if (code == 'j' || code == 'J') {
    transport(-1);
  } else if (code == 'k' || code == 'K') {
    transport(0);
  } else if (code == 'l' || code == 'L') {
    transport(1);
  } else if (code == '+') {
    stepTime(1);
  } else if (code == '-') {
    stepTime(-1);
  } else if (code == '$') {
    refreshAt(0);
  } else if (code == '#') {
    refreshAt(show->showLength - 1);
  } else if (code == 0x0D) {
    if (keyDown) show->setKeyNow();
  } else if (code == '!') {
    show->setCurrentPicture(std::max(picture - 1, 0));
    paint();
    refreshAt(show->currentTime);
  } else if (code == '"') {
    show->setCurrentPicture(std::min(picture + 1, show->pictureCount - 1));
    paint();
    refreshAt(show->currentTime);
  } else if (code == 'd') {
    fieldPreviewStep();
  } else if (code == 0x09) {
    if (!keyDown) nextKeyframe();
  }
  // Tab's key-down leaves the typed-ahead keys alone, so that its character still arrives.
  if (!(keyDown && code == 0x09)) flushKeys();
}

void EditorWindow::stepTime(int delta) {
  ShowState& show = *editorContext().show;
  refreshAt(show.currentTime + delta);
  if (StageView* stage = editorContext().stage) {
    const int picture = std::clamp(show.currentPicture, 0, kSlotCount - 1);
    stage->drawTimecodeAndSlider(show.currentTime, int(editorContext().views.workingStates()[picture].amount));
  }
}

void EditorWindow::nextKeyframe() {
  ShowState& show = *editorContext().show;
  const int last = std::min(show.pictureCount, kSlotCount);
  for (int p = std::max(show.currentPicture, 0); p < last; ++p) {
    const PictureSlot& slot = show.slots[p];
    const int keys = std::clamp(int(slot.keyCount), 0, kMaxKeys);
    for (int k = 0; k < keys; ++k)
      if (slot.keys[k].time > show.currentTime) {
        refreshAt(slot.keys[k].time);
        return;
      }
  }
  refreshAt(0);
}

void EditorWindow::fieldPreviewStep() {
  ShowState& show = *editorContext().show;
  ImageBuffer frame(640, 480, 32), first(640, 240, 32), second(640, 240, 32);
  FrameInput* input = editorContext().frameInput;
  const int t = show.currentTime;
  const RenderOptions options = renderOptionsOf(show);
  renderShow(show, options, t, 1, 1, first, input, editorContext().hostFrame);
  renderShow(show, options, t, 2, 0, second, input, editorContext().hostFrame);
  constexpr size_t kRowBytes = 640 * 4;
  for (int k = 0; k < 240; ++k) {
    std::memcpy(frame.row(2 * k), first.row(k), kRowBytes);
    std::memcpy(frame.row(2 * k + 1), second.row(k), kRowBytes);
  }
  if (t % 2 != 0) renderShow(show, options, t, 0, 0, frame, input, editorContext().hostFrame);
  // The time moves on without a redraw of the stage, which shows the preview; the pictures' states
  // and the timeline's cursor follow it all the same, or the next paint of the stage would show the
  // new time over the old states and the timeline would keep the old time.
  show.showAt(t + 1, false);
  if (TimelineView* timeline = editorContext().timeline) timeline->followAndRedraw();
  StageView* stage = editorContext().stage;
  if (!stage || !stage->handle()) return;
  DrawingScope scope(stage->handle());
  if (scope.context()) drawBitmap(*scope.context(), {0, 0, 640, 480}, frame.header(), frame.pixels(), {0, 0, frame.width(), frame.height()});
  stage->fieldPreviewShown = true;
}
