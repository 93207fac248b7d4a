// The editor's menu table, with the initial check marks taken from the settings.
#include "editor/editor_context.h"
#include "editor/shell/editor_window.h"
#include "platform/settings_file.h"
#include "show/show_state.h"

namespace {
constexpr int kPlain = 0, kChecked = 1, kGrayed = 2;
int checkedWhen(bool on) { return on ? kChecked : kPlain; }
}  // namespace

void EditorWindow::buildMenus() {
  MenuBar& bar = editorContext().menuBar;
  const SettingsFile& s = settings();
  const ShowState* show = editorContext().show;
  const long aspect = s.getInteger("AspectMode", 7500);

  bar.addMenu("File", 0);
  bar.addItem(kCmdLoadPicture, "Load Picture/L", kPlain);
  bar.addItem(-1, "", kPlain);
  bar.addItem(kCmdNewShow, "New Show/N", kPlain);
  bar.addItem(kCmdLoadShow, "Load Show/O", kPlain);
  bar.addItem(kCmdSaveShow, "Save Show/S", kPlain);
  bar.addItem(-1, "", kPlain);
  bar.addItem(kCmdApplyAndClose, "Apply Moves and Close/Q", kPlain);
  bar.addItem(kCmdQuitWithoutApplying, "Quit - DON'T Apply changes", kPlain);

  bar.addMenu("Edit", 0);
  bar.addItem(kCmdUndo, "Undo/Z", kGrayed);
  bar.addItem(kCmdRedo, "Redo/Y", kGrayed);
  bar.addItem(-1, "", kPlain);
  bar.addItem(kCmdCut, "Cut/X", kGrayed);
  bar.addItem(kCmdCopy, "Copy/C", kGrayed);
  bar.addItem(kCmdPaste, "Paste/V", kGrayed);
  bar.addItem(kCmdDelete, "Delete", kGrayed);
  bar.addItem(-1, "", kPlain);
  bar.addItem(kCmdChangePicture, "Change Picture", kPlain);
  bar.addItem(kCmdDeletePicture, "Delete Picture", kPlain);

  bar.addMenu("Options", 0);
  bar.addItem(kCmdAutoAddKeys, "Auto-Add Keys", checkedWhen(s.getInteger("AutoAddKey", 1) == 1));
  bar.addItem(kCmdShowMotionPath, "Show Motion Path", checkedWhen(s.getInteger("ShowCameraPath", 0) == 1));
  bar.addItem(kCmdFastDisplay, "Fast Display", checkedWhen(show && show->fastDisplay));

  bar.addMenu("Picture", 0);
  bar.addItem(kCmdNormalImage, "Normal Image", kChecked);
  bar.addItem(kCmdBlurBrush, "Blur Brush", kPlain);
  bar.addItem(kCmdPixelateBrush, "Pixelate Brush", kPlain);
  bar.addItem(kCmdDarkenBrush, "Darken Brush", kPlain);
  bar.addItem(kCmdLightenBrush, "Lighten Brush", kPlain);
  bar.addItem(kCmdTintBrush, "Tint Brush", kPlain);
  bar.addItem(kCmdNoColourBrush, "No Color Brush", kPlain);
  bar.addItem(-1, "", kPlain);
  bar.addItem(kCmdLock, "Lock", kPlain);

  bar.addMenu("Render", 0);
  bar.addItem(kCmdAspect4x3, "4:3 Aspect Ratio", checkedWhen(aspect == 7500));
  bar.addItem(kCmdAspect16x9, "16:9 Aspect Ratio", checkedWhen(aspect == 5625));
  bar.addItem(-1, "", kPlain);
  bar.addItem(kCmdAdvancedOptions, "Advanced Options", kPlain);

  bar.addMenu("View", 0);
  bar.addItem(kCmdShowTvSafe, "Show TV Safe Area", checkedWhen(s.getInteger("ShowTVSafe", 0) == 1));
  bar.addItem(-1, "", kPlain);
  bar.addItem(kCmdZoomIn, "Stage Zoom In", kPlain);
  bar.addItem(kCmdZoomOut, "Stage Zoom Out", kPlain);
  bar.addItem(-1, "", kPlain);
  bar.addItem(kCmdEnlargeTimeline, "Enlarge Timeline/>", kPlain);
  bar.addItem(kCmdContractTimeline, "Contract Timeline/<", kPlain);

  bar.addMenu("Help", 0);
  bar.addItem(kCmdViewHelp, "View Help", kPlain);
  bar.addItem(kCmdAbout, "About", kPlain);
}
