#include "app/render_limits.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "app/render_job.h"
#include "image/image_buffer.h"
#include "image/open_file.h"
#include "image/image_readers.h"

bool parseMemorySize(const std::string& text, uint64_t& bytes) {
  size_t digits = 0;
  while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
  if (digits == 0 || digits > 19 || text.size() > digits + 1) return false;
  int shift = 0;
  if (text.size() == digits + 1) {
    switch (std::toupper(static_cast<unsigned char>(text.back()))) {
      case 'K': shift = 10; break;
      case 'M': shift = 20; break;
      case 'G': shift = 30; break;
      default: return false;
    }
  }
  const uint64_t number = std::stoull(text.substr(0, digits));
  if (number == 0 || number > (UINT64_MAX >> shift)) return false;
  bytes = number << shift;
  return true;
}

uint64_t defaultPictureMemory() {
  const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return uint64_t(1) << 31;
  return uint64_t(pages) * uint64_t(pageSize) / 2;
}

std::string describeBytes(uint64_t bytes) {
  const char* units[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
  int unit = 0;
  double value = double(bytes);
  while (value >= 1024 && unit < 4) {
    value /= 1024;
    ++unit;
  }
  char text[48];
  if (unit == 0) std::snprintf(text, sizeof text, "%llu bytes", (unsigned long long)bytes);
  else std::snprintf(text, sizeof text, value < 10 ? "%.1f %s" : "%.0f %s", value, units[unit]);
  return text;
}

bool checkShowDuration(int64_t frames, const FrameRate& rate, std::string& error) {
  const double longest = std::floor(kLongestShowSeconds * rate.perSecond());
  if (double(frames) <= longest) return true;
  char text[200];
  std::snprintf(text, sizeof text,
                "the show is %lld frames long, more than 24 hours (%.0f frames) at %.3f frames per second; "
                "--frames FIRST-LAST renders a part of it",
                (long long)frames, longest, rate.perSecond());
  error = text;
  return false;
}

void addRenderLimitOptions(CLI::App& command, RenderOptions& options) {
  command.add_option("--max-picture-memory", options.maxPictureMemory,
                     "Memory the show's pictures may take in the plug-in, in bytes or with K, M or G (default: "
                     "half of the machine's memory)");
}

namespace {

struct PictureSize {
  int width = 0, height = 0;
  int records = 0;
  uint64_t bytes() const { return uint64_t(width) * uint64_t(height) * 4; }
};

// The picture's size as the plug-in will hold it; false when it cannot be loaded.
bool measurePicture(const std::string& path, PictureSize& size) {
  FileSpec spec;
  spec.setPath(path);
  OpenFile file;
  if (!file.open(spec, "rb")) return false;
  ImageBuffer image(16, 16, 8);
  if (image.loadBySignature(file) != kReadOk) return false;
  size.width = image.width();
  size.height = image.height();
  return true;
}

}  // namespace

bool checkPictureMemory(const ShowBlock& block, const std::string& maxPictureMemory, int copies, std::string& error) {
  uint64_t budget = defaultPictureMemory();
  if (!maxPictureMemory.empty() && !parseMemorySize(maxPictureMemory, budget)) {
    error = "picture memory '" + maxPictureMemory + "' is not a size such as 2000000000, 512M or 4G";
    return false;
  }
  // The block holds the paths the pictures were found at.
  StoredShow show;
  if (!parseStoredShow(block.bytes.data(), block.bytes.size(), show, error)) return false;
  std::map<std::string, PictureSize> pictures;
  std::map<std::string, bool> unreadable;
  uint64_t perCopy = 0;
  for (const StoredPicture& p : show.pictures) {
    const std::string path = p.file.pathText();
    if (unreadable.count(path)) continue;
    auto it = pictures.find(path);
    if (it == pictures.end()) {
      PictureSize size;
      if (!measurePicture(path, size)) {
        unreadable[path] = true;
        continue;
      }
      it = pictures.emplace(path, size).first;
    }
    ++it->second.records;
    perCopy += it->second.bytes();
  }
  copies = std::max(copies, 1);
  const uint64_t total = perCopy * uint64_t(copies);
  if (total <= budget) return true;

  std::vector<std::pair<std::string, PictureSize>> largest(pictures.begin(), pictures.end());
  std::sort(largest.begin(), largest.end(), [](const auto& a, const auto& b) {
    return a.second.bytes() * uint64_t(a.second.records) > b.second.bytes() * uint64_t(b.second.records);
  });
  error = "the show's pictures need " + describeBytes(perCopy);
  if (copies > 1) error += " in each of " + std::to_string(copies) + " copies of the plug-in (" + describeBytes(total) + ")";
  error += ", more than the picture memory of " + describeBytes(budget) + " (--max-picture-memory); the largest: ";
  for (size_t i = 0; i < largest.size() && i < 3; ++i) {
    const PictureSize& s = largest[i].second;
    if (i) error += ", ";
    error += "'" + largest[i].first + "' " + std::to_string(s.width) + " x " + std::to_string(s.height) + " (" +
             describeBytes(s.bytes()) + (s.records > 1 ? ", in " + std::to_string(s.records) + " records" : "") + ")";
  }
  return false;
}
