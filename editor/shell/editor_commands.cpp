// The editor window's message handler and its menu commands (the file commands are in
// file_commands.cpp, the keyboard in editor_keyboard.cpp, the strip's clicks in status_strip.cpp).
#include <cstdio>

#include "dialogs/colour_picker.h"
#include "editor/editor_context.h"
#include "editor/shell/advanced_options.h"
#include "editor/shell/editor_window.h"
#include "editor/shell/view_steps.h"
#include "editor/stage/stage_view.h"
#include "editor/timeline/timeline_view.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/settings_file.h"
#include "platform/ui_hooks.h"
#include "show/show_state.h"
#include "show/stored_show.h"

namespace {
constexpr const char* kHelpFile = "c:\\Kestrelmove.hlp";
constexpr const char* kAboutText =
    "Marrowlane Kestrelmove\nVersion 0.1\n\nKeyframe animation of still pictures over video.";
}  // namespace

int EditorWindow::handleMessage(uint32_t message, ws::WParam wParam, ws::LParam lParam) {
  switch (message) {
    case ws::WM_CLOSE:
      return closeProtocol() ? 1 : 0;
    case ws::WM_PAINT:
      paintAsShown();
      break;
    case ws::WM_MOVE:
    case ws::WM_SIZE:
      if (StageView* stage = editorContext().stage) postMessage(stage->handle(), message, wParam, lParam);
      if (TimelineView* timeline = editorContext().timeline) postMessage(timeline->handle(), message, wParam, lParam);
      break;
    case ws::WM_MOUSEMOVE:
      setCursorKind(1);
      break;
    case ws::WM_LBUTTONDOWN:
      clickDown(ws::loWord(lParam), ws::hiWord(lParam));
      break;
    case ws::WM_LBUTTONUP:
      clickUp(ws::loWord(lParam), ws::hiWord(lParam));
      break;
    case ws::WM_KEYDOWN:
    case ws::WM_CHAR:
      keyboard(message, int(wParam));
      break;
    case ws::WM_COMMAND:
      command(int(wParam));
      break;
    default:
      break;
  }
  return 1;
}

bool EditorWindow::closeProtocol() {
  // The host keeps the show in a block of fixed size: a show that does not fit would be cut off or
  // not stored at all, so the editor stays open and says how to keep the work.
  if (ShowState* show = editorContext().show) {
    const size_t size = show->storedSize();
    if (size > kParameterBlockSize) {
      char text[400];
      std::snprintf(text, sizeof text,
                    "The show needs %zu bytes, more than the %zu bytes the host keeps for it, so it cannot be "
                    "applied. Use Save Show to keep it in a show file (a show file has no such limit), or "
                    "remove pictures or keys and apply again.",
                    size, kParameterBlockSize);
      showMessageBox(text, kNoCode);
      return false;
    }
  }
  postQuitMessage(kQuitApply);
  return true;
}

void EditorWindow::relayoutViews() { handleMessage(ws::WM_SIZE, 0, 0); }

void EditorWindow::refreshAt(int time) {
  if (ShowState* show = editorContext().show) show->showAt(time, true);
}

void EditorWindow::repaintViews() {
  if (TimelineView* timeline = editorContext().timeline) timeline->paint();
  if (StageView* stage = editorContext().stage) stage->paint();
}

void EditorWindow::command(int id) {
  ShowState* show = editorContext().show;
  if (!show) return;
  const int picture = show->currentPicture;
  switch (id) {
    case kCmdApplyAndClose: handleMessage(ws::WM_CLOSE, 0, 0); break;
    case kCmdQuitWithoutApplying: postQuitMessage(kQuitDiscard); break;
    case kCmdLoadPicture: loadPictureCommand(false); break;
    case kCmdChangePicture: loadPictureCommand(true); break;
    case kCmdDeletePicture: deletePictureCommand(); break;
    case kCmdSaveShow: saveShowCommand(); break;
    case kCmdLoadShow: loadShowCommand(); break;
    case kCmdNewShow: newShow(); break;
    case kCmdAdvancedOptions: advancedOptions(); break;
    case kCmdViewHelp: showHelp(handle_, kHelpFile); break;
    case kCmdAbout: showMessageBox(kAboutText, kNoCode); break;
    case kCmdShowMotionPath:
    case kCmdAutoAddKeys:
    case kCmdFastDisplay:
    case kCmdShowTvSafe: toggleOption(id); break;
    case kCmdLock:
      if (picture < 0 || picture >= kSlotCount) break;
      show->slots[picture].lock = !show->slots[picture].lock;
      show->modified = 1;
      refreshPictureMenu(picture);
      // The row's label and key icons and the stage's outline and handles all show the lock.
      repaintViews();
      break;
    case kCmdNormalImage:
    case kCmdBlurBrush:
    case kCmdPixelateBrush:
    case kCmdDarkenBrush:
    case kCmdLightenBrush:
    case kCmdTintBrush:
    case kCmdNoColourBrush: setBrush(id, picture); break;
    case kCmdCopy: copyKey(picture); break;
    case kCmdCut: deleteSelectedKey(picture, true); break;
    case kCmdDelete: deleteSelectedKey(picture, false); break;
    case kCmdPaste: pasteKey(picture); break;
    case kCmdUndo:
      show->undo();
      refreshAt(show->currentTime);
      break;
    case kCmdRedo:
      show->redo();
      refreshAt(show->currentTime);
      break;
    case kCmdAspect4x3: setAspect(false); break;
    case kCmdAspect16x9: setAspect(true); break;
    case kCmdZoomIn: zoomStep(true); break;
    case kCmdZoomOut: zoomStep(false); break;
    case kCmdEnlargeTimeline: scaleTimeline(true); break;
    case kCmdContractTimeline: scaleTimeline(false); break;
    default: break;
  }
}

void EditorWindow::toggleOption(int id) {
  ShowState& show = *editorContext().show;
  StageView* stage = editorContext().stage;
  MenuBar& bar = editorContext().menuBar;
  switch (id) {
    case kCmdShowMotionPath:
      if (!stage) return;
      stage->showMotionPath = !stage->showMotionPath;
      bar.checkItem(id, stage->showMotionPath);
      settings().setInteger("ShowCameraPath", stage->showMotionPath ? 1 : 0);
      stage->redrawStage(true);
      break;
    case kCmdShowTvSafe:
      if (!stage) return;
      stage->showTvSafe = !stage->showTvSafe;
      bar.checkItem(id, stage->showTvSafe);
      settings().setInteger("ShowTVSafe", stage->showTvSafe ? 1 : 0);
      stage->redrawStage(true);
      break;
    case kCmdAutoAddKeys:
      show.autoAddKeys = !show.autoAddKeys;
      bar.checkItem(id, show.autoAddKeys != 0);
      settings().setInteger("AutoAddKey", show.autoAddKeys ? 1 : 0);
      break;
    case kCmdFastDisplay:
      show.fastDisplay = !show.fastDisplay;
      bar.checkItem(id, show.fastDisplay != 0);
      break;
    default: break;
  }
}

void EditorWindow::setBrush(int id, int picture) {
  ShowState& show = *editorContext().show;
  if (picture < 0 || picture >= kSlotCount) return;
  StageView* stage = editorContext().stage;
  PictureSlot& slot = show.slots[picture];
  slot.brushCode = (id - kCmdNormalImage) * 1000;
  show.modified = 1;
  if (id == kCmdTintBrush) {
    uint32_t colour = slot.tintColour;
    if (pickColour(stage ? stage->handle() : 0, 50, 50, colour, nullptr, "Choose Tint Brush Color")) slot.tintColour = colour;
  }
  refreshPictureMenu(picture);
  paint();
  // The tint picker stood on the stage with its numbers reaching past its own edge, and closing it
  // only cleared its square: the whole stage is painted, not only the frame.
  if (stage) stage->paint();
  // The picture's row names its brush.
  if (TimelineView* timeline = editorContext().timeline) timeline->paint();
}

void EditorWindow::setAspect(bool wide) {
  ShowState& show = *editorContext().show;
  MenuBar& bar = editorContext().menuBar;
  bar.checkItem(kCmdAspect4x3, !wide);
  bar.checkItem(kCmdAspect16x9, wide);
  show.setStageAspect(wide ? 0.5625f : 0.75f);
  settings().setInteger("AspectMode", wide ? 5625 : 7500);
  // The frame's width follows the aspect: the stage is laid out and painted anew, not only redrawn.
  if (StageView* stage = editorContext().stage) stage->paint();
}

void EditorWindow::zoomStep(bool in) {
  StageView* stage = editorContext().stage;
  if (!stage) return;
  setZoom(in ? zoomedIn(stage->zoom) : zoomedOut(stage->zoom));
}

void EditorWindow::setZoom(float zoom) {
  StageView* stage = editorContext().stage;
  if (!stage) return;
  stage->zoom = zoom;
  settings().setInteger("Scale", zoomSetting(zoom));
  // The frame's size and place follow the zoom: the whole stage is laid out and painted anew (its
  // paint draws the strip too, whose zoom marker moves).
  stage->paint();
}

void EditorWindow::scaleTimeline(bool enlarge) {
  TimelineView* timeline = editorContext().timeline;
  if (!timeline) return;
  const int rate = editorContext().show->frameRate;
  timeline->timeScale = enlarge ? enlargedTimeScale(timeline->timeScale, rate) : contractedTimeScale(timeline->timeScale, rate);
  timeline->followAndRedraw();
}

void EditorWindow::copyKey(int picture) {
  ShowState& show = *editorContext().show;
  if (show.selectedKey >= 0) show.getKey(show.selectedKey, show.clipboard, picture);
}

void EditorWindow::deleteSelectedKey(int picture, bool cut) {
  ShowState& show = *editorContext().show;
  const int k = show.selectedKey;
  // The first key holds the track's start and is never removed.
  if (k < 1) return;
  if (cut) show.getKey(k, show.clipboard, picture);
  show.deleteKey(k, picture);
  refreshAt(show.currentTime);
  beep(0);
}

void EditorWindow::pasteKey(int picture) {
  ShowState& show = *editorContext().show;
  if (show.clipboard.time == kClipboardEmpty) return;
  const int t = show.currentTime;
  int k = show.selectedKey;
  if (k < 0) {
    show.setKeyNow();
    k = show.findKeyNear(t);
  } else {
    beep(0);
  }
  if (k >= 0) {
    KeyFrame key;
    show.getKey(k, key, picture);
    // Position, size, rotation and ease come from the clipboard; the key keeps its time and amount.
    const KeyFrame before = key;
    for (int field = kFieldX; field <= kFieldEaseCode; ++field) key.setWord(field, show.clipboard.word(field));
    // Pasting changes the key like any other edit: undo gives its earlier values back.
    show.pushUndo(before, k, picture, k);
    show.putKey(k, key, picture);
  }
  refreshAt(t);
}
