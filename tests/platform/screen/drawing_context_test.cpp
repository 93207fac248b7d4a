#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/screen/dib.h"
#include "platform/screen/drawing_context.h"

using namespace ws;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0xFF0000;  // as a pixel

struct Canvas {
  std::shared_ptr<Surface> surface = std::make_shared<Surface>(40, 30, kWhite);
  DrawingContext dc{surface};
  int count(uint32_t p) const {
    int n = 0;
    for (uint32_t v : surface->data()) n += v == p;
    return n;
  }
  bool is(int x, int y, uint32_t p) const { return surface->pixel(x, y) == p; }
};

void usePen(DrawingContext& dc, ColourRef c, int width, bool nullBrush) {
  dc.selectPen(Pen{PS_SOLID, width, c});
  Brush b;
  b.null = nullBrush;
  b.colour = c;
  dc.selectBrush(b);
}

}  // namespace

TEST(DrawingContextGeometry, RectangleOutlineCoversLeftToRightMinusOne) {
  Canvas c;
  usePen(c.dc, rgb(255, 0, 0), 1, true);
  c.dc.rectangle(5, 5, 15, 10);
  EXPECT_TRUE(c.is(5, 5, kRed));
  EXPECT_TRUE(c.is(14, 9, kRed));
  EXPECT_TRUE(c.is(15, 5, kWhite));
  EXPECT_TRUE(c.is(5, 10, kWhite));
  EXPECT_TRUE(c.is(8, 7, kWhite));  // null brush leaves the inside
  EXPECT_EQ(c.count(kRed), 2 * 10 + 2 * 3);
}

TEST(DrawingContextGeometry, NullPenFillLosesOnePixelAtRightAndBottom) {
  Canvas c;
  c.dc.selectPen(Pen{PS_NULL, 1, 0});
  c.dc.selectBrush(Brush{false, rgb(255, 0, 0)});
  c.dc.rectangle(5, 5, 15, 10);
  EXPECT_EQ(c.count(kRed), 9 * 4);
  EXPECT_TRUE(c.is(13, 8, kRed));
  EXPECT_TRUE(c.is(14, 8, kWhite));
  EXPECT_TRUE(c.is(13, 9, kWhite));
}

TEST(DrawingContextGeometry, WidePenFrameSpreadsAroundTheFilledArea) {
  Canvas framed, filled;
  usePen(framed.dc, rgb(255, 0, 0), 3, true);
  framed.dc.rectangle(10, 10, 20, 20);
  filled.dc.selectPen(Pen{PS_NULL, 1, 0});
  filled.dc.selectBrush(Brush{false, rgb(255, 0, 0)});
  filled.dc.rectangle(10, 10, 21, 21);  // the area inside and on the outline's centre line
  // The frame reaches one pixel beyond the outline's centre line on each side.
  EXPECT_TRUE(framed.is(9, 15, kRed));
  EXPECT_TRUE(framed.is(8, 15, kWhite));
  EXPECT_TRUE(framed.is(20, 15, kRed));
  EXPECT_TRUE(framed.is(21, 15, kWhite));
  EXPECT_TRUE(framed.is(12, 15, kWhite));
  for (int y = 10; y < 20; ++y)
    for (int x = 10; x < 20; ++x)
      if (x == 10 || y == 10 || x == 19 || y == 19) {
        EXPECT_TRUE(filled.is(x, y, kRed) && framed.is(x, y, kRed)) << x << "," << y;
      }
}

TEST(DrawingContextGeometry, LinesLeaveOutTheirEndPoint) {
  Canvas c;
  usePen(c.dc, rgb(255, 0, 0), 1, true);
  c.dc.moveTo(2, 3);
  c.dc.lineTo(12, 3);
  EXPECT_EQ(c.count(kRed), 10);
  EXPECT_TRUE(c.is(11, 3, kRed));
  EXPECT_TRUE(c.is(12, 3, kWhite));
}

TEST(DrawingContextGeometry, EllipseIsSymmetricAndInsideItsBox) {
  Canvas c;
  c.dc.selectPen(Pen{PS_NULL, 1, 0});
  c.dc.selectBrush(Brush{false, rgb(255, 0, 0)});
  c.dc.ellipse(4, 4, 25, 19);
  int minX = 99, maxX = -1, minY = 99, maxY = -1;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      if (c.is(x, y, kRed)) {
        minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
        EXPECT_TRUE(c.is(4 + 23 - x, y, kRed)) << x << "," << y;  // mirrored about the box's centre
      }
    }
  }
  EXPECT_EQ(minX, 4);
  EXPECT_EQ(maxX, 23);
  EXPECT_EQ(minY, 4);
  EXPECT_EQ(maxY, 17);
  EXPECT_TRUE(c.is(4, 4, kWhite));  // the corners stay out
}

TEST(DrawingContextInversion, InvertingTwiceRestoresEveryShape) {
  Canvas c;
  // A surface with varied content, so that inversion is visible everywhere.
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) c.surface->setPixel(x, y, uint32_t(x * 6151 + y * 313) & 0xFFFFFF);
  const std::vector<uint32_t> before = c.surface->data();
  c.dc.setRop2(R2_NOT);
  c.dc.selectBrush(Brush{true, 0});
  const Point poly[] = {{2, 2}, {30, 5}, {10, 25}, {35, 28}, {2, 2}};
  for (int width : {1, 3, 4}) {
    c.dc.selectPen(Pen{PS_SOLID, width, 0});
    for (int pass = 0; pass < 2; ++pass) {
      c.dc.rectangle(3, 3, 30, 20);
      c.dc.ellipse(5, 6, 33, 27);
      c.dc.polyline(poly, 5);
      c.dc.moveTo(0, 29);
      c.dc.lineTo(39, 0);
      if (pass == 0) {
        EXPECT_NE(c.surface->data(), before) << "width " << width;
      }
    }
    EXPECT_EQ(c.surface->data(), before) << "width " << width;
  }
}

TEST(DrawingContextInversion, OneInvertedPolylineFlipsItsJoinsOnce) {
  for (int width : {1, 3}) {
    Canvas c;
    c.dc.setRop2(R2_NOT);
    c.dc.selectPen(Pen{PS_SOLID, width, 0});
    const Point poly[] = {{2, 2}, {30, 5}, {10, 25}};
    c.dc.polyline(poly, 3);
    EXPECT_TRUE(c.is(30, 5, 0)) << "width " << width;  // the join of two segments
    EXPECT_TRUE(c.is(20, 15, 0)) << "width " << width;  // on the second segment
    EXPECT_EQ(c.count(0) + c.count(kWhite), 40 * 30);  // nothing flipped twice or half-way
  }
}

TEST(DrawingContextState, StateSaverPutsPenOriginAndMixBack) {
  Canvas c;
  c.dc.setWindowOrg(3, 4);
  {
    DrawingContext::StateSaver saver(c.dc);
    c.dc.setWindowOrg(10, 10);
    c.dc.setRop2(R2_NOT);
    c.dc.selectPen(Pen{PS_SOLID, 5, rgb(1, 2, 3)});
  }
  EXPECT_EQ(c.dc.state().origin, (Point{3, 4}));
  EXPECT_EQ(c.dc.state().rop2, R2_COPYPEN);
  EXPECT_EQ(c.dc.state().pen.width, 1);
  // The origin shifts drawing: logical (3, 4) is device (0, 0).
  c.dc.fillRect({3, 4, 4, 5}, rgb(255, 0, 0));
  EXPECT_TRUE(c.is(0, 0, kRed));
}

TEST(DrawingContextText, EmptyTextHasNoWidthAndTextDraws) {
  Canvas c;
  FontRef f = Font::create(FontRequest{"Arial", -12, 400, false, false});
  ASSERT_TRUE(f->valid());
  c.dc.selectFont(f);
  EXPECT_EQ(c.dc.textExtent("").x, 0);
  EXPECT_GT(c.dc.textExtent("100").x, 10);
  EXPECT_EQ(c.dc.textExtent("100").x, 3 * c.dc.textExtent("0").x);  // figures share one width
  c.dc.setBkMode(TRANSPARENT);
  c.dc.textOut(2, 2, "Wg");
  EXPECT_LT(c.count(kWhite), 40 * 30);
}

TEST(DrawingContextText, ArialResolvesToLiberationSansAndBoldIsWider) {
  FontRef regular = Font::create(FontRequest{"Arial", -13, 500, false, false});
  FontRef bold = Font::create(FontRequest{"Arial", -13, 700, false, false});
  EXPECT_NE(regular->file().find("LiberationSans-Regular"), std::string::npos) << regular->file();
  EXPECT_NE(bold->file().find("LiberationSans-Bold"), std::string::npos) << bold->file();
  EXPECT_GT(bold->textWidth("Transparency"), regular->textWidth("Transparency"));
  // A character height of 20 gives a taller cell than one of 10.
  EXPECT_GT(Font::create(FontRequest{"Arial", -20})->height(), Font::create(FontRequest{"Arial", -10})->height());
}

TEST(DrawingContextText, CentredAndRightAlignedTextEndWhereAsked) {
  Canvas left, right;
  FontRef f = Font::create(FontRequest{"Arial", -12, 400, false, false});
  for (Canvas* c : {&left, &right}) {
    c->dc.selectFont(f);
    c->dc.setBkColor(rgb(255, 0, 0));
    c->dc.setBkMode(OPAQUE);
  }
  const int w = f->textWidth("ab");
  left.dc.textOut(5, 0, "ab");
  right.dc.setTextAlign(TA_RIGHT);
  right.dc.textOut(5 + w, 0, "ab");
  EXPECT_EQ(left.surface->data(), right.surface->data());
  EXPECT_TRUE(left.is(5, 0, kRed));  // the opaque background box starts at x
  EXPECT_TRUE(left.is(4, 0, kWhite));
}

namespace {
// A DIB in memory: 40-byte header, palette, rows bottom-up padded to 4 bytes.
struct TestDib {
  std::vector<uint8_t> header;
  std::vector<uint8_t> bits;
  TestDib(int w, int h, int bpp, int paletteEntries = 0) {
    header.assign(40 + size_t(paletteEntries) * 4, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(header.data() + at, &v, 4); };
    put32(0, 40);
    put32(4, uint32_t(w));
    put32(8, uint32_t(h));
    header[12] = 1;
    header[14] = uint8_t(bpp);
    put32(32, uint32_t(paletteEntries));
    bits.assign(size_t((w * bpp + 31) / 32 * 4) * size_t(h), 0);
  }
  int step() const { return int(bits.size()) / (int(*reinterpret_cast<const int32_t*>(header.data() + 8))); }
};
}  // namespace

TEST(DrawingContextDib, EightBitPaletteBottomUpRowsLandTheRightWayUp) {
  TestDib dib(2, 2, 8, 2);
  // Palette: 0 red, 1 blue (blue, green, red, 0 order).
  dib.header[40 + 2] = 255;
  dib.header[44 + 0] = 255;
  dib.bits[0] = 1;  // bottom row: blue, red
  dib.bits[1] = 0;
  dib.bits[size_t(dib.step())] = 0;  // top row: red, blue
  dib.bits[size_t(dib.step()) + 1] = 1;
  Canvas c;
  EXPECT_EQ(c.dc.stretchDIBits(0, 0, 4, 4, 0, 0, 2, 2, dib.bits.data(), dib.header.data(), DIB_RGB_COLORS, SRCCOPY), 4);
  EXPECT_TRUE(c.is(0, 0, kRed));
  EXPECT_TRUE(c.is(1, 1, kRed));  // nearest neighbour doubles each pixel
  EXPECT_TRUE(c.is(2, 0, 0x0000FF));
  EXPECT_TRUE(c.is(0, 3, 0x0000FF));
  EXPECT_TRUE(c.is(3, 3, kRed));
  EXPECT_TRUE(c.is(4, 0, kWhite));
}

TEST(DrawingContextDib, SixteenTwentyFourAndThirtyTwoBitPixels) {
  TestDib d16(1, 1, 16), d24(1, 1, 24), d32(1, 1, 32);
  const uint16_t green555 = 0x1F << 5;
  std::memcpy(d16.bits.data(), &green555, 2);
  d24.bits[0] = 0x11, d24.bits[1] = 0x22, d24.bits[2] = 0x33;  // blue, green, red
  d32.bits[0] = 0x44, d32.bits[1] = 0x55, d32.bits[2] = 0x66, d32.bits[3] = 0x00;
  Canvas c;
  c.dc.stretchDIBits(0, 0, 1, 1, 0, 0, 1, 1, d16.bits.data(), d16.header.data(), 0, SRCCOPY);
  c.dc.stretchDIBits(1, 0, 1, 1, 0, 0, 1, 1, d24.bits.data(), d24.header.data(), 0, SRCCOPY);
  c.dc.stretchDIBits(2, 0, 1, 1, 0, 0, 1, 1, d32.bits.data(), d32.header.data(), 0, SRCCOPY);
  EXPECT_EQ(c.surface->pixel(0, 0), 0x00FF00u);
  EXPECT_EQ(c.surface->pixel(1, 0), 0x332211u);
  EXPECT_EQ(c.surface->pixel(2, 0), 0x665544u);
}

TEST(DrawingContextDib, RasterOperationsCombineSourceAndDestination) {
  EXPECT_EQ(rop3(SRCCOPY, 0, 0x123456, 0xABCDEF), 0x123456u);
  EXPECT_EQ(rop3(SRCAND, 0, 0xF0F0F0, 0x3C3C3C), 0x303030u);
  EXPECT_EQ(rop3(SRCPAINT, 0, 0xF00000, 0x00000F), 0xF0000Fu);
  EXPECT_EQ(rop3(SRCINVERT, 0, 0xFFFFFF, 0x123456), 0xEDCBA9u);
  EXPECT_EQ(rop3(NOTSRCCOPY, 0, 0x00FF00, 0), 0xFF00FFu);
  EXPECT_EQ(rop3(DSTINVERT, 0, 0, 0x0000FF), 0xFFFF00u);
  EXPECT_EQ(rop3(MERGEPAINT, 0, 0xFFFFFF, 0x00FF00), 0x00FF00u);  // ~S | D
  EXPECT_EQ(rop3(BLACKNESS, 0x123, 0x456, 0x789), 0u);
}

TEST(DrawingContextDib, RejectsHeadersItCannotRead) {
  TestDib bad(4, 4, 24);
  bad.header[14] = 12;  // 12 bits per pixel has no layout
  Canvas c;
  EXPECT_EQ(c.dc.stretchDIBits(0, 0, 4, 4, 0, 0, 4, 4, bad.bits.data(), bad.header.data(), 0, SRCCOPY), 0);
  EXPECT_EQ(c.count(kWhite), 40 * 30);
}
