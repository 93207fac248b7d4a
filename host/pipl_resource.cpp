#include "host/pipl_resource.h"

#include <cstring>
#include <string_view>

namespace {

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

// A four-character code is a 32-bit number whose first character is the high byte; stored
// little-endian, "8BIM" becomes the bytes "MIB8".
void putCode(std::vector<uint8_t>& out, std::string_view code) {
  uint32_t v = 0;
  for (char c : code) v = (v << 8) | uint8_t(c);
  put32(out, v);
}

void putProperty(std::vector<uint8_t>& out, std::string_view key, const std::vector<uint8_t>& data) {
  putCode(out, "8BIM");
  putCode(out, key);
  put32(out, 0);
  put32(out, uint32_t(data.size()));
  out.insert(out.end(), data.begin(), data.end());
  while (out.size() % 4) out.push_back(0);
}

std::vector<uint8_t> codeData(std::string_view code) {
  std::vector<uint8_t> d;
  putCode(d, code);
  return d;
}

std::vector<uint8_t> numberData(uint32_t v) {
  std::vector<uint8_t> d;
  put32(d, v);
  return d;
}

// A length-prefixed name, zero-padded to `size` bytes.
std::vector<uint8_t> nameData(std::string_view text, size_t size) {
  std::vector<uint8_t> d(size, 0);
  d[0] = uint8_t(text.size());
  std::memcpy(d.data() + 1, text.data(), text.size());
  return d;
}

std::vector<uint8_t> buildPipl() {
  std::vector<uint8_t> out;
  put32(out, 1);
  put32(out, 0);
  put32(out, 6);
  putProperty(out, "kind", codeData("VFlt"));
  putProperty(out, "name", nameData(" Kestrelmove", 16));
  putProperty(out, "eMNA", nameData("Kestrelmove", 16));
  putProperty(out, "ePVR", numberData(0));
  putProperty(out, "eSVR", numberData(3));
  putProperty(out, "eVER", numberData(0));
  return out;
}

}  // namespace

const std::vector<uint8_t>& piplBytes() {
  static const std::vector<uint8_t> bytes = buildPipl();
  return bytes;
}
