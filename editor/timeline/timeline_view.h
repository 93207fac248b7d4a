#pragma once
// The timeline: a time ruler and, for the current picture or for all pictures, a row with the
// picture's name and an icon per key. The mouse scrubs the time, drags keys (Shift: with every later
// key), deletes a key dragged to the start, reorders pictures by their first key, and opens the
// keyframe options on a key with the right button.
#include <cstdint>

#include "platform/window.h"
#include "show/key_frame.h"

class EditorWindow;
class ShowState;

// The private message that abandons any drag in the timeline (sent by the stage on every release).
constexpr uint32_t kCancelDragMessage = 1234532;

class TimelineView : public Window {
 public:
  enum DisplayMode : int { kCollapsed = 1, kExpanded = 4 };

  explicit TimelineView(EditorWindow* owner);
  ~TimelineView() override;

  int handleMessage(uint32_t message, ws::WParam wParam, ws::LParam lParam) override;
  void paint() override;

  void setLength(int frames);
  void layout();
  // Scrolls the current time into view when it is outside, then repaints.
  void followAndRedraw();
  // The key of the current picture under a client position, or -1.
  int hitKey(int clientX, int clientY) const;
  // The frame at a client x (the scroll position added; negative results give 0).
  int frameAtClientX(int clientX) const;
  // x of a frame in content coordinates.
  int frameX(int frame) const;

  int timeScale = 30;
  int hitKeyIndex = -1;
  int pressPosition = 0;
  int contentWidth = 0;
  uint8_t scrubbing = 0;
  int displayMode = kCollapsed;

 private:
  // Mouse messages take client positions; the handlers add the scroll positions themselves.
  void leftDown(int clientX, int clientY);
  void mouseMoved(int clientX, int clientY);
  void leftUp(int clientX, int clientY, bool shift);
  void rightUp(int clientX, int clientY);
  void setCursorFor(int clientX, int clientY);
  void dropKey(int key, int picture, int frame);

  // Paint steps, in content coordinates.
  void paintRuler(const ws::Rect& client, int scrollX, int scrollY);
  void paintRow(int picture, int rowTop, bool currentRow, bool firstRow);

  // The drag markers are drawn by inversion: drawing one again where it was erases it.
  void toggleDragMarker(int contentX);
  void toggleRowMarker(int row);
  void redrawMarkers();

  int displayedRows() const;
  int contentX(int clientX) const;
  int contentY(int clientY) const;
  ShowState* showState() const;

  EditorWindow* owner_ = nullptr;
  // Where the markers were last drawn (content coordinates), or -1 when they are not shown.
  int dragMarkerX_ = -1;
  int rowMarkerRow_ = -1;
  bool layingOut_ = false;
  // Key 0 was pressed in the expanded view with more than one picture: the release reorders rows.
  bool rowDrag_ = false;
};
