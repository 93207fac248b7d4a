#include "app/media/output_path.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>

namespace {

// Finds the frame-number field: its start, length and padding. Returns the count of fields found, or
// -1 for a conversion other than %d, %0Nd and %%.
int scanFields(const std::string& p, size_t& start, size_t& length, int& width) {
  int count = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    if (p[i] != '%') continue;
    if (i + 1 < p.size() && p[i + 1] == '%') {
      ++i;
      continue;
    }
    size_t j = i + 1;
    int w = 0;
    while (j < p.size() && std::isdigit(static_cast<unsigned char>(p[j]))) w = w * 10 + (p[j++] - '0');
    if (j >= p.size() || p[j] != 'd' || w > 12) return -1;
    if (j > i + 1 && p[i + 1] != '0') return -1;  // only zero padding
    start = i;
    length = j + 1 - i;
    width = w;
    ++count;
    i = j;
  }
  return count;
}

}  // namespace

std::string extensionOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool validSequencePattern(const std::string& pattern, std::string& error) {
  size_t start = 0, length = 0;
  int width = 0;
  const int n = scanFields(pattern, start, length, width);
  if (n == 1) return true;
  error = n == 0 ? "the image-sequence name needs a frame-number field such as %d or %05d"
                 : "the image-sequence name may hold only one frame-number field (%d or %0Nd; %% for a per cent sign)";
  return false;
}

bool hasFrameField(const std::string& pattern) {
  size_t start = 0, length = 0;
  int width = 0;
  return scanFields(pattern, start, length, width) >= 1;
}

std::string sequenceFileName(const std::string& pattern, int frame) {
  size_t start = 0, length = 0;
  int width = 0;
  if (scanFields(pattern, start, length, width) != 1) return pattern;
  char number[32];
  std::snprintf(number, sizeof number, "%0*d", width, frame);
  std::string out;
  // Literal per cent signs are written once.
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (i == start) {
      out += number;
      i += length - 1;
    } else if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == '%') {
      out += '%';
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

std::string temporaryNameFor(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + "." + base + ".part" + std::to_string(::getpid()) + extensionOf(path);
}
