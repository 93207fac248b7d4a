// The plug-in's entry points as a hostile host calls them: one to three calls of vfAction (render or
// any other action) or vfGetInfo (reset), with frame headers that claim sizes and depths the plug-in
// must refuse, missing headers, pixels and parameter chains, any frame number, field mode and rate
// code, and a parameter block made of the input. The host's buffers are exactly as large as its
// headers say, so a read or write past them is caught by AddressSanitizer.
//
// A call answers 0 or 1; it never changes the source frame, the headers or the parameter block (a
// reset only clears the block's first byte); a destination the plug-in cannot fill answers 0; the
// same render asked twice gives the same pixels (the padding at the end of each row is the host's and
// may be left as it was). The edit action (0) is left out: it runs the editor.
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "host/frame_timing.h"
#include "host/host_records.h"
#include "host/plugin_context.h"
#include "show/stored_show.h"

namespace {

// A plain array: this constructor runs before the dynamic initialisation of the program's objects,
// which would reset (and leak) a std::string set here.
char gConfigFolder[] = "/tmp/km-vf-action-fuzz-XXXXXX";
bool gConfigFolderMade = false;

// Before the plug-in's own start-up: its settings go to a folder of their own, and no window opens.
__attribute__((constructor(101))) void chooseFolders() {
  gConfigFolderMade = mkdtemp(gConfigFolder) != nullptr;
  setenv("KESTRELMOVE_CONFIG_DIR", gConfigFolderMade ? gConfigFolder : "", 1);
  setenv("KESTRELMOVE_VIDEO", "headless", 1);
}

// After the plug-in's shut-down has written its settings there.
__attribute__((destructor(101))) void removeFolders() {
  std::error_code ec;
  if (gConfigFolderMade) std::filesystem::remove_all(gConfigFolder, ec);
}

class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t u8() { return at_ < size_ ? data_[at_++] : 0; }
  int32_t i32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(u8()) << (8 * i);
    return int32_t(v);
  }
  const uint8_t* rest(size_t& size) const {
    size = size_ - std::min(at_, size_);
    return data_ + std::min(at_, size_);
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// Sizes a host might claim: small real ones, or ones no frame can have.
int32_t side(uint8_t choice) {
  static const int32_t hostile[] = {0, -1, -48, 8193, 65536, INT_MAX, INT_MIN, 100000};
  return choice < 200 ? 1 + choice % 40 : hostile[choice % 8];
}

uint16_t depth(uint8_t choice) {
  static const uint16_t depths[] = {24, 32, 24, 32, 0, 8, 16, 33, 48, 65535, 31, 1};
  return depths[choice % 12];
}

bool frameFits(const FrameHeader& h) {
  const int bytes = h.bitCount / 8;
  return h.width > 0 && h.height > 0 && h.width <= 8192 && h.height <= 8192 && (bytes == 3 || bytes == 4);
}

struct HostFrameBuffers {
  FrameHeader header{};
  std::vector<uint8_t> pixels;

  void make(Bytes& in, bool padded, uint8_t fill) {
    header.size = 40;
    header.width = side(in.u8());
    header.height = side(in.u8());
    header.planes = 1;
    header.bitCount = depth(in.u8());
    // What a host holds for a frame it can describe; a few bytes for one it cannot.
    size_t bytes = 16;
    if (frameFits(header)) {
      const int32_t row = padded ? destinationRowStep(header.width, header.bitCount / 8)
                                 : header.width * (header.bitCount / 8);
      bytes = size_t(row) * size_t(header.height);
    }
    pixels.assign(bytes, fill);
  }
};

// The pixels of two copies of a destination, row by row, without the rows' padding.
bool samePixels(const FrameHeader& h, const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  const size_t used = size_t(h.width) * (h.bitCount / 8);
  const size_t step = size_t(destinationRowStep(h.width, h.bitCount / 8));
  for (size_t row = 0; row < size_t(h.height); ++row)
    if (std::memcmp(a.data() + row * step, b.data() + row * step, used) != 0) return false;
  return true;
}

struct Call {
  ActionRecord record{};
  HostFrameBuffers source, destination;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Linked into a program rather than loaded, the plug-in's detach would run after the program's
  // statics are gone; it is done first instead (handlers registered later run earlier).
  static const bool detachFirst = std::atexit([] { detachPlugin(); }) == 0;
  (void)detachFirst;
  // Each input starts from an empty show, so that a failure replays from its input alone.
  vfGetInfo(0, 0, KM_INFO_RESET, nullptr);
  Bytes in(data, size);
  const int calls = 1 + in.u8() % 3;
  std::vector<Call> plan(calls);
  std::vector<uint8_t> kinds(calls), nulls(calls);
  for (int c = 0; c < calls; ++c) {
    Call& call = plan[c];
    kinds[c] = in.u8();
    nulls[c] = in.u8();
    ActionRecord& r = call.record;
    r.action = kinds[c] % 8 < 6 ? KM_ACTION_RENDER : in.i32();
    if (r.action == KM_ACTION_EDIT) r.action = 1;
    r.fieldMode = in.u8() % 2 ? in.i32() : 0;
    r.frameRateCode = int8_t(in.u8());
    r.length = in.i32();
    r.frameNumber = in.u8() % 2 ? in.i32() : in.u8();
    call.source.make(in, false, in.u8());
    call.destination.make(in, true, 0xA5);
  }

  // The parameter block: the rest of the input. A show it holds must name no files, so that nothing
  // outside is opened: its paths are emptied (a stored show writes back to its own bytes).
  std::vector<uint8_t> block(KM_PARAMETER_BLOCK_SIZE, 0);
  size_t restSize = 0;
  const uint8_t* rest = in.rest(restSize);
  std::memcpy(block.data(), rest, std::min<size_t>(restSize, block.size()));
  StoredShow parsed;
  std::string error;
  if (parseStoredShow(block.data(), block.size(), parsed, error)) {
    parsed.background.path[0] = 0;
    parsed.soundTrack.path[0] = 0;
    for (StoredPicture& p : parsed.pictures) p.file.path[0] = 0;
    const std::vector<uint8_t> bytes = encodeStoredShow(parsed);
    // A show that would not fit again (its length field counts more than the block) holds no show.
    if (bytes.size() > block.size()) std::fill(block.begin(), block.end(), 0);
    else std::memcpy(block.data(), bytes.data(), bytes.size());
  }
  std::vector<uint8_t> expectedBlock = block;

  HostParameters parameters{0, block.data()};
  HostProject project{{0, 0, 0}, &parameters};
  std::vector<uint8_t> lastPixels;
  for (int c = 0; c < calls; ++c) {
    Call& call = plan[c];
    ActionRecord& r = call.record;
    const uint8_t n = nulls[c];
    parameters.parameterBlock = n & 1 ? nullptr : block.data();
    project.parameters = n & 2 ? nullptr : &parameters;
    r.project = n & 4 ? nullptr : &project;
    r.sourceHeader = n & 8 ? nullptr : &call.source.header;
    r.sourcePixels = n & 16 ? nullptr : call.source.pixels.data();
    r.destinationHeader = n & 32 ? nullptr : &call.destination.header;
    r.destinationPixels = n & 64 ? nullptr : call.destination.pixels.data();
    const bool blockReachable = (n & 7) == 0;

    const FrameHeader sourceHeader = call.source.header, destinationHeader = call.destination.header;
    const std::vector<uint8_t> sourcePixels = call.source.pixels;
    int32_t result;
    if (kinds[c] % 8 == 7) {
      InfoRecord info{};
      info.parameters = n & 128 ? nullptr : (blockReachable ? &parameters : nullptr);
      result = vfGetInfo(0, 0, KM_INFO_RESET, n & 64 ? nullptr : &info);
      if (info.parameters && !(n & 64)) expectedBlock[0] = 0;
    } else {
      result = vfAction(0, &r);
      const bool fillable = r.destinationHeader && r.destinationPixels && frameFits(destinationHeader);
      if (r.action == KM_ACTION_RENDER && !fillable && result != 0) std::abort();
      if (r.action == KM_ACTION_RENDER && result == 1 && c == calls - 1) {
        // The same call again: the show is loaded and the background fetched, so only the pixels count.
        lastPixels = call.destination.pixels;
        std::fill(call.destination.pixels.begin(), call.destination.pixels.end(), 0x5A);
        if (vfAction(0, &r) != 1 || !samePixels(destinationHeader, call.destination.pixels, lastPixels)) std::abort();
      }
    }
    if (result != 0 && result != 1) std::abort();
    if (std::memcmp(&sourceHeader, &call.source.header, sizeof sourceHeader) != 0 ||
        std::memcmp(&destinationHeader, &call.destination.header, sizeof destinationHeader) != 0 ||
        sourcePixels != call.source.pixels || block != expectedBlock)
      std::abort();
  }
  return 0;
}
