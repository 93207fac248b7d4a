#include "show/stored_show.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

uint16_t swap16(uint16_t v) { return uint16_t((v >> 8) | (v << 8)); }
uint32_t swap32(uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

// Reads numbers from a byte range in the show's order; every read is checked by the caller's layout
// arithmetic against the range before it happens.
class Reader {
 public:
  Reader(const uint8_t* data, bool swapped) : data_(data), swapped_(swapped) {}
  uint16_t u16(size_t at) const {
    uint16_t v;
    std::memcpy(&v, data_ + at, 2);
    return swapped_ ? swap16(v) : v;
  }
  uint32_t u32(size_t at) const {
    uint32_t v;
    std::memcpy(&v, data_ + at, 4);
    return swapped_ ? swap32(v) : v;
  }
  FileSpec fileSpec(size_t at) const {
    FileSpec f;
    std::memcpy(&f, data_ + at, sizeof f);
    return f;
  }
  KeyFrame key(size_t at) const {
    KeyFrame k;
    for (int i = 0; i < 13; ++i) k.setWord(i, u32(at + 4 * size_t(i)));
    k.tag = u16(at + 52);
    k.flags = u16(at + 54);
    return k;
  }

 private:
  const uint8_t* data_;
  bool swapped_;
};

class Writer {
 public:
  Writer(std::vector<uint8_t>& out, bool swapped) : out_(out), swapped_(swapped) {}
  void u16(uint16_t v) {
    if (swapped_) v = swap16(v);
    bytes(&v, 2);
  }
  void u32(uint32_t v) {
    if (swapped_) v = swap32(v);
    bytes(&v, 4);
  }
  void bytes(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    out_.insert(out_.end(), b, b + n);
  }
  void key(const KeyFrame& k) {
    for (int i = 0; i < 13; ++i) u32(k.word(i));
    u16(k.tag);
    u16(k.flags);
  }

 private:
  std::vector<uint8_t>& out_;
  bool swapped_;
};

std::string format(const char* fmt, auto... args) {
  char text[256];
  std::snprintf(text, sizeof text, fmt, args...);
  return text;
}

}  // namespace

size_t StoredShow::encodedSize() const {
  size_t size = kStoredHeaderSize;
  for (const StoredPicture& p : pictures) size += kStoredRecordSize + kStoredKeySize * std::max<size_t>(p.keys.size(), 1);
  if (hasSoundTrack) size += kStoredSoundTrackSize;
  return size + unusedData.size() + kStoredTrailerSize;
}

bool parseStoredShow(const uint8_t* data, size_t size, StoredShow& out, std::string& error) {
  if (!data || size < 2) {
    error = "not a stored show (no data)";
    return false;
  }
  uint16_t magic;
  std::memcpy(&magic, data, 2);
  const bool swapped = magic == swap16(kStoredShowMagic);
  if (magic != kStoredShowMagic && !swapped) {
    error = format("not a stored show (magic number %02X %02X, expected 34 12)", data[0], data[1]);
    return false;
  }
  const size_t minimum = kStoredHeaderSize + kStoredTrailerSize;
  if (size < minimum) {
    error = format("truncated: %zu bytes, a stored show has at least %zu", size, minimum);
    return false;
  }
  const Reader in(data, swapped);
  const uint32_t length = in.u32(4);
  if (length < minimum) {
    error = format("stored length %u is below the %zu-byte minimum", length, minimum);
    return false;
  }
  if (length > size) {
    error = format("truncated: the stored length is %u bytes but only %zu are present", length, size);
    return false;
  }

  StoredShow show;
  show.bigEndian = swapped;
  show.changeStamp = in.u16(2);
  show.background = in.fileSpec(8);
  show.videoColours = data[270];
  show.alphaBlur = data[271];
  std::memcpy(show.headerPadding.data(), data + 272, show.headerPadding.size());

  const size_t dataEnd = length - kStoredTrailerSize;
  size_t at = kStoredHeaderSize;
  while (at < dataEnd) {
    const size_t remaining = dataEnd - at;
    // The sound-track record is the shorter one and closes the show; as a store writes it, its key
    // count position lies beyond the data, so the remaining size tells it apart.
    const bool soundTrackAtEnd = remaining == kStoredSoundTrackSize;
    if (!soundTrackAtEnd && remaining < kStoredRecordSize) break;
    const int32_t count = soundTrackAtEnd ? 0 : int32_t(in.u32(at + 294));
    if (count == 0) {
      show.hasSoundTrack = true;
      show.soundTrack = in.fileSpec(at);
      show.soundTrackWord = in.u32(at + 262);
      at += kStoredSoundTrackSize;
      break;
    }
    const int index = int(show.pictures.size());
    if (count < 0 || count > kStoredMaxKeys) {
      error = format("picture record %d at offset %zu has key count %d (allowed 1 to %d)", index + 1, at,
                     count, kStoredMaxKeys);
      return false;
    }
    if (index >= kStoredMaxPictures) {
      error = format("A show holds at most %d pictures; another picture record starts at offset %zu",
                     kStoredMaxPictures, at);
      return false;
    }
    const size_t recordSize = kStoredRecordSize + kStoredKeySize * size_t(count);
    if (recordSize > remaining) {
      error = format("truncated: picture record %d at offset %zu needs %zu bytes but only %zu remain", index + 1,
                     at, recordSize, remaining);
      return false;
    }
    StoredPicture p;
    p.file = in.fileSpec(at);
    p.brushCode = int32_t(in.u32(at + 262));
    p.tintColour = in.u32(at + 266);
    p.reserved[0] = in.u32(at + 270);
    p.reserved[1] = in.u32(at + 274);
    p.lock = data[at + 278];
    std::memcpy(p.padding.data(), data + at + 279, p.padding.size());
    p.keys.reserve(size_t(count));
    for (int k = 0; k < count; ++k) p.keys.push_back(in.key(at + kStoredRecordSize + kStoredKeySize * size_t(k)));
    show.pictures.push_back(std::move(p));
    at += recordSize;
  }
  show.unusedData.assign(data + at, data + dataEnd);
  std::memcpy(show.trailer.data(), data + dataEnd, show.trailer.size());
  out = std::move(show);
  return true;
}

std::vector<uint8_t> encodeStoredShow(const StoredShow& show) {
  std::vector<uint8_t> bytes;
  const size_t size = show.encodedSize();
  bytes.reserve(size);
  Writer out(bytes, show.bigEndian);
  out.u16(kStoredShowMagic);
  out.u16(show.changeStamp);
  out.u32(uint32_t(size));
  out.bytes(&show.background, sizeof show.background);
  out.bytes(&show.videoColours, 1);
  out.bytes(&show.alphaBlur, 1);
  out.bytes(show.headerPadding.data(), show.headerPadding.size());
  for (const StoredPicture& p : show.pictures) {
    out.bytes(&p.file, sizeof p.file);
    out.u32(uint32_t(p.brushCode));
    out.u32(p.tintColour);
    out.u32(p.reserved[0]);
    out.u32(p.reserved[1]);
    out.bytes(&p.lock, 1);
    out.bytes(p.padding.data(), p.padding.size());
    if (p.keys.empty()) {
      out.u32(1);
      out.key(KeyFrame{});
    } else {
      out.u32(uint32_t(p.keys.size()));
      for (const KeyFrame& k : p.keys) out.key(k);
    }
  }
  if (show.hasSoundTrack) {
    out.bytes(&show.soundTrack, sizeof show.soundTrack);
    out.u32(show.soundTrackWord);
  }
  out.bytes(show.unusedData.data(), show.unusedData.size());
  out.bytes(show.trailer.data(), show.trailer.size());
  return bytes;
}
