#include "show/frame_rate.h"

#include <cmath>
#include <cstdint>
#include <numeric>

namespace {

bool parseWhole(const std::string& text, int64_t& value) {
  if (text.empty() || text.size() > 10) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

bool setReduced(int64_t num, int64_t den, FrameRate& rate) {
  if (num <= 0 || den <= 0) return false;
  const int64_t g = std::gcd(num, den);
  num /= g;
  den /= g;
  if (num > INT32_MAX || den > INT32_MAX) return false;
  rate.num = int(num);
  rate.den = int(den);
  return true;
}

}  // namespace

bool parseFrameRate(const std::string& text, FrameRate& rate) {
  if (const size_t slash = text.find('/'); slash != std::string::npos) {
    int64_t num, den;
    return parseWhole(text.substr(0, slash), num) && parseWhole(text.substr(slash + 1), den) &&
           setReduced(num, den, rate);
  }
  const size_t dot = text.find('.');
  int64_t whole = 0, fraction = 0, scale = 1;
  if (dot == std::string::npos) {
    if (!parseWhole(text, whole)) return false;
  } else {
    const std::string head = text.substr(0, dot), tail = text.substr(dot + 1);
    if ((head.empty() && tail.empty()) || tail.size() > 6) return false;
    if (!head.empty() && !parseWhole(head, whole)) return false;
    if (!tail.empty() && !parseWhole(tail, fraction)) return false;
    for (size_t i = 0; i < tail.size(); ++i) scale *= 10;
  }
  const double value = double(whole) + double(fraction) / double(scale);
  for (int n : {24, 30, 48, 60, 120, 240}) {
    const double ntsc = n * 1000.0 / 1001.0;
    if (fraction != 0 && std::fabs(value - ntsc) < 0.0005) return setReduced(int64_t(n) * 1000, 1001, rate);
  }
  return setReduced(whole * scale + fraction, scale, rate);
}

std::string describeFrameRate(const FrameRate& rate) {
  if (rate.den == 1) return std::to_string(rate.num);
  return std::to_string(rate.num) + "/" + std::to_string(rate.den);
}
