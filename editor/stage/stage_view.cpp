#include "editor/stage/stage_view.h"

#include <algorithm>
#include <optional>
#include <string>

#include "editor/clipped_drawing.h"
#include "editor/editor_context.h"
#include "editor/shell/editor_window.h"
#include "editor/stage/timecode.h"
#include "editor/timeline/timeline_view.h"
#include "platform/drawing.h"
#include "platform/screen/screen.h"
#include "platform/settings_file.h"
#include "render/render_show.h"
#include "render/show_render_options.h"
#include "show/interpolation.h"
#include "show/show_state.h"

namespace {

constexpr ws::ColourRef kWhite = ws::rgb(255, 255, 255);
constexpr ws::ColourRef kBlack = 0;
constexpr ws::ColourRef kLightGrey = ws::rgb(192, 192, 192);
constexpr ws::ColourRef kDarkGrey = ws::rgb(64, 64, 64);
constexpr ws::ColourRef kYellow = ws::rgb(255, 255, 0);
constexpr ws::ColourRef kRed = ws::rgb(255, 0, 0);
// The far edge of the surround fills and of the scroll ranges.
constexpr int kStageExtent = 4096;

ws::LResult stageProcedure(ws::WindowHandle h, uint32_t message, ws::WParam wParam, ws::LParam lParam) {
  return forwardMessage(editorContext().stage, h, message, wParam, lParam);
}

ShowState& theShow() { return *editorContext().show; }

const char* sliderCaption(int brushCode) {
  switch (brushCode) {
    case kBrushBlur: return "Blurriness";
    case kBrushPixelate: return "Pixelate";
    case kBrushDarken: return "Darkness";
    case kBrushLighten: return "Lightness";
    default: return "Transparency";
  }
}

// Percent of the "Scale" setting as a zoom. A scale that is not positive would leave no stage to see
// and divide every drag by zero, and one beyond 1000 percent overflows the frame's pixel sizes: both
// are taken as 100.
float zoomFromScale(long scale) { return scale > 0 && scale <= 1000 ? float(scale) * 0.01f : 1.0f; }

}  // namespace

StageView::StageView(EditorWindow* owner) : owner_(owner) {
  EditorContext& context = editorContext();
  context.stage = nullptr;
  SettingsFile& s = settings();
  zoom = zoomFromScale(s.getInteger("Scale", 100));
  showMotionPath = s.getInteger("ShowCameraPath", 0) != 0;
  showTvSafe = s.getInteger("ShowTVSafe", 0) != 0;
  playDirection = 0;
  // Computed once: a later change of the frame rate keeps the ticks of the rate the stage opened with.
  // A rate that is not positive would divide by zero; it counts as 29.97.
  const int rate = context.show && context.show->frameRate > 0 ? context.show->frameRate : 2997;
  ticksPerFrame = std::max<int64_t>(performanceFrequency() * 100 / rate, 1);

  const ws::WindowHandle parent = owner ? owner->handle() : 0;
  if (!create(parent, kWindowPopup | kWindowBorder | kWindowHScroll | kWindowVScroll, stageProcedure)) return;
  playBackwardButton.initialise(105, 106, 0, 107, 0);
  stopButton.initialise(102, 109, 0, 110, 0);
  playForwardButton.initialise(108, 103, 0, 104, 0);
  setKeyButton.initialise(111, 112, 0, 0, 0);
  show(1);
  layout();

  dragMode = kDragNone;
  sliderDrag = 0;
  if (context.show) context.show->getKey(0, workingStates_[0], 0);
  context.stage = this;
  context.viewsChanged();
}

StageView::~StageView() {
  EditorContext& context = editorContext();
  if (context.stage == this) {
    context.stage = nullptr;
    context.viewsChanged();
  }
  destroy();
}

int StageView::hScroll() const { return scrollPosition(ws::SB_HORZ); }
int StageView::vScroll() const { return scrollPosition(ws::SB_VERT); }

KeyFrame& StageView::currentState() {
  const int p = editorContext().show ? editorContext().show->currentPicture : 0;
  return workingStates_[std::clamp(p, 0, 31)];
}

bool StageView::currentLocked() const {
  const ShowState* show = editorContext().show;
  if (!show) return true;
  const int p = show->currentPicture;
  return p < 0 || p >= kSlotCount || show->slots[p].lock != 0;
}

PictureGeometry StageView::currentGeometry() const {
  const KeyFrame& state = const_cast<StageView*>(this)->currentState();
  return pictureGeometry(state, zoom, frameRect.left - hScroll(), frameRect.top - vScroll());
}

void StageView::layout() {
  if (!handle_ || layingOut_) return;
  // Moving the window sends move and size messages, which come back here.
  layingOut_ = true;
  ws::Rect r{0, 0, 640, 480};
  if (owner_) {
    r = owner_->windowRect();
    if (!owner_->handle() || r.empty()) {
      layingOut_ = false;
      return;
    }
    const int edge = scrollBarHeight();
    r = r.inset(edge, edge);
    r.top += captionHeight() + menuBarHeight();
    const TimelineView* timeline = editorContext().timeline;
    if (!timeline || timeline->displayMode <= TimelineView::kCollapsed) {
      r.bottom -= 84;
    } else {
      const int pictures = std::clamp(editorContext().show ? editorContext().show->pictureCount : 1, 1, 8);
      r.bottom -= 15 * pictures + 54;
    }
  }
  setScrollRanges(kStageExtent, kStageExtent, r.width(), 0, true);
  move(r, true);
  layingOut_ = false;
}

void StageView::paint() { paintWhole(true); }

void StageView::paintWhole(bool withOverlays) {
  if (!handle_ || !editorContext().show) return;
  ShowState& show = theShow();
  DrawingScope scope(handle_);
  setOrigin(hScroll(), vScroll());
  const ws::Rect client = clientRect();
  frameRect = stageFrameRect(client.width(), client.height(), show.stageWidth(), show.stageHeight(), zoom);
  const int left = frameRect.left, top = frameRect.top, fw = frameRect.width(), fh = frameRect.height();
  // The filled rectangles leave out their right and bottom edges, so each reaches one pixel into the
  // frame, which the stage image then covers.
  fillRect(kLightGrey, {0, 0, left + 1, kStageExtent});
  fillRect(kLightGrey, {left, 0, kStageExtent, top + 1});
  fillRect(kLightGrey, {left + fw, 0, kStageExtent, kStageExtent});
  fillRect(kLightGrey, {left, top + fh, left + fw + 1, kStageExtent});
  drawStage(withOverlays);
  placeTransportBar(frameRect.right - 184, frameRect.bottom + 4, int(currentState().amount));
  if (owner_) owner_->drawStatus(currentState());
  showScrollBars(true, true);
}

void StageView::redrawStage(bool withOverlays) {
  // The frame's redraw covers only the frame: an outline or a motion path that reached out of it into
  // the surround would stay there at its old place, and so would a field preview, which stands at the
  // client's corner at full size whatever the zoom; the whole stage is painted instead.
  if (overlaysBeyondFrame_ || fieldPreviewShown) paintWhole(withOverlays);
  else drawStage(withOverlays);
}

void StageView::drawStage(bool withOverlays) {
  if (!handle_ || !editorContext().show) return;
  ShowState& show = theShow();
  DrawingScope scope(handle_);
  setOrigin(hScroll(), vScroll());
  fieldPreviewShown = false;
  overlaysBeyondFrame_ = false;
  renderShow(show, renderOptionsOf(show), -1, 0, 1, stageImage_.sizedFor(show.stageWidth(), show.stageHeight()),
             editorContext().frameInput, editorContext().hostFrame, workingStates_);
  const ImageBuffer& image = stageImage_.image();
  drawBitmap(*scope.context(), frameRect, image.header(), image.pixels(), {0, 0, image.width(), image.height()});
  if (!withOverlays) return;
  if (currentLocked()) {
    // The frame's bevel, drawn with the overlays, reaches one pixel past the image on the right and at
    // the bottom; a locked picture has no overlays, so those pixels are the surround's again, or the
    // bevel drawn for the picture that was current before would stay.
    // (A filled rectangle leaves out its right and bottom edges.)
    fillRect(kLightGrey, {frameRect.right, frameRect.top, frameRect.right + 2, frameRect.bottom + 2});
    fillRect(kLightGrey, {frameRect.left, frameRect.bottom, frameRect.right + 2, frameRect.bottom + 2});
    return;
  }

  const int fw = int(zoom * float(show.stageWidth())), fh = int(zoom * float(show.stageHeight()));
  ::frameRect(kWhite, ws::Rect{0, 0, fw, fh}.offset(frameRect.left, frameRect.top), 1, ws::PS_SOLID);
  ws::Rect drawn;
  if (showMotionPath) drawn = drawMotionPath().offset(-hScroll(), -vScroll());
  if (showTvSafe) {
    const TvSafeGuides g = tvSafeGuides(frameRect);
    frameRoundRect(kWhite, g.inner, g.cornerSize, 1, ws::PS_SOLID);
    ::frameRect(kWhite, g.outer, 1, ws::PS_SOLID);
  }
  bevelFrame(kWhite, kDarkGrey, frameRect, 1);
  drawn = drawn.unite(drawOutline(false));
  const ws::Rect frame = frameRect.offset(-hScroll(), -vScroll());
  overlaysBeyondFrame_ = frame.unite(drawn) != frame;
}

ws::Rect StageView::drawMotionPath() {
  const ShowState& show = theShow();
  const int p = std::clamp(show.currentPicture, 0, kSlotCount - 1);
  const PictureSlot& slot = show.slots[p];
  const int count = std::clamp(slot.keyCount, 1, kMaxKeys);
  const int ox = frameRect.left, oy = frameRect.top;
  auto at = [&](double x, double y) { return ws::Point{ox + int(x * zoom), oy + int(y * zoom)}; };
  ws::Rect extent;
  for (const PathSegment& segment : sampleMotionPath(count, slot.keys, kEaseEnds)) {
    ws::Point points[17];
    points[0] = at(segment.startX, segment.startY);
    for (int j = 0; j < 16; ++j) points[j + 1] = at(segment.points[j].x, segment.points[j].y);
    polyline(kYellow, 1, 17, points, ws::PS_SOLID);
    for (const ws::Point& p : points) extent = extent.unite({p.x - 1, p.y - 1, p.x + 2, p.y + 2});
  }
  for (int k = 0; k < count; ++k) {
    const ws::Point c = at(slot.keys[k].x, slot.keys[k].y);
    ::frameRect(kRed, {c.x - 3, c.y - 3, c.x + 3, c.y + 3}, 1, ws::PS_SOLID);
    extent = extent.unite({c.x - 3, c.y - 3, c.x + 3, c.y + 3});
  }
  return extent;
}

ws::Rect StageView::drawOutline(bool inverting) {
  if (!handle_) return {};
  const PictureGeometry g = currentGeometry();
  const ws::Point outline[5] = {g.corners[0], g.corners[1], g.corners[2], g.corners[3], g.corners[0]};
  const int arm = crossArm(g);
  const ws::Rect vertical{g.centre.x, g.centre.y - arm, g.centre.x, g.centre.y + arm};
  const ws::Rect horizontal{g.centre.x - arm, g.centre.y, g.centre.x + arm, g.centre.y};
  const ws::Rect circle{g.rotateHandle.x - 4, g.rotateHandle.y - 4, g.rotateHandle.x + 4, g.rotateHandle.y + 4};
  // Each shape is drawn through a context clipped to the shape's own extent, widened by its pen.
  ws::Rect outlineExtent;
  for (const ws::Point& p : outline) outlineExtent = outlineExtent.unite({p.x, p.y, p.x + 1, p.y + 1});
  ws::Rect drawn;
  auto clipped = [&](const ws::Rect& extent, auto draw) {
    ClippedDrawing scope(handle_, extent.inset(-3, -3));
    if (scope.active()) draw();
    drawn = drawn.unite(extent.inset(-3, -3));
  };
  const ws::Rect verticalExtent = vertical.inset(-1, 0), horizontalExtent = horizontal.inset(0, -1);
  if (inverting) {
    clipped(outlineExtent, [&] { invertPolyline(5, outline, 2, ws::PS_SOLID); });
    clipped(verticalExtent, [&] { invertLine(vertical, 2, ws::PS_SOLID); });
    clipped(horizontalExtent, [&] { invertLine(horizontal, 2, ws::PS_SOLID); });
    clipped(circle, [&] { invertEllipse(circle, 1, ws::PS_SOLID); });
    return drawn;
  }
  // A wide yellow stroke under a thin black one shows on light and dark pictures alike.
  clipped(circle, [&] {
    frameEllipse(kYellow, circle, 3, ws::PS_SOLID);
    frameEllipse(kBlack, circle, 1, ws::PS_SOLID);
  });
  clipped(outlineExtent, [&] {
    polyline(kYellow, 3, 5, outline, ws::PS_SOLID);
    polyline(kBlack, 1, 5, outline, ws::PS_SOLID);
  });
  clipped(verticalExtent.unite(horizontalExtent), [&] {
    line(kYellow, vertical, 3, ws::PS_SOLID);
    line(kYellow, horizontal, 3, ws::PS_SOLID);
    line(kBlack, vertical, 1, ws::PS_SOLID);
    line(kBlack, horizontal, 1, ws::PS_SOLID);
  });
  return drawn;
}

void StageView::placeTransportBar(int x, int y, int amount) {
  if (!handle_) return;
  DrawingScope scope(handle_);
  setOrigin(hScroll(), vScroll());
  const int top = y + 4, bottom = y + 4 + 19;
  playBackwardButton.place({x + 4, top, x + 4 + 19, bottom});
  stopButton.place({x + 28, top, x + 28 + 19, bottom});
  playForwardButton.place({x + 52, top, x + 52 + 19, bottom});
  setKeyButton.place({x + 161, top, x + 161 + 19, bottom});
  timecodeRect = {x + 76, y + 4, x + 156, y + 23};
  drawTimecodeAndSlider(editorContext().show ? theShow().currentTime : 0, amount);
}

void StageView::drawTimecodeAndSlider(int time, int amount) {
  if (!handle_ || !editorContext().show) return;
  const ShowState& show = theShow();
  DrawingScope scope(handle_);
  setOrigin(hScroll(), vScroll());
  fillRoundRect(kWhite, timecodeRect, 6);
  frameRoundRect(kBlack, timecodeRect, 6, 1, ws::PS_SOLID);
  selectFont(standardFont(12), kWhite, ws::OPAQUE);
  const std::string text = timecodeText(time, false, show.frameRate);
  drawText(kBlack, text.c_str(), (timecodeRect.left + timecodeRect.right) / 2, timecodeRect.bottom - 17,
           ws::TA_CENTER | ws::TA_TOP);
  if (amount >= 0) {
    const ws::Rect track{frameRect.left, frameRect.bottom + 8, frameRect.left + 80, frameRect.bottom + 20};
    const int p = std::clamp(show.currentPicture, 0, kSlotCount - 1);
    selectFont(standardFont(10), 0xFFFFFFFF, ws::TRANSPARENT);
    // The caption and the slider's value are drawn without a background: what stands there (another
    // picture's caption, the same text, whose anti-aliased edges darken when drawn twice) goes back
    // to the surround first, the caption's place as wide as the widest caption.
    int widest = 0;
    for (const int code : {kBrushNone, kBrushBlur, kBrushPixelate, kBrushDarken, kBrushLighten})
      widest = std::max(widest, textWidth(sliderCaption(code)));
    fillRect(kLightGrey, {frameRect.left + 40 - widest / 2 - 2, track.bottom, frameRect.left + 40 + widest / 2 + 3, track.bottom + 16});
    const int valueLeft = track.right + textWidth("100") + 6;
    fillRect(kLightGrey, {valueLeft, track.top - 2, valueLeft + 34, track.top + 14});
    drawText(kBlack, sliderCaption(show.slots[p].brushCode), frameRect.left + 40, track.bottom,
             ws::TA_CENTER | ws::TA_TOP);
    slider(kLightGrey, kBlack, track, amount, 100, true);
  }
  selectFont(nullptr, 0xFFFFFFFF, -1);
  setOrigin(0, 0);
}

int StageView::handleMessage(uint32_t message, ws::WParam wParam, ws::LParam lParam) {
  const int x = ws::signedLo(lParam), y = ws::signedHi(lParam);
  const bool shift = (wParam & ws::MK_SHIFT) != 0;
  switch (message) {
    case ws::WM_MOVE:
    case ws::WM_SIZE: layout(); break;
    case ws::WM_PAINT: paint(); break;
    case ws::WM_CLOSE: postMessage(handle_, ws::WM_QUIT, 0, 0); break;
    case ws::WM_HSCROLL:
    case ws::WM_VSCROLL:
      handleScroll(message, wParam, 60);
      // The view moved: what was drawn at the old positions no longer lines up with the bars.
      ws::screen().invalidateRect(handle_, nullptr);
      break;
    case ws::WM_KEYDOWN:
    case ws::WM_CHAR: key(message, wParam, lParam); break;
    case ws::WM_MOUSEMOVE: mouseMoved(x, y, shift); break;
    case ws::WM_LBUTTONDOWN: leftButtonDown(x, y, shift); break;
    case ws::WM_LBUTTONUP: leftButtonUp(x, y); break;
    case ws::WM_LBUTTONDBLCLK: leftDoubleClick(x, y); break;
    case ws::WM_RBUTTONUP: rightButtonUp(x, y); break;
    case kCancelDragMessage:
      dragMode = kDragNone;
      sliderDrag = 0;
      break;
    default: break;
  }
  return 1;
}
