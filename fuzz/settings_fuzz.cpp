// The settings text from arbitrary bytes: the first part of the input is the file's text, the rest a
// key and a value to read and write. The text always stays within its buffer, terminated.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  // file text | key | value, separated by NUL bytes.
  const size_t first = input.find('\0');
  const std::string fileText = input.substr(0, first);
  std::string key = "Scale";
  std::string value = "150";
  if (first != std::string::npos) {
    const size_t second = input.find('\0', first + 1);
    key = input.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    if (second != std::string::npos) value = input.substr(second + 1);
  }

  SettingsFile s;
  s.adoptFileText(fileText.c_str());
  auto check = [&] {
    if (std::strlen(s.text()) > SettingsFile::kCapacity - 1) std::abort();
  };
  check();
  for (const char* k : {"Scale", "TimeScale", "AspectMode", "RootVolume", key.c_str()}) {
    (void)s.getInteger(k, 7);
    char out[256];
    s.getText(k, "default", out, sizeof out);
    if (std::strlen(out) > 255) std::abort();
  }
  s.setText(key.c_str(), value.c_str());
  check();
  const long before = s.getInteger("TimeScale", -1);
  const size_t length = std::strlen(s.text());
  // A last line without its line end is completed by the next key added; only then may it change.
  const bool complete = length > 0 && s.text()[length - 1] == '\n';
  s.setInteger("Scale", -123456789);
  check();
  // Whole keys: changing Scale never changes TimeScale.
  if (complete && s.getInteger("TimeScale", -1) != before) std::abort();
  return 0;
}
