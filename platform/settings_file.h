#pragma once
// Program settings: key=value lines under a "[Kestrelmove]" section, held in memory as one text and
// written back at shutdown. The file lives in the user's configuration folder ($XDG_CONFIG_HOME, else
// ~/.config), or wherever KESTRELMOVE_CONFIG_DIR points.
//
// The file is read whole. It is written only when a setting changed since it was read, and then
// through a temporary file renamed over the old one, so that a crash never leaves it cut. A write
// reads the file again under a lock on its folder and applies this copy's changes to what it finds,
// so that several copies of the plug-in (in one process or in several) lose neither each other's
// settings nor lines that this system does not know.
#include <string>
#include <utility>
#include <vector>

class SettingsFile {
 public:
  // The longest text the settings may hold, terminator included; a longer file is left alone.
  static constexpr size_t kCapacity = 1024 * 1024;

  // Product name: the section title and the file's base name.
  explicit SettingsFile(std::string productName = "Kestrelmove");

  // Full path of the settings file.
  std::string filePath() const;

  void readSettings();
  // Writes the changed settings; true when there was nothing to write or the file was written.
  bool writeSettings() const;
  // Whether a setting changed since the file was read or last written.
  bool hasChanges() const { return !changes_.empty(); }

  // Copies the value of key into out (at most outSize - 1 characters), or the default when missing.
  void getText(const char* key, const char* defaultValue, char* out, size_t outSize) const;
  std::string getText(const char* key, const std::string& defaultValue) const;
  void setText(const char* key, const char* value);
  long getInteger(const char* key, long defaultValue) const;
  void setInteger(const char* key, long value);

  // The whole in-memory text (for tests and diagnostics).
  const char* text() const { return text_.c_str(); }
  void setTextBuffer(const char* content);  // replaces the in-memory text, cut to fit; no change to write
  // Takes content as readSettings takes the file's text: a text without the product's section
  // becomes an empty section, and bare line feeds become "\r\n".
  void adoptFileText(const char* content);

 private:
  std::string product_;
  std::string text_;
  // The settings set since the file was read, in order, to be applied to the file as it is then.
  mutable std::vector<std::pair<std::string, std::string>> changes_;
};

// The process-wide settings, read at start-up and written at shutdown.
SettingsFile& settings();
// Deletes them, for a library that is about to be unloaded, after they were written; a later
// settings() makes a fresh, unread one.
void releaseSettings();
