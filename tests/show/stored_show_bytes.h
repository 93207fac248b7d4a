#pragma once
// A stored-show encoder written for the tests, field by field from the layout and separate from the
// one the show uses, so that tests can build blocks in either byte order (and damage them).
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testbytes {

struct ByteBuilder {
  bool bigEndian = false;
  std::vector<uint8_t> bytes;

  void u8(uint8_t v) { bytes.push_back(v); }
  void u16(uint16_t v) {
    if (bigEndian) {
      u8(uint8_t(v >> 8));
      u8(uint8_t(v));
    } else {
      u8(uint8_t(v));
      u8(uint8_t(v >> 8));
    }
  }
  void u32(uint32_t v) {
    if (bigEndian) {
      for (int s = 24; s >= 0; s -= 8) u8(uint8_t(v >> s));
    } else {
      for (int s = 0; s <= 24; s += 8) u8(uint8_t(v >> s));
    }
  }
  void f32(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    u32(v);
  }
  void zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
  // A file reference is copied as it lies in memory (little-endian numbers), never swapped.
  void fileSpec(const std::string& path, uint16_t volume = 0, uint32_t folder = 0) {
    u8(uint8_t(volume));
    u8(uint8_t(volume >> 8));
    for (int s = 0; s <= 24; s += 8) u8(uint8_t(folder >> s));
    const size_t start = bytes.size();
    zeros(256);
    std::memcpy(bytes.data() + start, path.data(), path.size() < 255 ? path.size() : 255);
  }
  // Patches the 32-bit length at offset 4.
  void setLength(uint32_t length) {
    ByteBuilder b{bigEndian, {}};
    b.u32(length);
    std::memcpy(bytes.data() + 4, b.bytes.data(), 4);
  }
};

struct TestKey {
  int32_t time = 0;
  float x = 0, y = 0, width = 0, height = 0, rotation = 0, easeCode = 0, amount = 0;
  uint32_t r1 = 0, r5 = 0, r6 = 0, r9 = 0, r11 = 0;
  uint16_t tag = 0, flags = 0;
};

struct TestPicture {
  std::string path;
  uint16_t volume = 0;
  uint32_t folder = 0;
  int32_t brush = 0;
  uint32_t tint = 255;
  uint32_t reserved0 = 0, reserved1 = 0;
  uint8_t lock = 0;
  std::vector<TestKey> keys;
};

// Header, records, optional sound track, the 4 counted bytes; the length is patched in at the end.
inline std::vector<uint8_t> buildShow(bool bigEndian, uint16_t stamp, const std::string& background,
                                      const std::vector<TestPicture>& pictures, const std::string& soundTrack = "",
                                      uint8_t videoColours = 1, uint8_t alphaBlur = 1) {
  ByteBuilder b{bigEndian, {}};
  b.u16(0x1234);
  b.u16(stamp);
  b.u32(0);
  b.fileSpec(background, 3, 0x01020304);
  b.u8(videoColours);
  b.u8(alphaBlur);
  b.zeros(62);
  for (const TestPicture& p : pictures) {
    b.fileSpec(p.path, p.volume, p.folder);
    b.u32(uint32_t(p.brush));
    b.u32(p.tint);
    b.u32(p.reserved0);
    b.u32(p.reserved1);
    b.u8(p.lock);
    b.zeros(15);
    b.u32(uint32_t(p.keys.size()));
    for (const TestKey& k : p.keys) {
      b.f32(k.x);
      b.u32(k.r1);
      b.f32(k.y);
      b.f32(k.width);
      b.f32(k.height);
      b.u32(k.r5);
      b.u32(k.r6);
      b.f32(k.rotation);
      b.f32(k.easeCode);
      b.u32(k.r9);
      b.f32(k.amount);
      b.u32(k.r11);
      b.u32(uint32_t(k.time));
      b.u16(k.tag);
      b.u16(k.flags);
    }
  }
  if (!soundTrack.empty()) {
    b.fileSpec(soundTrack);
    b.u32(0);
  }
  b.zeros(4);
  b.setLength(uint32_t(b.bytes.size()));
  return b.bytes;
}

}  // namespace testbytes
