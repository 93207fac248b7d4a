#include "platform/drawing.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/resource_store.h"
#include "platform/screen/dib.h"
#include "platform/screen/screen.h"

namespace {

ws::DrawingContext* current = nullptr;
FontHandle savedFont;

// Selects a pen and brush for one primitive; the context's previous state returns with the scope.
class Tools {
 public:
  Tools(ws::DrawingContext& dc, int penStyle, int penWidth, ws::ColourRef penColour, bool brush, ws::ColourRef brushColour)
      : saver_(dc) {
    dc.selectPen(ws::Pen{penStyle, penWidth, penColour});
    dc.selectBrush(ws::Brush{!brush, brushColour});
  }

 private:
  ws::DrawingContext::StateSaver saver_;
};

constexpr int kNoPen = ws::PS_NULL;

}  // namespace

void setDrawingContext(ws::DrawingContext* context) { current = context; }
ws::DrawingContext* drawingContext() { return current; }

std::unique_ptr<ws::DrawingContext> windowDrawingContext(ws::WindowHandle window) { return ws::screen().getDC(window); }

DrawingScope::DrawingScope(ws::WindowHandle window) : own_(windowDrawingContext(window)), previous_(current) {
  current = own_.get();
}

DrawingScope::~DrawingScope() { current = previous_; }

void setOrigin(int x, int y) {
  if (current) current->setWindowOrg(x, y);
}

bool drawBitmap(ws::DrawingContext& context, const ws::Rect& dest, const void* header, const void* bits,
                const ws::Rect& source) {
  if (!header || !bits) return false;
  context.setStretchBltMode(ws::COLORONCOLOR);
  return context.stretchDIBits(dest.left, dest.top, dest.right - dest.left, std::abs(dest.bottom - dest.top), source.left,
                               source.top, source.right - source.left, std::abs(source.bottom - source.top), bits, header,
                               ws::DIB_RGB_COLORS, ws::SRCCOPY) != 0;
}

void frameRect(ws::ColourRef colour, const ws::Rect& r, int penWidth, int penStyle) {
  if (!current) return;
  Tools t(*current, penStyle, penWidth, colour, false, 0);
  current->rectangle(r.left, r.top, r.right, r.bottom);
}

void fillRect(ws::ColourRef colour, const ws::Rect& r) {
  if (!current) return;
  Tools t(*current, kNoPen, 1, 0, true, colour);
  current->rectangle(r.left, r.top, r.right, r.bottom);
}

void line(ws::ColourRef colour, const ws::Rect& r, int penWidth, int penStyle) {
  lineTo(colour, r.left, r.top, r.right, r.bottom, penWidth, penStyle);
}

void lineTo(ws::ColourRef colour, int x1, int y1, int x2, int y2, int penWidth, int penStyle) {
  if (!current) return;
  Tools t(*current, penStyle, penWidth, colour, false, 0);
  current->moveTo(x1, y1);
  current->lineTo(x2, y2);
}

void frameRoundRect(ws::ColourRef colour, const ws::Rect& r, int cornerSize, int penWidth, int penStyle) {
  if (!current) return;
  Tools t(*current, penStyle, penWidth, colour, false, 0);
  current->roundRect(r.left, r.top, r.right, r.bottom, cornerSize, cornerSize);
}

void fillRoundRect(ws::ColourRef colour, const ws::Rect& r, int cornerSize) {
  if (!current) return;
  Tools t(*current, kNoPen, 1, 0, true, colour);
  current->roundRect(r.left, r.top, r.right, r.bottom, cornerSize, cornerSize);
}

void frameEllipse(ws::ColourRef colour, const ws::Rect& r, int penWidth, int penStyle) {
  if (!current) return;
  Tools t(*current, penStyle, penWidth, colour, false, 0);
  current->ellipse(r.left, r.top, r.right, r.bottom);
}

void fillEllipse(ws::ColourRef colour, const ws::Rect& r) {
  if (!current) return;
  Tools t(*current, kNoPen, 1, 0, true, colour);
  current->ellipse(r.left, r.top, r.right, r.bottom);
}

void polyline(ws::ColourRef colour, int penWidth, int pointCount, const ws::Point* points, int penStyle) {
  if (!current) return;
  Tools t(*current, penStyle, penWidth, colour, false, 0);
  current->polyline(points, pointCount);
}

void trianglePoints(int x, int y, int c, int direction, ws::Point p[3]) {
  switch (direction) {
    case 0: p[0] = {x - c, y + c}, p[1] = {x, y - c}, p[2] = {x + c, y + c}; break;
    case 90: p[0] = {x - c, y - c}, p[1] = {x + c, y}, p[2] = {x - c, y + c}; break;
    case 180: p[0] = {x + c, y - c}, p[1] = {x, y + c}, p[2] = {x - c, y - c}; break;
    default: p[0] = {x + c, y + c}, p[1] = {x - c, y}, p[2] = {x + c, y - c}; break;
  }
}

void triangle(ws::ColourRef colour, int x, int y, int halfSize, int direction) {
  if (!current) return;
  ws::Point p[3];
  trianglePoints(x, y, halfSize, direction, p);
  Tools t(*current, ws::PS_SOLID, 1, colour, true, colour);
  current->polygon(p, 3);
}

namespace {
template <class Draw>
void inverted(int penWidth, int penStyle, Draw draw) {
  if (!current) return;
  Tools t(*current, penStyle, penWidth, 0, false, 0);
  current->setRop2(ws::R2_NOT);
  draw();
}
}  // namespace

void invertRect(const ws::Rect& r, int penWidth, int penStyle) {
  inverted(penWidth, penStyle, [&] { current->rectangle(r.left, r.top, r.right, r.bottom); });
}

void invertEllipse(const ws::Rect& r, int penWidth, int penStyle) {
  inverted(penWidth, penStyle, [&] { current->ellipse(r.left, r.top, r.right, r.bottom); });
}

void invertLine(const ws::Rect& r, int penWidth, int penStyle) {
  inverted(penWidth, penStyle, [&] {
    current->moveTo(r.left, r.top);
    current->lineTo(r.right, r.bottom);
  });
}

void invertPolyline(int pointCount, const ws::Point* points, int penWidth, int penStyle) {
  inverted(penWidth, penStyle, [&] { current->polyline(points, pointCount); });
}

void bevelFrame(ws::ColourRef light, ws::ColourRef dark, const ws::Rect& r, int width) {
  if (!current) return;
  const ws::Point lit[3] = {{r.left, r.bottom}, {r.left, r.top}, {r.right, r.top}};
  const ws::Point shaded[3] = {{r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
  polyline(light, width, 3, lit, ws::PS_SOLID);
  polyline(dark, width, 3, shaded, ws::PS_SOLID);
}

void checkCircle(ws::ColourRef colour, const ws::Rect& r, bool checked) {
  frameEllipse(colour, r, 1, ws::PS_SOLID);
  if (checked) fillEllipse(colour, {r.left + 2, r.top + 2, r.right - 1, r.bottom - 1});
}

void checkBox(ws::ColourRef colour, const ws::Rect& r, bool checked) {
  if (!current) return;
  {
    Tools t(*current, ws::PS_SOLID, 1, ws::rgb(0, 0, 0), true, colour);
    current->rectangle(r.left, r.top, r.right, r.bottom);
  }
  if (checked) {
    lineTo(ws::rgb(0, 0, 0), r.left + 2, r.top + 2, r.right - 2, r.bottom - 2, 1, ws::PS_SOLID);
    lineTo(ws::rgb(0, 0, 0), r.right - 3, r.top + 2, r.left + 1, r.bottom - 2, 1, ws::PS_SOLID);
  }
}

long sliderLabel(int percent, int maximum) {
  long label = long(percent * 0.01 * maximum);
  if (label > maximum) label = maximum;
  if (maximum < 100 && label > maximum - 1) label = maximum - 1;
  return label;
}

void slider(ws::ColourRef backColour, ws::ColourRef trackColour, const ws::Rect& r, int percent, int maximum, bool labelCentred) {
  if (!current) return;
  const int widenedRight = r.right + textWidth("100") + 6;
  fillRect(backColour, {r.left, r.top, widenedRight, r.bottom});
  const int trackLeft = r.left + 4, trackRight = r.right - 4;
  fillRect(trackColour, {trackLeft, r.bottom - 3, trackRight, r.bottom});
  // Wide, so that an amount far past 100 (curves overshoot) cannot overflow; the clip takes the rest.
  const int x = trackLeft + 1 + int(int64_t(percent) * (trackRight - trackLeft - 3) / 100);
  triangle(trackColour, x, r.top + 3, 3, 180);
  char text[24];
  std::snprintf(text, sizeof text, "%ld", sliderLabel(percent, maximum));
  if (labelCentred) drawText(ws::rgb(0, 0, 0), text, widenedRight + 16, r.top - 2, ws::TA_CENTER);
  else drawText(ws::rgb(0, 0, 0), text, widenedRight + 6, r.top - 2, ws::TA_LEFT);
}

void blitBitmap(const ws::Rect& r, int bitmapId, uint32_t rasterOperation) {
  if (!current) return;
  const ResourceBytes bytes = findResource(ResourceKind::bitmap, bitmapId);
  ws::DibView dib;
  if (!bytes || !dib.openResource(bytes.bytes, bytes.size)) return;
  current->drawDib(dib, r.left, r.top, dib.width(), dib.height(), 0, 0, dib.width(), dib.height(), rasterOperation);
}

FontHandle createFont(const char* family, int height, int flags) {
  ws::FontRequest request;
  request.face = "Arial";
  request.height = -height;
  request.weight = (flags & 1) ? 700 : 500;
  request.italic = flags & 2;
  request.underline = flags & 4;
  // The family only guides a substitution when the face is missing; fontconfig finds "Arial" itself.
  (void)family;
  return ws::Font::create(request);
}

void selectFont(const FontHandle& font, uint32_t backColour, int backMode) {
  if (!current) return;
  if (font) savedFont = current->selectFont(font);
  else current->selectFont(savedFont);
  if (backColour != 0xFFFFFFFFu) current->setBkColor(backColour);
  if (backMode != -1) current->setBkMode(backMode);
}

void drawText(ws::ColourRef colour, const char* text, int x, int y, uint32_t alignment) {
  if (!current || !text) return;
  current->setTextColor(colour);
  current->setTextAlign(alignment);
  current->textOut(x, y, text);
}

int textWidth(const char* text) {
  if (!text || !*text) return 0;
  if (!current) return ws::defaultFont()->textWidth(text);
  return current->textExtent(text).x;
}
