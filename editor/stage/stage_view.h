#pragma once
// The stage: the show at the current time as the renderer composes it, zoomed and centred, with the
// guides the user switches on and the current picture's outline and handles; below the frame the
// transport bar, the timecode box and the effect slider. Mouse and keys manipulate the current
// picture's working state; playback runs inside transport().
#include <cstdint>

#include "editor/shell/bitmap_button.h"
#include "editor/stage/stage_geometry.h"
#include "editor/stage/stage_image.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "show/key_frame.h"

class EditorWindow;

class StageView : public Window {
 public:
  enum DragMode : int { kDragNone = 0, kDragMove = 8, kDragRotate = 9, kDragSize = 10 };

  // Creates the stage as a pop-up owned by the editor window (owner may be null: a 640 x 480 stage
  // of its own) and becomes the current stage.
  explicit StageView(EditorWindow* owner);
  ~StageView() override;

  int handleMessage(uint32_t message, ws::WParam wParam, ws::LParam lParam) override;
  void paint() override;

  // Lays the window out against its owner and the timeline's display mode.
  void layout();
  // Composes the stage from the working states and draws it; with overlays also the guides and the
  // current picture's outline and handles.
  void redrawStage(bool withOverlays);
  // The timecode box with `time`, and the slider with `amount` unless it is negative.
  void drawTimecodeAndSlider(int time, int amount);
  void placeTransportBar(int x, int y, int amount);
  // 0 stops; +1 and -1 play until a stop condition and return only then.
  void transport(int direction);

  KeyFrame* workingStates() { return workingStates_; }
  // What the stage last composed the show into.
  const ImageBuffer& stageImage() const { return stageImage_.image(); }
  EditorWindow* stageOwner() const { return owner_; }

  // The current picture's working state (slot 0's while the show has no pictures).
  KeyFrame& currentState();
  // The current picture's outline as drawn, in client coordinates.
  PictureGeometry currentGeometry() const;
  // What a position relative to the frame's top-left corner (client x - frame left, client y - frame
  // top) hits on the current picture: 8 move, 9 rotate, 10 size, 0 nothing.
  int hitTest(int px, int py) const;

  float zoom = 1.0f;
  bool showMotionPath = false;
  bool showTvSafe = false;
  // In stage coordinates (client coordinates plus the scroll positions).
  ws::Rect frameRect;
  ws::Rect timecodeRect;
  int dragMode = kDragNone;
  int sliderDrag = 0;
  int grabOffsetX = 0, grabOffsetY = 0;
  int dragStartX = 0, dragStartY = 0;
  BitmapButton playBackwardButton, stopButton, playForwardButton, setKeyButton;
  int playDirection = 0;
  int64_t playStartCounter = 0;
  int64_t ticksPerFrame = 1;
  int playStartTime = 0;
  int playEndTime = 0;
  // A field preview (the editor's "d") stands on the stage: a transient drawing of two rendered
  // fields at the client's corner, which the next paint or redraw of the stage replaces whole.
  bool fieldPreviewShown = false;

 private:
  // Mouse and keys (stage_mouse.cpp).
  void leftButtonDown(int x, int y, bool shift);
  void leftButtonUp(int x, int y);
  void mouseMoved(int x, int y, bool shift);
  void dragStep(int px, int py, bool shift);
  void leftDoubleClick(int x, int y);
  void rightButtonUp(int x, int y);
  void key(uint32_t message, ws::WParam wParam, ws::LParam lParam);
  void shiftClickSelect(int px, int py);
  // The first key of the current picture within 8 pixels of a client position on both axes, or -1.
  int keyNear(int clientX, int clientY) const;
  // setKeyNow for the current picture; nothing while the show has no picture to hold the key.
  void setKey();
  // The current picture's outline and handles: the normal style in yellow and black, or inverted.
  // Returns the client rectangle drawn in.
  ws::Rect drawOutline(bool inverting);
  // Playback (stage_playback.cpp).
  void playbackTick();
  void playbackLoop();
  // What one message taken off the queue does to playback.
  void playbackMessage(const WindowMessage& m);
  void setTransportStates();

  // Drawing (stage_view.cpp).
  // The surround, the stage and the transport bar; the overlays only if asked for.
  void paintWhole(bool withOverlays);
  // The frame's part of redrawStage.
  void drawStage(bool withOverlays);
  // Returns the stage rectangle drawn in.
  ws::Rect drawMotionPath();
  bool currentLocked() const;
  int hScroll() const;
  int vScroll() const;

  EditorWindow* owner_ = nullptr;
  KeyFrame workingStates_[32] = {};
  StageImage stageImage_;
  bool layingOut_ = false;
  // The overlays last drawn reach out of the frame, where only a whole paint takes them away.
  bool overlaysBeyondFrame_ = false;
};
