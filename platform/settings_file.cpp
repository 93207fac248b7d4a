#include "platform/settings_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

enum class FileRead { ok, missing, tooLarge };

// The whole file, when it is a regular file that fits the settings text. Opened without blocking, so
// that a FIFO in its place cannot stop the plug-in's start.
FileRead readWholeFile(const std::string& path, std::string& out) {
  out.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return FileRead::missing;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return FileRead::missing;
  }
  char chunk[16384];
  FileRead result = FileRead::ok;
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      result = FileRead::missing;
      break;
    }
    if (n == 0) break;
    if (out.size() + size_t(n) > SettingsFile::kCapacity - 1) {
      result = FileRead::tooLarge;
      break;
    }
    out.append(chunk, size_t(n));
  }
  ::close(fd);
  // The text is handled as a C string, as the settings have always been.
  if (result == FileRead::ok) out.resize(std::strlen(out.c_str()));
  else out.clear();
  return result;
}

// A file read as the settings take it: without the product's section it is an empty section, and bare
// line feeds (a file edited with a Linux editor) become "\r\n", so that its values can be changed.
std::string adoptedText(const std::string& content, const std::string& product) {
  if (content.find(product) == std::string::npos) return "[" + product + "]\r\n";
  std::string text;
  text.reserve(content.size());
  for (size_t i = 0; i < content.size(); ++i) {
    if (content[i] == '\n' && (i == 0 || content[i - 1] != '\r')) text += '\r';
    text += content[i];
  }
  return text.size() <= SettingsFile::kCapacity - 1 ? text : content;
}

// Finds "key=" as a whole key: at the start of the text or of a line, so that "Scale" never matches
// inside "TimeScale". Returns the position behind the "=", or npos.
size_t findValue(const std::string& text, const char* key) {
  const size_t keyLen = std::strlen(key);
  if (keyLen == 0) return std::string::npos;
  for (size_t p = text.find(key); p != std::string::npos; p = text.find(key, p + 1)) {
    // Lines end with "\r\n"; a lone "\r" inside a value starts no line.
    const bool lineStart = p == 0 || text[p - 1] == '\n';
    if (lineStart && p + keyLen < text.size() && text[p + keyLen] == '=') return p + keyLen + 1;
  }
  return std::string::npos;
}

// The end of a value: its line's "\r\n", or a bare "\n" (where a long hand-edited file kept one), so
// that a value never runs into the next line. npos when the line has no end.
size_t valueEnd(const std::string& text, size_t value) {
  const size_t end = text.find('\n', value);
  if (end == std::string::npos) return end;
  return end > value && text[end - 1] == '\r' ? end - 1 : end;
}

// Sets key to value in text; false when the text stays as it was (the same value, a key or value
// that could not be read back, a line without its end, or no room).
bool setValue(std::string& text, const std::string& key, const std::string& value) {
  if (const size_t at = findValue(text, key.c_str()); at != std::string::npos) {
    const size_t end = valueEnd(text, at);
    if (end == std::string::npos) return false;
    if (text.compare(at, end - at, value) == 0) return false;
    // The text must keep fitting with its terminator.
    if (text.size() - (end - at) + value.size() > SettingsFile::kCapacity - 1) return false;
    text.replace(at, end - at, value);
    return true;
  }
  // A file edited by hand may lack the final line end; start the new key on a line of its own.
  std::string line;
  if (!text.empty() && text.back() != '\n') line = "\r\n";
  line += key + "=" + value + "\r\n";
  if (text.size() + line.size() > SettingsFile::kCapacity - 1) return false;
  text += line;
  return true;
}

// Puts text in place of the file at path: written to a temporary file beside it, flushed to the disk
// and renamed over the old one, so that the file is always either the old text or the new one.
bool replaceFile(const std::string& path, const std::string& text) {
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  struct stat old {};
  ::fchmod(fd, ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
  bool ok = true;
  for (size_t done = 0; ok && done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += size_t(n);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

// Holds an exclusive lock on the settings folder. flock locks belong to an open file description, so
// two copies of the plug-in in one process exclude each other as two processes do.
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder) : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0)
      while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_;
};

}  // namespace

SettingsFile::SettingsFile(std::string productName) : product_(std::move(productName)) {
  setTextBuffer(("[" + product_ + "]\r\n").c_str());
}

std::string SettingsFile::filePath() const { return configFolder() + "/" + product_ + ".ini"; }

void SettingsFile::setTextBuffer(const char* content) {
  text_ = content ? content : "";
  if (text_.size() > kCapacity - 1) text_.resize(kCapacity - 1);
  changes_.clear();
}

void SettingsFile::readSettings() {
  std::string content;
  readWholeFile(filePath(), content);
  adoptFileText(content.c_str());
}

void SettingsFile::adoptFileText(const char* content) {
  std::string text = content ? content : "";
  if (text.size() > kCapacity - 1) text.resize(kCapacity - 1);
  setTextBuffer(adoptedText(text, product_).c_str());
}

bool SettingsFile::writeSettings() const {
  if (changes_.empty()) return true;
  const std::string path = filePath();
  const FolderLock lock(configFolder());
  if (!lock.held()) return false;
  // Another copy may have written since this one read: its settings and every line this system
  // does not know stay, and only this copy's changes go in.
  std::string current;
  if (readWholeFile(path, current) == FileRead::tooLarge) return false;
  std::string merged = adoptedText(current, product_);
  for (const auto& [key, value] : changes_) setValue(merged, key, value);
  if (merged != current && !replaceFile(path, merged)) return false;
  changes_.clear();
  return true;
}

void SettingsFile::getText(const char* key, const char* defaultValue, char* out, size_t outSize) const {
  if (!out || outSize == 0) return;
  const std::string value = getText(key, std::string(defaultValue ? defaultValue : ""));
  std::strncpy(out, value.c_str(), outSize - 1);
  out[outSize - 1] = 0;
}

std::string SettingsFile::getText(const char* key, const std::string& defaultValue) const {
  if (!key) return defaultValue;
  const size_t value = findValue(text_, key);
  if (value == std::string::npos) return defaultValue;
  const size_t end = valueEnd(text_, value);
  if (end == std::string::npos) return defaultValue;
  return text_.substr(value, end - value);
}

void SettingsFile::setText(const char* key, const char* value) {
  if (!key || !value) return;
  // A key is one word of a line: one with "=" or a line break in it could never be read back and
  // would split the line it sits on.
  if (!*key || std::strpbrk(key, "=\r\n")) return;
  // A value is one line: a line break in it (a folder name may hold one) would start another key.
  const std::string line(value, std::strcspn(value, "\r\n"));
  if (!setValue(text_, key, line)) return;
  for (auto& change : changes_)
    if (change.first == key) {
      change.second = line;
      return;
    }
  changes_.emplace_back(key, line);
}

long SettingsFile::getInteger(const char* key, long defaultValue) const {
  if (!key) return defaultValue;
  const size_t value = findValue(text_, key);
  if (value == std::string::npos || valueEnd(text_, value) == std::string::npos) return defaultValue;
  // Decimal as atol reads it, but with out-of-range numbers held at the limits rather than undefined.
  return std::strtol(text_.c_str() + value, nullptr, 10);
}

void SettingsFile::setInteger(const char* key, long value) {
  char text[32];
  std::snprintf(text, sizeof text, "%ld", value);
  setText(key, text);
}

namespace {
// Released only by releaseSettings, for the same reason as the platform's state: the detach writes
// the settings last.
SettingsFile*& settingsPointer() {
  static SettingsFile* instance = new SettingsFile;
  return instance;
}
}  // namespace

SettingsFile& settings() {
  SettingsFile*& instance = settingsPointer();
  if (!instance) instance = new SettingsFile;
  return *instance;
}

void releaseSettings() {
  SettingsFile*& instance = settingsPointer();
  delete instance;
  instance = nullptr;
}
