#pragma once
// The editor's top-level window: menu bar, the four tool buttons and the status strip along its
// lower left edge. It creates the stage and the timeline views and is where every menu command and
// every keyboard shortcut of the editor is carried out, whichever view has the focus.
#include <cstdint>
#include <memory>

#include "editor/shell/bitmap_button.h"
#include "platform/window.h"
#include "show/key_frame.h"

class StageView;
class TimelineView;

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

  // 0 only for a close it refused (the show does not fit the host's block): the window procedure then
  // keeps the window instead of passing the close on to the default processing.
  int handleMessage(uint32_t message, ws::WParam wParam, ws::LParam lParam) override;
  // The textured background and the status strip.
  void paint() override;
  // What a paint message draws: paint() without bringing the working states up to date from the
  // keys, so that the window uncovered (a dialog closed over it) keeps an un-keyed nudge on the stage.
  void paintAsShown();

  void setShowTitle(const char* fileName);
  void refreshPictureMenu(int picture);
  void refreshEditMenu();

  // The status strip: read-outs of a picture state, zoom choice, frame rate, picture number, buttons.
  void drawStatus(const KeyFrame& state);
  // Every way of zooming (menu, keys, the strip's choice) ends here.
  void setZoom(float zoom);
  void clickDown(int x, int y);
  void clickUp(int x, int y);

  BitmapButton okButton;
  BitmapButton pictureUpButton;
  BitmapButton pictureDownButton;
  BitmapButton timelineRowsButton;

  // The title prefix every show title starts with.
  static constexpr const char* kProductTitle = "Marrowlane Kestrelmove";

 private:
  // The timeline's rectangle when the strip last laid its tiles along it.
  ws::Rect stripTimelineRect_;
  void buildMenus();
  // Posts the apply code, or refuses (false) when the show cannot be handed back whole.
  bool closeProtocol();
  void command(int id);
  void keyboard(uint32_t message, int code);
  void relayoutViews();
  void refreshAt(int time);
  void nextKeyframe();
  void fieldPreviewStep();
  void stepTime(int delta);
  void toggleOption(int id);
  void setBrush(int id, int picture);
  void setAspect(bool wide);
  void zoomStep(bool in);
  void scaleTimeline(bool enlarge);
  void copyKey(int picture);
  void deleteSelectedKey(int picture, bool cut);
  void pasteKey(int picture);
  void repaintViews();

  // File commands.
  void newShow();
  void loadShowCommand();
  void saveShowCommand();
  void quickSave();
  void loadPictureCommand(bool change);
  void deletePictureCommand();
  // False when the user cancelled the question (the command then ends).
  bool askToSave();
  // The show into a file, under a temporary name renamed into place; a failure is reported by name
  // and leaves the modified flag as it was.
  bool writeShowFile(const char* path);

  std::unique_ptr<StageView> stage_;
  std::unique_ptr<TimelineView> timeline_;
};
