#pragma once
// One key of a picture's track: 14 fields of 32 bits, 56 bytes, also its stored form. The same record
// serves as a picture's state at a time, the keyframe clipboard and an undo entry.
#include <cstdint>
#include <cstring>

struct KeyFrame {
  float x = 0;               // 0: centre, horizontal
  uint32_t reserved1 = 0;    // 1
  float y = 0;               // 2: centre, vertical (downwards)
  float width = 0;           // 3
  float height = 0;          // 4
  uint32_t reserved5 = 0;    // 5
  uint32_t reserved6 = 0;    // 6
  float rotation = 0;        // 7: degrees
  float easeCode = 0;        // 8: ease option of the segment that starts here
  uint32_t reserved9 = 0;    // 9: copied from the track's first key when a key is set
  float amount = 0;          // 10: transparency in percent, or a brush's strength
  uint32_t reserved11 = 0;   // 11: the show length as a float in each track's first key when stored
  int32_t time = 0;          // 12: frame number
  uint16_t tag = 0;          // 13, first half: picture index in undo entries
  uint16_t flags = 0;        // 13, second half: undo code in undo entries

  static constexpr int kFields = 14;

  // Field i read as a float, as interpolation reads it.
  float field(int i) const {
    float v;
    std::memcpy(&v, reinterpret_cast<const char*>(this) + 4 * i, 4);
    return v;
  }
  void setField(int i, float v) { std::memcpy(reinterpret_cast<char*>(this) + 4 * i, &v, 4); }
  uint32_t word(int i) const {
    uint32_t v;
    std::memcpy(&v, reinterpret_cast<const char*>(this) + 4 * i, 4);
    return v;
  }
  void setWord(int i, uint32_t v) { std::memcpy(reinterpret_cast<char*>(this) + 4 * i, &v, 4); }
};
static_assert(sizeof(KeyFrame) == 56, "a KeyFrame is 56 bytes");

// Field numbers for interpolation.
enum KeyField : int {
  kFieldX = 0,
  kFieldY = 2,
  kFieldWidth = 3,
  kFieldHeight = 4,
  kFieldRotation = 7,
  kFieldEaseCode = 8,
  kFieldAmount = 10,
  kFieldTime = 12,
};
