#include "image/jpeg_scans.h"

namespace {

constexpr uint8_t kStartOfImage = 0xd8, kEndOfImage = 0xd9, kStartOfScan = 0xda, kTemporary = 0x01;

bool standalone(uint8_t marker) { return marker == kStartOfImage || marker == kTemporary || (marker >= 0xd0 && marker <= 0xd7); }

}  // namespace

long countJpegScans(const uint8_t* bytes, size_t size, long limit) {
  long scans = 0;
  size_t at = 0;
  while (at + 1 < size && scans <= limit) {
    if (bytes[at] != 0xff) {
      ++at;  // bytes between segments that no marker starts
      continue;
    }
    // Any number of fill bytes may come before a marker's code.
    size_t code = at + 1;
    while (code < size && bytes[code] == 0xff) ++code;
    if (code >= size) break;
    const uint8_t marker = bytes[code];
    at = code + 1;
    if (marker == 0 || standalone(marker)) continue;
    if (marker == kEndOfImage) break;
    if (at + 2 > size) break;
    const size_t length = size_t(bytes[at]) << 8 | bytes[at + 1];
    if (length < 2) break;
    at += length;
    if (marker != kStartOfScan) continue;
    ++scans;
    // The coded data runs to the next marker other than a stuffed zero or a restart marker.
    while (at + 1 < size) {
      if (bytes[at] == 0xff && bytes[at + 1] != 0 && !(bytes[at + 1] >= 0xd0 && bytes[at + 1] <= 0xd7) && bytes[at + 1] != 0xff)
        break;
      ++at;
    }
  }
  return scans;
}
