#include "host/host_frame_input.h"

#include "image/image_buffer.h"
#include "image/pixel_packing.h"

namespace {
constexpr int kEditFrameWidth = 640;
constexpr int kEditFrameHeight = 480;
// The host's edit frames carry their packed pixels this far past the header pointer it returns.
constexpr size_t kEditPixelOffset = 37;

bool validFrameSize(int32_t width, int32_t height) {
  return width > 0 && height > 0 && width <= ImageBuffer::kMaxSide && height <= ImageBuffer::kMaxSide;
}
}  // namespace

bool fetchEditFrame(const ActionRecord& record, int frame, ImageBuffer& into) {
  if (!record.frameFetch) return false;
  FrameHeader request{};
  request.size = sizeof request;
  request.width = kEditFrameWidth;
  request.height = kEditFrameHeight;
  request.planes = 1;
  request.bitCount = 24;
  FrameHeader* header = &request;
  if (record.frameFetch(0, frame, &header, record.fetchUserValue) != 1 || !header) return false;
  if (!into.create(kEditFrameWidth, kEditFrameHeight, 32)) return false;
  const uint8_t* in = reinterpret_cast<const uint8_t*>(header) + kEditPixelOffset;
  uint8_t* out = into.pixels();
  // 640 x 32 bits has no row padding, so memory order is pixel order; the fourth byte stays as it was.
  unpack24To32(in, out, size_t(kEditFrameWidth) * kEditFrameHeight);
  return true;
}

bool copySourceFrame(const ActionRecord& record, ImageBuffer& into) {
  const FrameHeader* h = record.sourceHeader;
  const uint8_t* in = record.sourcePixels;
  // A record without a usable source frame leaves the background as it was, like a failed fetch.
  if (!h || !in || !validFrameSize(h->width, h->height)) return false;
  const int bytes = h->bitCount / 8;
  if (bytes != 3 && bytes != 4) return false;
  if (!into.create(h->width, h->height, 32)) return false;
  uint8_t* out = into.pixels();
  const size_t count = size_t(h->width) * h->height;
  if (bytes == 3) unpack24To32(in, out, count);
  else copyColours32(in, out, count);
  return true;
}

bool HostFrameInput::fetchFrame(int frame, ImageBuffer& into) {
  if (!record_) return true;
  switch (record_->action) {
    case KM_ACTION_EDIT: return fetchEditFrame(*record_, frame, into);
    case KM_ACTION_RENDER: return copySourceFrame(*record_, into);
    default: return true;
  }
}
