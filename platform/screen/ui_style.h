#pragma once
// The look of the controls the window system draws itself: colours, the two interface fonts and the
// raised and sunken bevels of buttons, scroll-bar parts and fields.
#include <string>

#include "platform/screen/drawing_context.h"

namespace ws::style {

constexpr ColourRef face = rgb(212, 208, 200);
constexpr ColourRef light = rgb(255, 255, 255);
constexpr ColourRef shadow = rgb(128, 128, 128);
constexpr ColourRef darkShadow = rgb(64, 64, 64);
constexpr ColourRef text = rgb(0, 0, 0);
constexpr ColourRef greyText = rgb(128, 128, 128);
constexpr ColourRef highlight = rgb(10, 36, 106);
constexpr ColourRef highlightText = rgb(255, 255, 255);
constexpr ColourRef activeCaption = rgb(10, 36, 106);
constexpr ColourRef inactiveCaption = rgb(128, 128, 128);
constexpr ColourRef track = rgb(232, 230, 226);
constexpr ColourRef window = rgb(255, 255, 255);

FontRef uiFont();      // 12-pixel characters, regular
FontRef uiBoldFont();  // 12-pixel characters, bold

// A raised (pressed = false) or sunken box filling r.
void button(DrawingContext& dc, const Rect& r, bool pressed);
void sunken(DrawingContext& dc, const Rect& r, ColourRef fill);
// A small solid triangle centred in r pointing up (0), right (1), down (2) or left (3).
void arrow(DrawingContext& dc, const Rect& r, int direction, ColourRef colour);
// Text in the interface font with its cell centred vertically in r, from r.left (align 0), centred (1)
// or ending at r.right (2).
void label(DrawingContext& dc, const Rect& r, const std::string& text, ColourRef colour, int align = 0, bool bold = false);

}  // namespace ws::style
