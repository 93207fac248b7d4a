#pragma once
// The stored show: the byte form of a show in the host's parameter block and in ".kmv" files.
// StoredShow holds every byte of a stored show in named fields, so that reading and writing it again
// gives the same bytes, and so that tools can inspect a show without loading its pictures.
//
// Layout (numbers little-endian; a show written big-endian reads its magic as 0x3412 and has every
// number below byte-reversed; FileSpecs are copied as they are):
//   0    magic 0x1234 (2)       2 change stamp (2)      4 length = bytes of data + 4 (4)
//   8    background FileSpec (262)   270 video colours (1)   271 alpha blur (1)   272 zero (62)
//   334  picture records: FileSpec (262), brush code, tint colour, two reserved words (4 each),
//        lock (1), zero (15), key count n (4), n keys of 56 bytes (fields 0..12 as 32-bit numbers,
//        field 13 as two 16-bit halves)
//        then, when the show has a sound track: its FileSpec (262) and a 32-bit zero
//   then 4 bytes that the length counts and that carry no meaning.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_spec.h"
#include "show/key_frame.h"

constexpr uint16_t kStoredShowMagic = 0x1234;
constexpr size_t kStoredHeaderSize = 334;
constexpr size_t kStoredRecordSize = 298;
constexpr size_t kStoredSoundTrackSize = 266;
constexpr size_t kStoredKeySize = 56;
constexpr size_t kStoredTrailerSize = 4;
constexpr int kStoredMaxPictures = 30;
constexpr int kStoredMaxKeys = 128;
// The host keeps a show in a parameter block of this size.
constexpr size_t kParameterBlockSize = 64000;
// The largest legal show: 30 pictures of 128 keys and a sound track.
constexpr size_t kMaxStoredShowSize = kStoredHeaderSize +
                                      kStoredMaxPictures * (kStoredRecordSize + kStoredMaxKeys * kStoredKeySize) +
                                      kStoredSoundTrackSize + kStoredTrailerSize;

struct StoredPicture {
  FileSpec file;
  int32_t brushCode = 0;
  uint32_t tintColour = 255;
  uint32_t reserved[2] = {0, 0};
  uint8_t lock = 0;
  std::array<uint8_t, 15> padding{};  // zero as written; kept as found
  std::vector<KeyFrame> keys;         // 1..128
};

struct StoredShow {
  bool bigEndian = false;
  uint16_t changeStamp = 0;
  FileSpec background;
  uint8_t videoColours = 1;  // the bytes as stored; a show reads any non-zero value as on
  uint8_t alphaBlur = 1;
  std::array<uint8_t, 62> headerPadding{};
  std::vector<StoredPicture> pictures;
  bool hasSoundTrack = false;
  FileSpec soundTrack;
  uint32_t soundTrackWord = 0;
  // Counted bytes behind the last record that form no record (never written by a store).
  std::vector<uint8_t> unusedData;
  std::array<uint8_t, 4> trailer{};

  // Bytes the encoded show takes, the length field's value.
  size_t encodedSize() const;
};

// Reads a stored show from size bytes. Never reads outside them or past the stored length. On failure
// returns false with a one-line description of the problem in error, and leaves out unspecified.
bool parseStoredShow(const uint8_t* data, size_t size, StoredShow& out, std::string& error);

// The bytes of a stored show, in the show's byte order. A picture without keys is written with one
// (a record with key count 0 would read back as the sound track and end the show there).
std::vector<uint8_t> encodeStoredShow(const StoredShow& show);
