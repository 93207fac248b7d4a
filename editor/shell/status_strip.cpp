// The editor window's own surface: the textured background and the status strip along its lower left
// edge (zoom choice, read-outs of the current picture, OK button, frame rate, picture number and the
// timeline's buttons), and the strip's clicks.
#include <algorithm>
#include <cstdio>
#include <string>

#include "editor/clipped_drawing.h"
#include "editor/editor_context.h"
#include "editor/shell/editor_window.h"
#include "editor/shell/file_names.h"
#include "editor/shell/view_steps.h"
#include "editor/stage/stage_view.h"
#include "editor/timeline/timeline_view.h"
#include "platform/drawing.h"
#include "platform/screen/screen.h"
#include "platform/settings_file.h"
#include "show/show_state.h"

namespace {
constexpr int kTextureId = 113;
constexpr int kTextureSize = 128;
constexpr ws::ColourRef kBlack = ws::rgb(0, 0, 0);
constexpr ws::ColourRef kPictureNumberGrey = ws::rgb(64, 64, 64);

struct ZoomRow {
  const char* text;
  float zoom;
};
constexpr ZoomRow kZoomRows[] = {{"200%", 2.0f}, {"100%", 1.0f}, {"75%", 0.75f}, {"50%", 0.5f}};

void tile(int x, int y) { blitBitmap({x, y, x + kTextureSize, y + kTextureSize}, kTextureId, ws::SRCCOPY); }

// Puts back what paint() leaves under part of the strip (the client's tiles, then the two tiles the
// strip lays itself), so that text drawn there again does not land on its own earlier drawing: drawn
// twice, anti-aliased text is darker at its edges than drawn once.
void restoreBackground(ws::WindowHandle window, const ws::Rect& r, const ws::Rect& timeline, bool withTimeline,
                       const ws::Rect& client) {
  ClippedDrawing clip(window, r);
  if (!clip.active()) return;
  for (int y = r.top / kTextureSize * kTextureSize; y < r.bottom; y += kTextureSize)
    for (int x = r.left / kTextureSize * kTextureSize; x < r.right; x += kTextureSize) tile(x, y);
  if (withTimeline) tile(timeline.left - kTextureSize, timeline.top - 32);
  tile(client.left, client.bottom - kTextureSize);
}

const KeyFrame& currentWorkingState(const ShowState& show) {
  return editorContext().views.workingStates()[std::clamp(int(show.currentPicture), 0, kSlotCount - 1)];
}
}  // namespace

void EditorWindow::paint() {
  if (ShowState* show = editorContext().show; show && editorContext().stage) show->showAt(show->currentTime, false);
  paintAsShown();
}

void EditorWindow::paintAsShown() {
  if (!handle_) return;
  const ws::Rect c = clientRect();
  {
    DrawingScope scope(handle_);
    for (int y = 0; y <= c.bottom; y += kTextureSize)
      for (int x = 0; x <= c.right; x += kTextureSize) tile(x, y);
  }
  ShowState* show = editorContext().show;
  if (!show) return;
  if (StageView* stage = editorContext().stage) {
    stage->drawTimecodeAndSlider(show->currentTime, int(currentWorkingState(*show).amount));
  }
  drawStatus(currentWorkingState(*show));
}

void EditorWindow::drawStatus(const KeyFrame& state) {
  ShowState* show = editorContext().show;
  if (!handle_ || !show) return;
  const ws::Rect c = clientRect();
  const int b = c.bottom, l = c.left;
  TimelineView* timeline = editorContext().timeline;
  const ws::Rect t = timeline ? timeline->windowRect() : ws::Rect{};
  StageView* stage = editorContext().stage;

  // The strip lays a tile along the timeline: once the timeline has moved (its rows shown or hidden),
  // the tile laid at its old place is no background of the window any more, so all of it is painted
  // again.
  if (timeline && !stripTimelineRect_.empty() && !(t == stripTimelineRect_)) ws::screen().invalidateRect(handle_, nullptr);
  stripTimelineRect_ = t;

  DrawingScope scope(handle_);
  selectFont(standardFont(10), 0xFFFFFFFFu, ws::TRANSPARENT);
  if (timeline) tile(t.left - kTextureSize, t.top - 32);
  tile(l, b - kTextureSize);

  const float zoom = stage ? stage->zoom : 1.0f;
  ws::Rect marker{l + 10, b - 82, l + 19, b - 73};
  for (const ZoomRow& row : kZoomRows) {
    checkCircle(kBlack, marker, zoom == row.zoom);
    drawText(kBlack, row.text, marker.left + 13, marker.top - 1, ws::TA_LEFT | ws::TA_TOP);
    marker.top += 10;
    marker.bottom += 10;
  }

  char text[320];
  std::snprintf(text, sizeof text, "Pos   %d,%d", int(state.x), int(state.y));
  drawText(kBlack, text, l + 10, b - 39, ws::TA_LEFT | ws::TA_TOP);
  std::snprintf(text, sizeof text, "Siz   %d,%d", int(state.width), int(state.height));
  drawText(kBlack, text, l + 10, b - 29, ws::TA_LEFT | ws::TA_TOP);
  std::snprintf(text, sizeof text, "Rot   %d", int(state.rotation));
  drawText(kBlack, text, l + 10, b - 19, ws::TA_LEFT | ws::TA_TOP);

  okButton.place({l + 57, b - 70, l + 75, b - 52});

  std::string rate(16, '\0');
  rate.resize(size_t(std::snprintf(rate.data(), rate.size(), "%.2f fps", show->frameRate * 0.01)));
  if (!show->soundTrackFile.empty()) rate += " / " + bareName(show->soundTrackFile.pathText());
  // The rate's text lies beside the strip's tiles; the bottom band it is drawn in holds nothing else.
  restoreBackground(handle_, {l + kTextureSize, b - 13, c.right, b}, t, timeline != nullptr, c);
  drawText(kBlack, rate.c_str(), c.right / 2, b - 13, ws::TA_CENTER | ws::TA_TOP);

  if (timeline) {
    pictureUpButton.place({t.left - 21, b - 75, t.left - 9, b - 63});
    std::snprintf(text, sizeof text, "%d", show->currentPicture + 1);
    restoreBackground(handle_, {t.left - 35, b - 62, t.left + 5, b - 49}, t, true, c);
    drawText(kPictureNumberGrey, text, t.left - 15, b - 62, ws::TA_CENTER | ws::TA_TOP);
    pictureDownButton.place({t.left - 21, b - 48, t.left - 9, b - 36});
    timelineRowsButton.place({t.left - 20, b - 28, t.left - 8, b - 16});
  }
  selectFont(FontHandle(), 0xFFFFFFFFu, ws::OPAQUE);
}

void EditorWindow::clickDown(int x, int y) {
  if (!handle_) return;
  DrawingScope scope(handle_);
  okButton.pressTest(x, y, BitmapButton::kPressed);
  pictureDownButton.pressTest(x, y, BitmapButton::kPressed);
  pictureUpButton.pressTest(x, y, BitmapButton::kPressed);
  timelineRowsButton.pressTest(x, y, BitmapButton::kPressed);
}

void EditorWindow::clickUp(int x, int y) {
  ShowState* show = editorContext().show;
  if (!handle_ || !show) return;
  const ws::Rect c = clientRect();
  const int b = c.bottom;
  // Each press test draws the released image, so the drawing context is this window's; the commands
  // after a hit draw through their own.
  auto released = [&](BitmapButton& button) {
    DrawingScope scope(handle_);
    return button.pressTest(x, y, BitmapButton::kNormal);
  };

  if (released(okButton)) handleMessage(ws::WM_CLOSE, 0, 0);
  if (released(pictureUpButton)) {
    show->setCurrentPicture(std::max(show->currentPicture - 1, 0));
    paint();
    show->showAt(show->currentTime, true);
  }
  if (released(timelineRowsButton)) {
    TimelineView* timeline = editorContext().timeline;
    StageView* stage = editorContext().stage;
    const int m = timeline ? timeline->displayMode : 0;
    auto layOut = [&] {
      timeline->handleMessage(ws::WM_SIZE, 0, 0);
      if (stage) stage->handleMessage(ws::WM_SIZE, 0, 0);
    };
    if (m > TimelineView::kCollapsed) {
      {
        DrawingScope scope(handle_);
        timelineRowsButton.setState(BitmapButton::kNormal);
      }
      timeline->displayMode = TimelineView::kCollapsed;
      timeline->followAndRedraw();
      layOut();
    } else if (m == TimelineView::kCollapsed) {
      {
        DrawingScope scope(handle_);
        timelineRowsButton.setState(BitmapButton::kActive);
      }
      timeline->displayMode = TimelineView::kExpanded;
      layOut();
      timeline->followAndRedraw();
    }
  }
  if (released(pictureDownButton)) {
    show->setCurrentPicture(std::max(0, std::min(show->currentPicture + 1, show->pictureCount - 1)));
    paint();
    show->showAt(show->currentTime, true);
  }

  if (x < 40 && b - 82 < y && y < b - 42) {
    StageView* stage = editorContext().stage;
    float zoom = stage ? stage->zoom : 1.0f;
    if (b - 82 < y && y < b - 72) zoom = 2.0f;
    else if (b - 72 < y && y < b - 62) zoom = 1.0f;
    else if (b - 62 < y && y < b - 52) zoom = 0.75f;
    else if (b - 52 < y && y < b - 42) zoom = 0.5f;
    setZoom(zoom);
  }
}
