#pragma once
// The drawing primitives and text of the editor's views and dialogs. All of them draw into the one
// current drawing context; each sets up the pen and brush it needs and puts the context's previous
// state back before it returns, so nothing a primitive selects outlives the call. Colours are colour
// references (red in the low byte); rectangles are (left, top, right, bottom).
#include <cstdint>
#include <memory>

#include "platform/platform_state.h"
#include "platform/screen/drawing_context.h"

void setDrawingContext(ws::DrawingContext* context);
ws::DrawingContext* drawingContext();
// A drawing context over a window's client area, for setDrawingContext; giving it back is dropping it.
std::unique_ptr<ws::DrawingContext> windowDrawingContext(ws::WindowHandle window);
void setOrigin(int x, int y);

// Makes a window's drawing context the current one for a scope, and puts back whichever context was
// current before (a form drawn on the stage from inside the stage's own drawing keeps working).
class DrawingScope {
 public:
  explicit DrawingScope(ws::WindowHandle window);
  ~DrawingScope();
  DrawingScope(const DrawingScope&) = delete;
  DrawingScope& operator=(const DrawingScope&) = delete;
  ws::DrawingContext* context() const { return own_.get(); }

 private:
  std::unique_ptr<ws::DrawingContext> own_;
  ws::DrawingContext* previous_;
};

// A device-independent bitmap (its information header with the palette behind it, and its rows bottom
// line first, as ImageBuffer holds them) stretched nearest-neighbour from the source rectangle into the
// destination rectangle of the context. False when there is no bitmap or nothing was drawn.
bool drawBitmap(ws::DrawingContext& context, const ws::Rect& dest, const void* header, const void* bits,
                const ws::Rect& source);

void frameRect(ws::ColourRef colour, const ws::Rect& rect, int penWidth, int penStyle);
void fillRect(ws::ColourRef colour, const ws::Rect& rect);
void line(ws::ColourRef colour, const ws::Rect& rect, int penWidth, int penStyle);
void lineTo(ws::ColourRef colour, int x1, int y1, int x2, int y2, int penWidth, int penStyle);
void frameRoundRect(ws::ColourRef colour, const ws::Rect& rect, int cornerSize, int penWidth, int penStyle);
void fillRoundRect(ws::ColourRef colour, const ws::Rect& rect, int cornerSize);
void frameEllipse(ws::ColourRef colour, const ws::Rect& rect, int penWidth, int penStyle);
void fillEllipse(ws::ColourRef colour, const ws::Rect& rect);
void polyline(ws::ColourRef colour, int penWidth, int pointCount, const ws::Point* points, int penStyle);
// Direction 0 points up, 90 right, 180 down, anything else left.
void triangle(ws::ColourRef colour, int x, int y, int halfSize, int direction);
// The corners triangle() fills, in drawing order.
void trianglePoints(int x, int y, int halfSize, int direction, ws::Point out[3]);
void invertRect(const ws::Rect& rect, int penWidth, int penStyle);
void invertEllipse(const ws::Rect& rect, int penWidth, int penStyle);
void invertLine(const ws::Rect& rect, int penWidth, int penStyle);
void invertPolyline(int pointCount, const ws::Point* points, int penWidth, int penStyle);
void bevelFrame(ws::ColourRef light, ws::ColourRef dark, const ws::Rect& rect, int width);
void checkCircle(ws::ColourRef colour, const ws::Rect& rect, bool checked);
void checkBox(ws::ColourRef colour, const ws::Rect& rect, bool checked);
void slider(ws::ColourRef backColour, ws::ColourRef trackColour, const ws::Rect& rect, int percent, int maximum, bool labelCentred);
// The number the slider writes beside itself.
long sliderLabel(int percent, int maximum);
// Draws bitmap resource `bitmapId` at the rectangle's top-left corner at its own size.
void blitBitmap(const ws::Rect& rect, int bitmapId, uint32_t rasterOperation);

// Flag bit 0 bold, bit 1 italic, bit 2 underline. The face is always "Arial"; family texts containing
// "Serif" ask for the roman family, others the swiss one.
FontHandle createFont(const char* family, int height, int flags);
// Selects the font (none: puts back the font selected before the last selectFont); a back colour other
// than 0xFFFFFFFF and a back mode other than -1 are set too.
void selectFont(const FontHandle& font, uint32_t backColour, int backMode);
void drawText(ws::ColourRef colour, const char* text, int x, int y, uint32_t alignment);
int textWidth(const char* text);
