#pragma once
// The editor's top-level window: menu bar, the four tool buttons and the status strip along its
// lower left edge. It creates the stage and the timeline views and is where every menu command and
// every keyboard shortcut of the editor is carried out, whichever view has the focus.
#include <cstdint>

#include "editor/shell/bitmap_button.h"
#include "platform/window.h"
#include "show/key_frame.h"

// Command ids of the menus.
enum EditorCommand : int {
  kCmdShowMotionPath = 1000,
  kCmdAutoAddKeys = 1001,
  kCmdFastDisplay = 1002,
  kCmdLock = 1010,
  kCmdNormalImage = 1011,
  kCmdBlurBrush = 1012,
  kCmdPixelateBrush = 1013,
  kCmdDarkenBrush = 1014,
  kCmdLightenBrush = 1015,
  kCmdTintBrush = 1016,
  kCmdNoColourBrush = 1017,
  kCmdLoadPicture = 1020,
  kCmdAspect4x3 = 1030,
  kCmdAspect16x9 = 1031,
  kCmdAdvancedOptions = 1032,
  kCmdChangePicture = 1040,
  kCmdDeletePicture = 1041,
  kCmdViewHelp = 1050,
  kCmdAbout = 1054,
  kCmdShowTvSafe = 1060,
  kCmdZoomIn = 1061,
  kCmdZoomOut = 1062,
  kCmdEnlargeTimeline = 1063,
  kCmdContractTimeline = 1064,
  kCmdApplyAndClose = 2001,
  kCmdQuitWithoutApplying = 2002,
  kCmdSaveShow = 2003,
  kCmdLoadShow = 2004,
  kCmdNewShow = 2005,
  kCmdCopy = 9000,
  kCmdCut = 9001,
  kCmdPaste = 9002,
  kCmdDelete = 9003,
  kCmdUndo = 9004,
  kCmdRedo = 9005,
};

// Quit codes of the edit run's modal loop.
constexpr int kQuitApply = 0;
constexpr int kQuitDiscard = 1;

class EditorWindow : public Window {
 public:
  // Creates and shows the window (maximised), its menus and buttons, then the stage and the timeline
  // views, and becomes the open editor window.
  explicit EditorWindow(ws::WindowHandle parentWindow);
  ~EditorWindow() override;

  int handleMessage(uint32_t message, ws::WParam wParam, ws::LParam lParam) override;
  // The textured background and the status strip.
  void paint() override;

  void setShowTitle(const char* fileName);
  void refreshPictureMenu(int picture);
  void refreshEditMenu();

  // The status strip: read-outs of a picture state, zoom choice, frame rate, picture number, buttons.
  void drawStatus(const KeyFrame& state);
  void clickDown(int x, int y);
  void clickUp(int x, int y);

  BitmapButton okButton;
  BitmapButton pictureUpButton;
  BitmapButton pictureDownButton;
  BitmapButton timelineRowsButton;
};
