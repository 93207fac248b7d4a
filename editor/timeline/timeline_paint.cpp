// The timeline's picture: the ruler, then the rows with the time cursor, the labels, the key icons,
// the collision frames and the hold marks.
#include <algorithm>
#include <cstdlib>

#include "editor/editor_context.h"
#include "editor/shell/editor_window.h"
#include "editor/stage/timecode.h"
#include "editor/timeline/timeline_geometry.h"
#include "editor/timeline/timeline_view.h"
#include "platform/drawing.h"
#include "show/show_state.h"

namespace {
constexpr ws::ColourRef kLightGrey = ws::rgb(192, 192, 192);
constexpr ws::ColourRef kDarkGrey = ws::rgb(128, 128, 128);
constexpr ws::ColourRef kCyan = ws::rgb(0, 255, 255);
constexpr ws::ColourRef kYellow = ws::rgb(255, 255, 0);
constexpr ws::ColourRef kRed = ws::rgb(255, 0, 0);
constexpr ws::ColourRef kBlack = 0;
constexpr ws::ColourRef kWhite = ws::rgb(255, 255, 255);

// Key icon resources: on a cyan row, on a yellow row.
constexpr int kKeyIcon[2] = {120, 129};
constexpr int kSelectedKeyIcon[2] = {143, 128};
constexpr int kLockedKeyIcon[2] = {150, 148};
constexpr int kIconSize = 16;
}  // namespace

int TimelineView::displayedRows() const {
  const ShowState* s = showState();
  if (displayMode <= kCollapsed) return 1;
  return s ? std::clamp(s->pictureCount, 0, kSlotCount) : 0;
}

void TimelineView::paint() {
  if (!handle_) return;
  ShowState* s = showState();
  DrawingScope scope(handle_);
  const int scrollX = scrollPosition(ws::SB_HORZ), scrollY = scrollPosition(ws::SB_VERT);
  setOrigin(scrollX, scrollY);
  const ws::Rect client = clientRect();
  const int right = scrollX + client.width(), bottom = scrollY + client.height();
  selectFont(standardFont(10), 0xFFFFFFFFu, ws::TRANSPARENT);

  fillRect(kLightGrey, {scrollX, 0, right, 5});
  fillRect(kLightGrey, {scrollX, bottom - 5, right, bottom});
  fillRect(kLightGrey, {0, scrollY, 8, bottom});
  paintRuler(client, scrollX, scrollY);
  fillRect(kLightGrey, {right - 6, scrollY, right, bottom});

  if (s) {
    s->selectedKey = -1;
    if (displayMode <= kCollapsed) {
      paintRow(s->currentPicture, kFirstRowTop, true, true);
    } else {
      for (int i = 0; i < displayedRows(); ++i) paintRow(i, timelineRowTop(i), i == s->currentPicture, i == 0);
    }
  }
  selectFont(nullptr, 0xFFFFFFFFu, -1);
  // A repaint during a drag covers the markers; they are put back so that the next move erases them.
  redrawMarkers();
  if (owner_) owner_->refreshEditMenu();
}

void TimelineView::paintRuler(const ws::Rect& client, int scrollX, int scrollY) {
  const ShowState* s = showState();
  const int rate = s ? s->frameRate : 2997;
  const int bottom = scrollY + client.height(), right = scrollX + client.width();
  const bool collapsed = displayMode <= kCollapsed;
  const int scale = timeScale;
  auto fillPair = [&](int x) {
    fillRect(kLightGrey, {x, 0, x + 61, 15});
    fillRect(kDarkGrey, {x + 60, 4, x + 121, 15});
    if (collapsed) {
      fillRect(kLightGrey, {x, 30, x + 61, bottom});
      fillRect(kDarkGrey, {x + 60, 30, x + 121, bottom});
    }
  };
  long long label = scale;
  int x = kTimelineLeft;
  for (; x < contentWidth; x += 120, label += 2LL * scale) {
    // Pairs outside the visible part would be drawn over nothing.
    if (x + 121 < scrollX || x > right) continue;
    fillPair(x);
    const std::string text = timecodeText(int(label), true, rate);
    drawText(kWhite, text.c_str(), x + 60 + 30, collapsed ? bottom - 12 : 3, ws::TA_CENTER);
  }
  fillPair(x);
}

void TimelineView::paintRow(int picture, int rowTop, bool currentRow, bool firstRow) {
  ShowState* s = showState();
  if (!s || picture < 0 || picture >= kSlotCount) return;
  const PictureSlot& slot = s->slots[picture];
  const bool yellow = displayMode > kCollapsed && currentRow;
  const ws::ColourRef background = yellow ? kYellow : kCyan;
  const ws::Rect row{frameX(0), rowTop, contentWidth, rowTop + kRowHeight};
  fillRect(background, row);
  frameRect(kBlack, row, 1, ws::PS_SOLID);

  const ws::Rect client = clientRect();
  const int bottom = scrollPosition(ws::SB_VERT) + client.height();
  const int cursorX = std::max(frameX(s->currentTime), 3);
  // The first row's cursor runs from the top through the ruler; the later rows start theirs at their
  // own top, so that the cursor does not strike through the keys of the rows above. (A fill leaves
  // out its rectangle's last column and line, as the null pen's rectangles do.)
  const int cursorTop = firstRow ? scrollPosition(ws::SB_VERT) : rowTop + 1;
  fillRect(kRed, {cursorX, cursorTop, cursorX + 3, bottom - 4});

  // An empty show still shows the current picture's row, but no picture owns it.
  if (picture >= s->pictureCount) return;
  const bool locked = slot.lock != 0;
  const std::string label = pictureRowLabel(slot.file.path, slot.brushCode);
  drawText(locked ? kDarkGrey : kBlack, label.c_str(), row.left + 14, rowTop + 2, ws::TA_LEFT);

  const int count = std::clamp(slot.keyCount, 0, kMaxKeys);
  const int iconLimit = contentWidth - 14;
  auto iconLeft = [&](int j) { return std::min(frameX(slot.keys[j].time) - 6, iconLimit); };
  const int selectX = frameX(s->currentTime) + 2;
  const int colour = yellow ? 1 : 0;
  for (int j = 0; j < count; ++j) {
    const KeyFrame& key = slot.keys[j];
    const int left = iconLeft(j);
    const bool underCursor = selectX >= left && selectX <= left + kIconSize;
    int icon = locked ? kLockedKeyIcon[colour] : kKeyIcon[colour];
    if (currentRow && !locked && (underCursor || key.flags != 0)) {
      icon = kSelectedKeyIcon[colour];
      s->selectedKey = j;
    }
    blitBitmap({left, rowTop, left + kIconSize, rowTop + kIconSize}, icon, ws::SRCCOPY);

    for (int i = 0; i < j; ++i) {
      if (std::abs(iconLeft(i) - left) < 4) {
        frameRect(kRed, {left - 6, rowTop - 6, left + kIconSize + 6, rowTop + kIconSize + 6}, 1, ws::PS_SOLID);
        break;
      }
    }

    if (j >= 1 && holdsStill(slot.keys[j - 1], key)) {
      const int y = rowTop + 6;
      const int start = j == 1 ? frameX(slot.keys[0].time) + textWidth(label.c_str()) + 22 : frameX(slot.keys[j - 1].time) + 8;
      const int end = frameX(key.time) - 8;
      if (end > start) {
        lineTo(kBlack, start, y, end, y, 1, ws::PS_SOLID);
        static const char kHold[] = " HOLD ";
        if (textWidth(kHold) < end - start) {
          // The blanks of the text break the line on the row's own colour.
          ws::DrawingContext* dc = drawingContext();
          const ws::ColourRef oldColour = dc->setBkColor(background);
          const int oldMode = dc->setBkMode(ws::OPAQUE);
          drawText(kBlack, kHold, (start + end) / 2, rowTop + 1, ws::TA_CENTER);
          dc->setBkMode(oldMode);
          dc->setBkColor(oldColour);
        }
      }
    }
  }
}
