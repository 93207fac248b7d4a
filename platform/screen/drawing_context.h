#pragma once
// A drawing context bound to one surface (a window's client area, or any surface): the pen, brush,
// mix mode, window origin, text colours, background mode, text alignment and font are its state, and a
// StateSaver puts all of it back at the end of a scope. Coordinates are logical: device = logical -
// origin. The geometry follows the conventions the platform layer was written for: shapes take
// (left, top, right, bottom) with the right and bottom edges outside the outline, a filled shape drawn
// with the null pen loses one more pixel at right and bottom, and lines leave out their end point.
#include <memory>
#include <string>
#include <vector>

#include "platform/screen/font.h"
#include "platform/screen/surface.h"
#include "platform/screen/win_defs.h"

namespace ws {

class Mask;
class DibView;

struct Pen {
  int style = PS_SOLID;
  int width = 1;
  ColourRef colour = 0;
  bool isNull() const { return style == PS_NULL; }
};

struct Brush {
  bool null = false;
  ColourRef colour = rgb(255, 255, 255);
};

class DrawingContext {
 public:
  // clip is in device coordinates of the surface; an empty clip means the whole surface.
  explicit DrawingContext(std::shared_ptr<Surface> surface, Rect clip = {});

  Surface& surface() { return *surface_; }
  const std::shared_ptr<Surface>& surfacePtr() const { return surface_; }

  struct State {
    Point origin;
    Pen pen;
    Brush brush;
    int rop2 = R2_COPYPEN;
    ColourRef textColour = 0;
    ColourRef backColour = rgb(255, 255, 255);
    int backMode = OPAQUE;
    uint32_t textAlign = TA_LEFT | TA_TOP;
    FontRef font;
    int stretchMode = COLORONCOLOR;
    Point position;
  };
  const State& state() const { return state_; }

  // Each setter returns the previous value, as the interface it stands in for does.
  Point setWindowOrg(int x, int y);
  Pen selectPen(const Pen& pen);
  Brush selectBrush(const Brush& brush);
  int setRop2(int mode);
  ColourRef setTextColor(ColourRef c);
  ColourRef setBkColor(ColourRef c);
  int setBkMode(int mode);
  uint32_t setTextAlign(uint32_t align);
  FontRef selectFont(FontRef font);  // null selects the default font
  int setStretchBltMode(int mode);

  void save() { saved_.push_back(state_); }
  void restore() {
    if (!saved_.empty()) state_ = saved_.back(), saved_.pop_back();
  }
  class StateSaver {
   public:
    explicit StateSaver(DrawingContext& dc) : dc_(dc) { dc_.save(); }
    ~StateSaver() { dc_.restore(); }
    StateSaver(const StateSaver&) = delete;
    StateSaver& operator=(const StateSaver&) = delete;
   private:
    DrawingContext& dc_;
  };

  void moveTo(int x, int y);
  void lineTo(int x, int y);
  void rectangle(int l, int t, int r, int b);
  void roundRect(int l, int t, int r, int b, int cornerWidth, int cornerHeight);
  void ellipse(int l, int t, int r, int b);
  void polyline(const Point* points, int count);
  void polygon(const Point* points, int count);
  // Fills exactly [l, r) x [t, b) in a colour (no pen involved).
  void fillRect(const Rect& r, ColourRef colour);
  void invertRect(const Rect& r);

  void textOut(int x, int y, const std::string& text);
  // Width and cell height of text in the selected font.
  Point textExtent(const std::string& text) const;
  const Font& font() const;

  // Nearest-neighbour stretch of a DIB; ySrc counts from the image's top row. Returns the lines drawn.
  int stretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                    int srcHeight, const void* bits, const void* header, uint32_t usage, uint32_t rop);
  // The same for a DIB already opened (bitmap resources).
  int drawDib(const DibView& dib, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
              int srcHeight, uint32_t rop);
  // Copies a surface rectangle with a raster operation (the brush is the pattern).
  void bitBlt(int x, int y, int width, int height, const Surface& source, int xSrc, int ySrc, uint32_t rop);

 private:
  Rect deviceClip() const { return clip_; }
  void fillMask(const Mask& m, ColourRef colour);
  void outline(const std::vector<Point>& device, bool closed);

  std::shared_ptr<Surface> surface_;
  Rect clip_;
  State state_;
  std::vector<State> saved_;
};

// The font a context uses when none is selected (the system font's stand-in).
FontRef defaultFont();

}  // namespace ws
