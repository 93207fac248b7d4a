#include <cstdlib>

#include "image/image_buffer.h"
#include "platform/screen/drawing_context.h"

bool ImageBuffer::drawRect(const ws::Rect& destRect, const ws::Rect& sourceRect, ws::DrawingContext& context) const {
  if (!hasHeader() || !pixels()) return false;
  context.setStretchBltMode(ws::COLORONCOLOR);
  return context.stretchDIBits(destRect.left, destRect.top, destRect.right - destRect.left, std::abs(destRect.bottom - destRect.top),
                               sourceRect.left, sourceRect.top, sourceRect.right - sourceRect.left,
                               std::abs(sourceRect.bottom - sourceRect.top), pixels(), header(), ws::DIB_RGB_COLORS, ws::SRCCOPY) != 0;
}

bool ImageBuffer::draw(const ws::Rect& destRect, ws::DrawingContext& context) const {
  return drawRect(destRect, ws::Rect{0, 0, width(), height()}, context);
}
