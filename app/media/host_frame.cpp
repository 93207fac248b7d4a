#include "app/media/host_frame.h"

#include <cstring>

void HostFrame::create(int width, int height, int bitsPerPixel, bool padded) {
  header = FrameHeader{};
  header.size = sizeof(FrameHeader);
  header.width = width;
  header.height = height;
  header.planes = 1;
  header.bitCount = uint16_t(bitsPerPixel);
  const int packed = width * (bitsPerPixel / 8);
  rowStep = padded ? (packed + 3) & ~3 : packed;
  header.sizeImage = uint32_t(rowStep) * uint32_t(height);
  pixels.assign(size_t(rowStep) * height, 0);
}

int fieldHeight(int frameHeight, int field) { return field == 1 ? (frameHeight + 1) / 2 : frameHeight / 2; }

void extractField(const HostFrame& frame, int field, HostFrame& out) {
  const int n = fieldHeight(frame.height(), field);
  out.create(frame.width(), n, frame.header.bitCount, frame.rowStep != frame.width() * frame.bytesPerPixel());
  const int parity = field == 1 ? 0 : 1;
  const size_t bytes = size_t(frame.width()) * frame.bytesPerPixel();
  for (int k = 0; k < n; ++k) std::memcpy(out.line(k), frame.line(2 * k + parity), bytes);
}

void weaveFields(const HostFrame& field1, const HostFrame& field2, HostFrame& frame) {
  const size_t bytes = size_t(frame.width()) * frame.bytesPerPixel();
  for (int line = 0; line < frame.height(); ++line) {
    const HostFrame& field = line % 2 == 0 ? field1 : field2;
    std::memcpy(frame.line(line), field.line(line / 2), bytes);
  }
}
