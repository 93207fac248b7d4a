#include "app/media/host_frame.h"

#include <cstring>
#include <stdexcept>
#include <string>

void HostFrame::create(int width, int height, int bitsPerPixel, bool padded) {
  header = FrameHeader{};
  header.size = sizeof(FrameHeader);
  header.width = width;
  header.height = height;
  header.planes = 1;
  header.bitCount = uint16_t(bitsPerPixel);
  // Sizes come from the command line and from files: worked out wide, so that no product overflows,
  // and refused when the header's 32-bit fields could not describe the frame.
  const int64_t packed = int64_t(width) * (bitsPerPixel / 8);
  const int64_t step = padded ? (packed + 3) & ~int64_t(3) : packed;
  const int64_t bytes = step * int64_t(height);
  if (width < 0 || height < 0 || bitsPerPixel < 0 || step > INT32_MAX || bytes > int64_t(UINT32_MAX))
    throw std::length_error("a frame of " + std::to_string(width) + " x " + std::to_string(height) +
                            " pixels is too large");
  rowStep = int(step);
  header.sizeImage = uint32_t(bytes);
  pixels.assign(size_t(bytes), 0);
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
