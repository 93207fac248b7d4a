#include "app/pipl_text.h"

#include <cctype>

namespace {

uint32_t get32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// Four-character codes are stored as little-endian numbers whose high byte is the first character.
std::string codeText(uint32_t v) {
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8) s += char(v >> shift);
  return s;
}

bool printableCode(const std::string& s) {
  for (char c : s)
    if (!std::isprint(static_cast<unsigned char>(c))) return false;
  return true;
}

}  // namespace

bool decodePipl(const uint8_t* bytes, size_t size, PiplContents& out, std::string& error) {
  if (!bytes || size < 12) {
    error = "the PiPL is shorter than its 12-byte header";
    return false;
  }
  out.version = get32(bytes);
  const uint32_t count = get32(bytes + 8);
  size_t at = 12;
  for (uint32_t i = 0; i < count; ++i) {
    if (size - at < 16) {
      error = "the PiPL ends inside property " + std::to_string(i + 1);
      return false;
    }
    PiplProperty p;
    p.vendor = codeText(get32(bytes + at));
    p.key = codeText(get32(bytes + at + 4));
    p.id = get32(bytes + at + 8);
    const uint32_t length = get32(bytes + at + 12);
    at += 16;
    const size_t padded = (size_t(length) + 3) & ~size_t(3);
    if (size - at < padded) {
      error = "the data of PiPL property '" + p.key + "' runs past the end";
      return false;
    }
    p.data.assign(bytes + at, bytes + at + length);
    at += padded;
    out.properties.push_back(std::move(p));
  }
  return true;
}

std::string describePiplData(const PiplProperty& p) {
  if (p.data.size() == 4) {
    const std::string code = codeText(get32(p.data.data()));
    if (p.key == "kind" && printableCode(code)) return code;
    return std::to_string(get32(p.data.data()));
  }
  if (!p.data.empty() && p.data[0] < p.data.size()) {
    // Built by appending: GCC 12 at -O3 warns falsely about "literal" + std::string.
    std::string quoted(1, '"');
    quoted.append(p.data.begin() + 1, p.data.begin() + 1 + p.data[0]);
    quoted += '"';
    return quoted;
  }
  std::string hex;
  static const char* digits = "0123456789abcdef";
  for (uint8_t b : p.data) {
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  return hex;
}
