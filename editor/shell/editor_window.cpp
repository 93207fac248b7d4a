#include "editor/shell/editor_window.h"

#include <string>

#include "editor/editor_context.h"
#include "editor/shell/file_names.h"
#include "editor/stage/stage_view.h"
#include "editor/timeline/timeline_view.h"
#include "platform/settings_file.h"
#include "platform/screen/screen.h"
#include "show/show_state.h"

namespace {

// The open editor handles every message first; default processing follows, except for a close the
// editor refused, which would otherwise destroy the window and lose the show with it.
ws::LResult editorWindowProcedure(ws::WindowHandle h, uint32_t message, ws::WParam wParam, ws::LParam lParam) {
  EditorWindow* live = editorContext().editor;
  const int handled = live ? live->handleMessage(message, wParam, lParam) : 1;
  if (message == ws::WM_CLOSE && handled == 0) return 0;
  return defaultProcessing(h, message, wParam, lParam);
}

}  // namespace

EditorWindow::EditorWindow(ws::WindowHandle parentWindow) {
  create(parentWindow, kWindowResizable, editorWindowProcedure);
  move(0, 0, 640, 480, false);
  setShowTitle(nullptr);
  editorContext().menuBar.attachMenuBar(*this);
  buildMenus();
  okButton.initialise(122, 121, 0, 0, BitmapButton::kNormal);
  pictureUpButton.initialise(140, 139, 0, 0, BitmapButton::kNormal);
  pictureDownButton.initialise(141, 142, 0, 0, BitmapButton::kNormal);
  timelineRowsButton.initialise(145, 146, 146, 147, BitmapButton::kNormal);
  show(2);
  stage_ = std::make_unique<StageView>(this);
  timeline_ = std::make_unique<TimelineView>(this);
  editorContext().editor = this;
  editorContext().viewsChanged();
}

EditorWindow::~EditorWindow() {
  settings().writeSettings();
  stage_.reset();
  timeline_.reset();
  if (editorContext().editor == this) editorContext().editor = nullptr;
  editorContext().viewsChanged();
  destroy();
}

void EditorWindow::setShowTitle(const char* fileName) {
  std::string title = kProductTitle;
  if (fileName && *fileName) title += " - " + bareName(fileName);
  setTitle(title.c_str());
}

void EditorWindow::refreshPictureMenu(int picture) {
  ShowState* show = editorContext().show;
  if (!show || picture < 0 || picture >= kSlotCount) return;
  MenuBar& bar = editorContext().menuBar;
  for (int id = kCmdNormalImage; id <= kCmdNoColourBrush; ++id) bar.checkItem(id, false);
  bar.checkItem(kCmdNormalImage + show->slots[picture].brushCode / 1000, true);
  bar.checkItem(kCmdLock, show->slots[picture].lock != 0);
}

void EditorWindow::refreshEditMenu() {
  ShowState* show = editorContext().show;
  if (!show) return;
  MenuBar& bar = editorContext().menuBar;
  constexpr int kGrayed = 2, kEnabled = 0;
  for (int id : {kCmdCut, kCmdCopy, kCmdPaste, kCmdDelete}) bar.setItemState(id, kGrayed);
  const int k = show->selectedKey;
  if (k > 0) {
    for (int id : {kCmdDelete, kCmdCut, kCmdCopy}) bar.setItemState(id, kEnabled);
  } else if (k == 0) {
    bar.setItemState(kCmdCopy, kEnabled);
  }
  if (show->clipboard.time != kClipboardEmpty) bar.setItemState(kCmdPaste, kEnabled);
  bar.setItemState(kCmdUndo, show->undoCount != 0 ? kEnabled : kGrayed);
  bar.setItemState(kCmdRedo, show->redoCount != 0 ? kEnabled : kGrayed);
}
