// Frames composed from fuzzed shows over small fuzzed pictures. The input is a 16-byte header (output
// size, time, field, switches, background), a count of picture bytes and those bytes, then a stored
// show. Pictures are never read from files: every slot gets a picture of at most 24 x 24 pixels made
// from the picture bytes, so the work of one frame stays small whatever the keys say. A frame drawn
// twice from the same show is the same frame, and both ways of blurring give the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "image/image_buffer.h"
#include "platform/settings_file.h"
#include "render/render_show.h"
#include "render/show_render_options.h"
#include "show/show_state.h"
#include "show/stored_show.h"

namespace {

ShowState& show() {
  static SettingsFile settingsText;
  static auto instance = std::make_unique<ShowState>(settingsText);
  return *instance;
}

// Bytes taken in turn, again from the start when they run out (zeros when there are none).
class ByteSource {
 public:
  ByteSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t next() { return size_ ? data_[at_++ % size_] : 0; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

void makePicture(ImageBuffer& image, ByteSource& bytes) {
  const int width = 1 + bytes.next() % 24, height = 1 + bytes.next() % 24;
  // Loaded pictures are 32-bit; an 8-bit one must be drawn as nothing rather than misread.
  const int bits = bytes.next() % 8 == 0 ? 8 : 32;
  if (!image.create(width, height, bits)) std::abort();
  uint8_t* p = image.pixels();
  for (size_t i = 0; i < image.pixelBytes(); ++i) p[i] = bytes.next();
}

class FuzzedFrames : public FrameInput {
 public:
  explicit FuzzedFrames(ByteSource& bytes) : bytes_(bytes) {}
  bool fetchFrame(int, ImageBuffer& into) override {
    if (bytes_.next() % 5 == 0) return false;  // the host could not supply it
    makePicture(into, bytes_);
    if (into.bitsPerPixel() != 32) into.create(into.width(), into.height(), 32);
    return true;
  }

 private:
  ByteSource& bytes_;
};

std::vector<uint8_t> pixelsOf(const ImageBuffer& image) {
  return std::vector<uint8_t>(image.pixels(), image.pixels() + image.pixelBytes());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kHeader = 16;
  if (size < kHeader) return 0;
  const uint8_t* h = data;
  const size_t pictureBytes = std::min<size_t>(size_t(h[14] | h[15] << 8), size - kHeader);
  StoredShow stored;
  std::string error;
  if (!parseStoredShow(data + kHeader + pictureBytes, size - kHeader - pictureBytes, stored, error)) return 0;
  // No file named by the input is opened.
  stored.background.path[0] = 0;
  stored.soundTrack.path[0] = 0;
  for (StoredPicture& p : stored.pictures) p.file.path[0] = 0;

  ShowState& s = show();
  s.newShow();
  s.applyStored(stored);
  ByteSource bytes(data + kHeader, pictureBytes);
  for (int i = 0; i < s.pictureCount; ++i) makePicture(s.slots[i].image, bytes);
  const uint8_t flags = h[8];
  s.fastDisplay = flags & 2 ? 1 : 0;
  s.alphaBlur = flags & 4 ? 1 : 0;
  s.videoColours = flags & 8 ? 1 : 0;
  s.flopTopField = flags & 16 ? 1 : 0;
  s.fieldSwap = flags & 32 ? 1 : 0;
  s.backgroundMode = flags >> 6;
  makePicture(s.backgroundPicture, bytes);

  int32_t time;
  std::memcpy(&time, h + 2, 4);
  const int fieldMode = h[6] % 4;  // 3 is no mode: drawn as a frame
  const int lineFlag = h[7] % 3;
  const int width = 1 + h[0] % 64, height = 1 + h[1] % 48;
  // The stage's working states, for a negative time (the editor's view of a drag).
  std::vector<KeyFrame> working(kSlotCount);
  const bool useWorking = h[9] & 1;
  if (useWorking)
    for (KeyFrame& k : working) {
      uint8_t raw[sizeof(KeyFrame)];
      for (uint8_t& b : raw) b = bytes.next();
      std::memcpy(&k, raw, sizeof k);
    }

  auto render = [&](ImageBuffer& output, ImageBuffer& background) {
    // The frames the host supplies depend on the bytes alone, so both renders get the same ones.
    ByteSource frameBytes(data + kHeader, pictureBytes);
    FuzzedFrames frames(frameBytes);
    if (!output.create(width, height, 32)) std::abort();
    std::memset(output.pixels(), h[10], output.pixelBytes());
    if (!renderShow(s, renderOptionsOf(s), time, fieldMode, lineFlag, output, flags & 1 ? &frames : nullptr, background,
                    useWorking ? working.data() : nullptr))
      std::abort();
  };
  ImageBuffer first, second, background1, background2;
  render(first, background1);
  render(second, background2);
  if (pixelsOf(first) != pixelsOf(second)) std::abort();

  // Each picture alone, blurred both ways, over the frame just drawn.
  const int stageWidth = s.stageWidth(), stageHeight = s.stageHeight();
  for (int i = 0; i < s.pictureCount && i < 4; ++i) {
    const PictureSlot& slot = s.slots[i];
    if (slot.brushCode < kBrushBlur || slot.brushCode >= kBrushBlur + 1000) continue;
    KeyFrame state;
    s.stateAt(state, i, time, false);
    ImageBuffer running, direct;
    first.copyTo(running, true);
    first.copyTo(direct, true);
    const int mode = h[11] % 2 ? kModeFieldOddLines : kModeProgressive;
    drawPicture(slot.image, running, state, slot.brushCode, slot.tintColour, mode, stageWidth, stageHeight,
                BlurMethod::runningSum);
    drawPicture(slot.image, direct, state, slot.brushCode, slot.tintColour, mode, stageWidth, stageHeight,
                BlurMethod::direct);
    if (pixelsOf(running) != pixelsOf(direct)) std::abort();
  }
  return 0;
}
