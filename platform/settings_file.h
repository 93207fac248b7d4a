#pragma once
// Program settings: key=value lines under a "[Kestrelmove]" section, held in memory as one text of at
// most 1024 bytes and written back at shutdown. The file lives in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config), or wherever KESTRELMOVE_CONFIG_DIR points.
#include <string>

class SettingsFile {
 public:
  static constexpr size_t kCapacity = 1024;

  // Product name: the section title and the file's base name.
  explicit SettingsFile(std::string productName = "Kestrelmove");

  // Full path of the settings file.
  std::string filePath() const;

  void readSettings();
  // Returns false when the file could not be written (callers that follow the documented behaviour
  // ignore it).
  bool writeSettings() const;

  // Copies the value of key into out (at most outSize - 1 characters), or the default when missing.
  void getText(const char* key, const char* defaultValue, char* out, size_t outSize) const;
  std::string getText(const char* key, const std::string& defaultValue) const;
  void setText(const char* key, const char* value);
  long getInteger(const char* key, long defaultValue) const;
  void setInteger(const char* key, long value);

  // The whole in-memory text (for tests and diagnostics).
  const char* text() const { return buffer_; }
  void setTextBuffer(const char* content);  // replaces the in-memory text, cut to fit
  // Takes content as readSettings takes the file's text: a text without the product's section
  // becomes an empty section, and bare line feeds become "\r\n".
  void adoptFileText(const char* content);

 private:
  std::string product_;
  char buffer_[kCapacity] = {};
};

// The process-wide settings, read at start-up and written at shutdown.
SettingsFile& settings();
