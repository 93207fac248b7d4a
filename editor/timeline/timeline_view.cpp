#include "editor/timeline/timeline_view.h"

#include <algorithm>

#include "editor/editor_context.h"
#include "editor/shell/editor_window.h"
#include "editor/timeline/timeline_geometry.h"
#include "platform/drawing.h"
#include "platform/messages.h"
#include "platform/screen/screen.h"
#include "platform/settings_file.h"
#include "show/show_state.h"

namespace {
ws::LResult timelineProcedure(ws::WindowHandle h, uint32_t message, ws::WParam wParam, ws::LParam lParam) {
  return forwardMessage(editorContext().timeline, h, message, wParam, lParam);
}

// Pop-up with a border and both scroll bars, owned by the editor window.
constexpr uint32_t kTimelineStyle = kWindowPopup | kWindowBorder | kWindowHScroll | kWindowVScroll;
constexpr int kScrollLineStep = 60;
constexpr int kShiftKey = 16;

int currentFrameRate(const ShowState* show) { return show ? show->frameRate : 2997; }
}  // namespace

TimelineView::TimelineView(EditorWindow* owner) : owner_(owner) {
  setOwner(owner);
  const int fps = (currentFrameRate(showState()) + 50) / 100;
  timeScale = int(settings().getInteger("TimeScale", fps));
  hitKeyIndex = -1;
  displayMode = kCollapsed;
  scrubbing = 0;
  if (create(owner ? owner->handle() : 0, kTimelineStyle, timelineProcedure)) {
    showScrollBars(true, true);
    setLength(showState() ? showState()->showLength : 1800);
    show(1);
  }
  editorContext().timeline = this;
  editorContext().viewsChanged();
}

TimelineView::~TimelineView() {
  if (editorContext().timeline == this) {
    editorContext().timeline = nullptr;
    editorContext().viewsChanged();
  }
  destroy();
}

ShowState* TimelineView::showState() const { return editorContext().show; }

int TimelineView::handleMessage(uint32_t message, ws::WParam wParam, ws::LParam lParam) {
  switch (message) {
    case ws::WM_PAINT: paint(); break;
    case ws::WM_MOVE:
    case ws::WM_SIZE: layout(); break;
    // The second press of a quick pair comes as a double click; it is a press all the same.
    case ws::WM_LBUTTONDOWN:
    case ws::WM_LBUTTONDBLCLK: leftDown(ws::signedLo(lParam), ws::signedHi(lParam)); break;
    case ws::WM_MOUSEMOVE: mouseMoved(ws::signedLo(lParam), ws::signedHi(lParam)); break;
    case ws::WM_LBUTTONUP: leftUp(ws::signedLo(lParam), ws::signedHi(lParam), (wParam & ws::MK_SHIFT) != 0); break;
    case ws::WM_RBUTTONUP: rightUp(ws::signedLo(lParam), ws::signedHi(lParam)); break;
    case ws::WM_CLOSE: postQuitMessage(0); break;
    case ws::WM_KEYDOWN:
    case ws::WM_CHAR:
      if (wParam != kShiftKey && owner_) owner_->handleMessage(message, wParam, lParam);
      break;
    case ws::WM_HSCROLL:
    case ws::WM_VSCROLL:
      handleScroll(message, wParam, kScrollLineStep);
      if (handle_) ws::screen().invalidateRect(handle_, nullptr);
      break;
    case kCancelDragMessage:
      // The markers would otherwise stay on the screen with nothing left to erase them.
      if (dragMarkerX_ >= 0) toggleDragMarker(dragMarkerX_);
      if (rowMarkerRow_ >= 0) toggleRowMarker(rowMarkerRow_);
      hitKeyIndex = -1;
      scrubbing = 0;
      rowDrag_ = false;
      break;
    default: break;
  }
  return 1;
}

void TimelineView::setLength(int frames) {
  const int fps = (currentFrameRate(showState()) + 50) / 100;
  timeScale = timeScaleForLength(frames, fps);
  contentWidth = contentWidthFor(frames, timeScale);
  layout();
}

void TimelineView::layout() {
  if (!handle_ || layingOut_) return;
  layingOut_ = true;
  ws::Rect r{0, 0, 640, 480};
  // The owner may not have a window of its own yet (or at all, in a bare test set-up).
  if (owner_ && owner_->handle()) r = owner_->windowRect();
  const int m = scrollBarHeight();
  const int pictures = showState() ? showState()->pictureCount : 0;
  const int n = std::clamp(pictures, 1, 8);
  const bool collapsed = displayMode <= kCollapsed;
  r.top = collapsed ? r.bottom - m - 84 : r.bottom - m - 54 - kRowStep * n;
  r = r.inset(m, m);
  const int clientWidth = r.width();
  const int width = std::max(std::min(clientWidth - clientWidth / 8, contentWidth - 1), 0);
  r.left = r.right - width;
  move(r, true);
  const ws::Rect client = clientRect();
  const int vertical = collapsed ? r.height() : r.height() - kRowStep * pictures + 123;
  setScrollRanges(contentWidth, vertical, client.width(), client.height(), true);
  // Ranges that leave nothing to scroll would hide a bar and change the client area under the rows.
  showScrollBars(true, true);
  layingOut_ = false;
}

void TimelineView::followAndRedraw() {
  if (!handle_) return;
  const ws::Rect client = clientRect();
  const int scroll = scrollPosition(ws::SB_HORZ);
  const int x = frameX(showState() ? showState()->currentTime : 0);
  if (x < scroll + client.left || x > scroll + client.right) setScrollPosition(ws::SB_HORZ, std::max(x - client.width() / 2, 0), true);
  // Painted at once: the selected key it works out is what the Edit commands act on next.
  ws::screen().invalidateRect(handle_, nullptr);
  ws::screen().updateWindow(handle_);
}

int TimelineView::hitKey(int clientX, int clientY) const {
  if (clientY <= kRulerBottom) return -1;
  if (displayMode <= kCollapsed ? clientY > 30 : clientY > 999) return -1;
  const ShowState* s = showState();
  if (!s || s->pictureCount <= 0) return -1;
  const int p = s->currentPicture;
  if (p < 0 || p >= kSlotCount || s->slots[p].lock) return -1;
  const int f = frameAtClientX(clientX);
  const int count = std::clamp(s->slots[p].keyCount, 0, kMaxKeys);
  for (int j = 0; j < count; ++j) {
    const long long distance = (long long)s->slots[p].keys[j].time - f;
    if (distance > -7 && distance < 7) return j;
  }
  return -1;
}

int TimelineView::contentX(int clientX) const { return clientX + scrollPosition(ws::SB_HORZ); }
int TimelineView::contentY(int clientY) const { return clientY + scrollPosition(ws::SB_VERT); }
int TimelineView::frameAtClientX(int clientX) const { return timelineFrameAt(contentX(clientX), timeScale); }
int TimelineView::frameX(int frame) const { return timelineFrameX(frame, timeScale); }
