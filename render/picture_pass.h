#pragma once
// One picture pass, worked out once per picture: where its box falls on the output, the source steps
// per output column and line, and the walk over the box. The per-pixel work is a kernel (ordinary
// blend or one brush) chosen once per picture, so the inner loop holds only additions, one bilinear
// sample and the kernel's integer blend.
#include <cstddef>
#include <cstdint>

#include "image/image_buffer.h"
#include "show/key_frame.h"

struct PicturePass {
  int picW = 0, picH = 0;  // the picture's size in pixels
  int outW = 0, outH = 0;  // the output's size in pixels
  int lineFactor = 1;      // t: 2 when the output holds one field
  bool skipParity = false;
  int parity = 0;          // frame-line parity skipped when skipParity
  int amount255 = 0;       // g: the state's amount as 0..255

  double cosT = 1, sinT = 0;  // of minus the rotation
  double stepX = 0;           // F: source columns per output column
  double stepY = 0;           // E: source lines per frame line
  double colStepX = 0, colStepY = 0;  // c*F and s*F, added per output column
  double left = 0, top = 0;           // the rotated box in output pixels (frame lines vertically)

  int firstColumn = 0, columnEnd = 0;  // columns drawn: [firstColumn, columnEnd)
  int firstLine = 0, lineEnd = 0;      // frame lines walked: [firstLine, lineEnd)

  double dx0 = 0;         // first column's source x relative to the picture centre, before rotation
  double lineStart = 0;   // the line accumulator at the first line
  double lineOffset = 0;  // source lines between the box's top and the picture's top
  double startAdvance = 0;  // column steps skipped when the box starts left of the output

  double maxSx = 0, maxSy = 0;  // last source position that still has its neighbours
  int neighbourColumns = 1;     // Q
  int neighbourRows = 1;        // R
};

// Works out the pass. Returns false when nothing of the picture can be drawn: an unusable size or
// position (zero, negative or not finite), an empty stage, or a box entirely off the output.
// The images must be created 32-bit buffers.
bool setUpPass(const ImageBuffer& picture, const ImageBuffer& output, const KeyFrame& state, int mode,
               int stageWidth, int stageHeight, PicturePass& pass);

// The two source rows and columns around one source position and its fractions.
struct BilinearTap {
  const uint8_t* upper;  // picture line n
  const uint8_t* lower;  // R rows further down the picture
  int j, jq;             // byte offsets of column j and its neighbour j + Q
  double fx, fy;

  int at(int byte) const {
    const int u0 = upper[j + byte], l0 = lower[j + byte];
    const double top = u0 + (upper[jq + byte] - u0) * fx;
    const double low = l0 + (lower[jq + byte] - l0) * fx;
    return int(top + (low - top) * fy);
  }
};

// Walks the box's lines top to bottom and hands every line inside [bandBegin, bandEnd) of the output
// to the line kernel:
//   lineKernel(frameLine, outputLine, outRow, sx, sy)
// outRow is the output line's first byte (outputLine is counted from the top); sx and sy are the
// source position of column firstColumn, from which the kernel steps by colStepX and colStepY per
// column. The line accumulator still steps through every line before the band, so a band sees exactly
// the positions a whole walk gives it.
template <class LineKernel>
void walkPassLines(const PicturePass& p, uint8_t* outBase, std::ptrdiff_t outStride, LineKernel&& lineKernel,
                   int bandBegin, int bandEnd) {
  const int outH = p.outH, lineFactor = p.lineFactor, parity = p.parity, lineEnd = p.lineEnd;
  const bool skipParity = p.skipParity;
  const double halfH = p.picH / 2.0, halfW = p.picW / 2.0;
  const double cosT = p.cosT, sinT = p.sinT, stepY = p.stepY, colStepX = p.colStepX, colStepY = p.colStepY;
  const double lineOffset = p.lineOffset, startAdvance = p.startAdvance;
  const double sxBase = halfW + cosT * p.dx0, syBase = halfH + sinT * p.dx0;
  double accumulator = p.lineStart;
  for (int line = p.firstLine; line < lineEnd; ++line) {
    const double dy = accumulator - halfH + lineOffset;
    accumulator += stepY;  // the accumulator advances on skipped lines too
    if (skipParity && line % 2 == parity) continue;
    const int outLine = line / lineFactor;
    if (outLine < bandBegin) continue;
    if (outLine >= bandEnd) break;
    double sx = sxBase - sinT * dy;
    double sy = syBase + cosT * dy;
    if (startAdvance > 0) {
      sx += startAdvance * colStepX;
      sy += startAdvance * colStepY;
    }
    lineKernel(line, outLine, outBase + outStride * (outH - 1 - outLine), sx, sy);
  }
}

// Walks the box line by line, top to bottom and left to right, and hands every output pixel whose
// source position can be sampled to the kernel:
//   kernel.beginLine(frameLine, outputLine)
//   kernel.pixel(column, frameLine, outputLine, pixel, tap)
// `pixel` points at the output pixel; outputLine is counted from the top. Only output lines in
// [bandBegin, bandEnd) are handed over (see walkPassLines).
//
// Takes raw rows rather than images and calls nothing but the kernel, so that it can be instantiated
// in a file built for a newer instruction set without leaving such code behind in shared functions.
template <class Kernel>
void walkPassRows(const PicturePass& p, const uint8_t* picBase, std::ptrdiff_t picStride, uint8_t* outBase,
                  std::ptrdiff_t outStride, Kernel& kernel, int bandBegin, int bandEnd) {
  // Everything the column loop reads, in locals: the stores through `pixel` may alias any memory, so
  // fields read through `p` would be loaded again for every pixel.
  const int picW = p.picW, picH = p.picH, firstColumn = p.firstColumn, columnEnd = p.columnEnd;
  const int neighbourColumns = p.neighbourColumns, neighbourRows = p.neighbourRows;
  const double colStepX = p.colStepX, colStepY = p.colStepY, maxSx = p.maxSx, maxSy = p.maxSy;
  const auto columns = [=, &kernel](int line, int outLine, uint8_t* outRow, double sx, double sy) {
    kernel.beginLine(line, outLine);
    for (int column = firstColumn; column < columnEnd; ++column, sx += colStepX, sy += colStepY) {
      if (!(sx >= 0 && sx <= maxSx && sy >= 0 && sy <= maxSy)) continue;
      int n = int(picH - sy);
      if (n > picH - 1) n = picH - 1;
      // At sy = 0 with a neighbour distance of the whole picture height the row below would lie
      // before the first row; it is weighted by frac(sy) = 0 there, so the bottom row stands in.
      int lower = n - neighbourRows;
      if (lower < 0) lower = 0;
      const int j = int(sx);
      int jq = j + neighbourColumns;
      if (jq > picW - 1) jq = picW - 1;
      const BilinearTap tap{picBase + picStride * n, picBase + picStride * lower, 4 * j, 4 * jq, sx - j,
                            sy - int(sy)};
      kernel.pixel(column, line, outLine, outRow + 4 * column, tap);
    }
  };
  walkPassLines(p, outBase, outStride, columns, bandBegin, bandEnd);
}

// The whole walk, or the output lines [bandBegin, bandEnd) of it.
template <class Kernel>
void walkPass(const PicturePass& p, const ImageBuffer& picture, ImageBuffer& output, Kernel& kernel,
              int bandBegin = 0, int bandEnd = ImageBuffer::kMaxSide) {
  walkPassRows(p, picture.pixels(), picture.rowStep(), output.pixels(), output.rowStep(), kernel, bandBegin,
               bandEnd);
}
