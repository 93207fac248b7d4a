#include "app/show_block.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kHeaderSize = 334;
constexpr size_t kRecordSize = 298;
constexpr size_t kKeySize = 56;

struct Reader {
  const uint8_t* p;
  bool swapped;
  uint32_t u32(size_t at) const {
    uint32_t v;
    std::memcpy(&v, p + at, 4);
    return swapped ? __builtin_bswap32(v) : v;
  }
};

}  // namespace

bool readShowBlock(const std::string& path, ShowBlock& block, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    error = "cannot read show '" + path + "': " + std::strerror(errno);
    return false;
  }
  std::vector<uint8_t> bytes(KM_PARAMETER_BLOCK_SIZE + 1);
  const size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
  const bool readError = std::ferror(f);
  std::fclose(f);
  if (readError) {
    error = "cannot read show '" + path + "': read error";
    return false;
  }
  if (n > KM_PARAMETER_BLOCK_SIZE) {
    error = "show '" + path + "' is larger than the 64000-byte parameter block";
    return false;
  }
  // A show cut short would render with pictures silently missing; every command refuses it alike.
  if (!parseStoredShow(bytes.data(), n, block.show, error)) {
    error = path + ": " + error;
    return false;
  }
  block.bytes.assign(KM_PARAMETER_BLOCK_SIZE, 0);
  std::memcpy(block.bytes.data(), bytes.data(), n);
  return true;
}

int storedShowLength(const ShowBlock& block) {
  const uint8_t* p = block.bytes.data();
  const Reader r{p, p[0] == 0x12 && p[1] == 0x34};
  const size_t length = std::min<size_t>(r.u32(4), KM_PARAMETER_BLOCK_SIZE);
  int lastKey = 0;
  float recorded = 0;
  size_t offset = kHeaderSize;
  for (int i = 0; i <= 31 && offset + 326 < length; ++i) {
    const uint32_t keys = r.u32(offset + 294);
    if (keys == 0 || keys > 128 || offset + kRecordSize + keys * kKeySize > KM_PARAMETER_BLOCK_SIZE) break;
    const size_t first = offset + kRecordSize;
    if (i == 0) {
      const uint32_t bits = r.u32(first + 11 * 4);
      std::memcpy(&recorded, &bits, 4);
    }
    for (uint32_t k = 0; k < keys; ++k) lastKey = std::max(lastKey, int(int32_t(r.u32(first + k * kKeySize + 12 * 4))));
    offset += kRecordSize + keys * kKeySize;
  }
  if (std::isfinite(recorded) && recorded >= 1 && recorded < 1e7f) return int(recorded);
  return std::max(1, lastKey + 1);
}
