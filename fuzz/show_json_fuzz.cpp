// Shows as JSON both ways. An even first byte makes the rest a stored show: what parses writes as JSON
// text that reads back to the same bytes and the same text. An odd first byte makes the rest JSON
// text: a show it describes stores, reads back from its bytes, and goes through JSON again unchanged.
// No exception may leave the JSON code: the show commands would end on it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/show_json.h"
#include "show/stored_show.h"

namespace {

std::string textOf(const StoredShow& show) {
  try {
    return storedShowToJson(show).dump(1);
  } catch (...) {
    std::abort();
  }
}

StoredShow fromText(const std::string& text) {
  StoredShow show;
  std::string error;
  const Json json = Json::parse(text, nullptr, false);
  if (json.is_discarded() || !storedShowFromJson(json, show, error)) std::abort();
  return show;
}

void fromStoredBytes(const uint8_t* data, size_t size) {
  StoredShow show;
  std::string error;
  if (!parseStoredShow(data, size, show, error)) return;
  const std::vector<uint8_t> bytes = encodeStoredShow(show);
  const std::string text = textOf(show);
  const StoredShow back = fromText(text);
  if (encodeStoredShow(back) != bytes || textOf(back) != text) std::abort();
}

void fromJsonText(const uint8_t* data, size_t size) {
  const Json json = Json::parse(data, data + size, nullptr, false);
  if (json.is_discarded()) return;
  StoredShow show;
  std::string error;
  bool read = false;
  try {
    read = storedShowFromJson(json, show, error);
  } catch (...) {
    std::abort();
  }
  if (!read) {
    if (error.empty()) std::abort();
    return;
  }
  const std::vector<uint8_t> bytes = encodeStoredShow(show);
  StoredShow parsed;
  if (!parseStoredShow(bytes.data(), bytes.size(), parsed, error)) std::abort();
  if (encodeStoredShow(parsed) != bytes) std::abort();
  const std::string text = textOf(parsed);
  if (textOf(fromText(text)) != text) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  if (data[0] % 2 == 0) fromStoredBytes(data + 1, size - 1);
  else fromJsonText(data + 1, size - 1);
  return 0;
}
