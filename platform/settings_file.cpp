#include "platform/settings_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The folder that stands in for the Windows directory.
std::string configFolder() {
  if (const char* dir = std::getenv("KESTRELMOVE_CONFIG_DIR"); dir && *dir) return dir;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return xdg;
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.config";
  return ".";
}

}  // namespace

SettingsFile::SettingsFile(std::string productName) : product_(std::move(productName)) {
  setTextBuffer(("[" + product_ + "]\r\n").c_str());
}

std::string SettingsFile::filePath() const { return configFolder() + "/" + product_ + ".ini"; }

void SettingsFile::setTextBuffer(const char* content) {
  std::memset(buffer_, 0, sizeof buffer_);
  std::strncpy(buffer_, content, kCapacity - 1);
}

void SettingsFile::readSettings() {
  char content[kCapacity] = {};
  if (FILE* f = std::fopen(filePath().c_str(), "rb")) {
    const size_t n = std::fread(content, 1, kCapacity - 1, f);
    content[n] = 0;
    std::fclose(f);
  }
  adoptFileText(content);
}

void SettingsFile::adoptFileText(const char* content) {
  setTextBuffer(content);
  if (!std::strstr(buffer_, product_.c_str())) {
    setTextBuffer(("[" + product_ + "]\r\n").c_str());
    return;
  }
  // A file edited with a Linux editor ends its lines with "\n" alone; its values could then be
  // neither read nor changed. Such line ends become "\r\n" when the text still fits.
  std::string text;
  for (const char* p = buffer_; *p; ++p) {
    if (*p == '\n' && (p == buffer_ || p[-1] != '\r')) text += '\r';
    text += *p;
  }
  if (text.size() <= kCapacity - 1) setTextBuffer(text.c_str());
}

bool SettingsFile::writeSettings() const {
  FILE* f = std::fopen(filePath().c_str(), "wb");
  if (!f) return false;
  const size_t len = std::strlen(buffer_);
  const bool ok = std::fwrite(buffer_, 1, len, f) == len;
  return std::fclose(f) == 0 && ok;
}

// Finds "key=" as a whole key: at the start of the text or of a line, so that "Scale" never matches
// inside "TimeScale". Returns the position behind the "=", or null.
static const char* findValue(const char* text, const char* key) {
  const size_t keyLen = std::strlen(key);
  if (keyLen == 0) return nullptr;
  for (const char* p = std::strstr(text, key); p; p = std::strstr(p + 1, key)) {
    // Lines end with "\r\n"; a lone "\r" inside a value starts no line.
    const bool lineStart = p == text || p[-1] == '\n';
    if (lineStart && p[keyLen] == '=') return p + keyLen + 1;
  }
  return nullptr;
}

// The end of a value: its line's "\r\n", or a bare "\n" (where a long hand-edited file kept one),
// so that a value never runs into the next line. Null when the line has no end.
static const char* valueEnd(const char* value) {
  const char* end = std::strchr(value, '\n');
  if (!end) return nullptr;
  return end > value && end[-1] == '\r' ? end - 1 : end;
}

void SettingsFile::getText(const char* key, const char* defaultValue, char* out, size_t outSize) const {
  if (!out || outSize == 0) return;
  const std::string value = getText(key, std::string(defaultValue ? defaultValue : ""));
  std::strncpy(out, value.c_str(), outSize - 1);
  out[outSize - 1] = 0;
}

std::string SettingsFile::getText(const char* key, const std::string& defaultValue) const {
  const char* value = findValue(buffer_, key);
  if (!value) return defaultValue;
  const char* end = valueEnd(value);
  if (!end) return defaultValue;
  return std::string(value, end);
}

void SettingsFile::setText(const char* key, const char* value) {
  if (!key || !value) return;
  // A key is one word of a line: one with "=" or a line break in it could never be read back and
  // would split the line it sits on.
  if (!*key || std::strpbrk(key, "=\r\n")) return;
  const size_t used = std::strlen(buffer_);
  // A value is one line: a line break in it (a folder name may hold one) would start another key.
  const size_t valueLen = std::strcspn(value, "\r\n");
  if (char* at = const_cast<char*>(findValue(buffer_, key))) {
    char* end = const_cast<char*>(valueEnd(at));
    if (!end) return;
    const size_t oldLen = size_t(end - at);
    // The text must keep fitting the buffer with its terminator.
    if (used - oldLen + valueLen > kCapacity - 1) return;
    std::memmove(at + valueLen, end, std::strlen(end) + 1);
    std::memcpy(at, value, valueLen);
    return;
  }
  const size_t keyLen = std::strlen(key);
  if (used + keyLen + 1 + valueLen > kCapacity - 3) return;
  // A file edited by hand may lack the final line end; start the new key on a line of its own.
  std::string line;
  if (used >= 1 && buffer_[used - 1] != '\n') line = "\r\n";
  line += std::string(key) + "=" + std::string(value, valueLen) + "\r\n";
  if (used + line.size() > kCapacity - 1) return;
  std::memcpy(buffer_ + used, line.c_str(), line.size() + 1);
}

long SettingsFile::getInteger(const char* key, long defaultValue) const {
  const char* value = findValue(buffer_, key);
  if (!value || !valueEnd(value)) return defaultValue;
  // Decimal as atol reads it, but with out-of-range numbers held at the limits rather than undefined.
  return std::strtol(value, nullptr, 10);
}

void SettingsFile::setInteger(const char* key, long value) {
  char text[32];
  std::snprintf(text, sizeof text, "%ld", value);
  setText(key, text);
}

SettingsFile& settings() {
  static SettingsFile instance;
  return instance;
}
