#include "platform/dialogs.h"

#include <cstring>
#include <map>
#include <memory>

#include "platform/resource_store.h"
#include "platform/screen/dialog_boxes.h"
#include "platform/screen/icon_file.h"
#include "platform/screen/screen.h"
#include "platform/ui_hooks.h"

namespace {
// A box that ends only because input ran out (no display, no one to answer) still tells its message,
// on standard error as the console would, so that a command-line run learns which file failed.
int boxOrConsole(const std::string& text, const char* caption, uint32_t type) {
  bool unanswered = false;
  const int r = ws::messageBox(0, text, caption ? caption : "", type, &unanswered);
  if (unanswered) writeConsoleMessage(text);
  return r;
}
}  // namespace

int showMessageBox(const char* text, long code) {
  return boxOrConsole(messageText(text, code), "", ws::MB_OK | ws::MB_ICONINFORMATION | ws::MB_TOPMOST);
}

int askYesNoCancel(const char* text, const char* caption) {
  const int r = boxOrConsole(text ? text : "", caption, ws::MB_YESNOCANCEL | ws::MB_ICONQUESTION | ws::MB_TOPMOST);
  return r == ws::IDYES ? 1 : r == ws::IDNO ? 0 : -1;
}

bool askYesNo(const char* text, const char* caption) {
  return boxOrConsole(text ? text : "", caption, ws::MB_YESNO | ws::MB_ICONQUESTION | ws::MB_TOPMOST) == ws::IDYES;
}

namespace {
std::string limited(const char* text) { return text ? std::string(text, strnlen(text, 79)) : std::string(); }
}  // namespace

int askValue(ws::WindowHandle owner, char* value, const char* title, const char* prompt, const char* secondPrompt) {
  ws::ValueRequest r;
  r.title = limited(title);
  r.prompt = limited(prompt);
  r.secondPrompt = limited(secondPrompt);
  r.value = limited(value);
  r.maxLength = 79;
  ws::valueDialog(owner, r);
  if (value) {
    std::memcpy(value, r.value.data(), r.value.size());
    value[r.value.size()] = 0;
  }
  return 1;
}

std::string filterList(const char* filter) {
  std::string s = filter ? filter : "";
  for (char& c : s)
    if (c == '|') c = '\0';
  s.push_back('\0');
  return s;
}

namespace {

// Paths come as the stored FileSpecs have them: Windows separators are taken as folder separators.
std::string localPath(const std::string& p) {
  std::string s = p;
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

std::vector<ws::FileFilter> filtersFrom(const char* filter) {
  const std::string list = filterList(filter);
  std::vector<ws::FileFilter> out;
  std::vector<std::string> parts;
  for (size_t i = 0; i < list.size();) {
    const size_t end = list.find('\0', i);
    if (end == i) break;
    parts.push_back(list.substr(i, end - i));
    i = end + 1;
  }
  for (size_t i = 0; i + 1 < parts.size(); i += 2) out.push_back({parts[i], parts[i + 1]});
  return out;
}

// The start name: the result's path with a trailing separator removed, empty when shorter than 4.
std::string startName(const FileSpec& f) {
  std::string p = localPath(f.pathText());
  if (!p.empty() && p.back() == '/') p.pop_back();
  if (p.size() < 4) p.clear();
  return p;
}

}  // namespace

bool chooseFileToOpen(ws::WindowHandle owner, FileSpec* result, const char* filter, const FileSpec* initialFolder,
                      bool multiple, size_t capacity) {
  if (!result) return false;
  ws::FileRequest r;
  r.multiple = multiple;
  r.mustExist = true;
  r.filters = filtersFrom(filter);
  if (initialFolder && !initialFolder->empty()) r.folder = localPath(initialFolder->pathText());
  if (!multiple) r.fileName = startName(*result);
  const bool chosen = ws::fileDialog(owner, r);
  result->volume = 0;
  result->folderId = 0;
  if (!chosen) return false;
  const std::string folder = r.chosenFolder == "/" ? "" : r.chosenFolder;
  if (!multiple) {
    result->setPath(folder + "/" + r.chosenNames.at(0));
    return true;
  }
  // One FileSpec per file, names from the last the dialog returned to the first, then an empty one.
  size_t n = 0;
  for (auto it = r.chosenNames.rbegin(); it != r.chosenNames.rend() && n + 1 < capacity; ++it, ++n) {
    result[n].clear();
    result[n].setPath(folder + "/" + *it);
  }
  if (n < capacity) result[n].clear();
  return true;
}

bool chooseFileToSave(ws::WindowHandle owner, FileSpec* result, const char* filter, const char* defaultExtension,
                      const FileSpec* initialFolder) {
  if (!result) return false;
  ws::FileRequest r;
  r.save = true;
  r.mustExist = false;
  r.overwritePrompt = true;
  r.filters = filtersFrom(filter);
  r.defaultExtension = defaultExtension ? defaultExtension : "";
  std::string name = localPath(result->pathText());
  if (!name.empty() && name.back() == '/') name.pop_back();
  r.fileName = name;
  if (initialFolder && !initialFolder->empty()) r.folder = localPath(initialFolder->pathText());
  const bool chosen = ws::fileDialog(owner, r);
  result->volume = 0;
  result->folderId = 0;
  if (!chosen) return false;
  const std::string folder = r.chosenFolder == "/" ? "" : r.chosenFolder;
  result->setPath(folder + "/" + r.chosenNames.at(0));
  return true;
}

// ---- cursors ----

namespace {

int currentKind = 1, previousKind = 1;

std::shared_ptr<ws::Cursor> loadCursorResource(int number) {
  const ResourceBytes r = findResource(ResourceKind::cursor, number);
  return r ? ws::readIconFile(r.bytes, r.size) : nullptr;
}

}  // namespace

void setCursorKind(int kind) {
  static const int shapes[] = {ws::IDC_ARROW, ws::IDC_CROSS, ws::IDC_IBEAM, ws::IDC_NO, ws::IDC_SIZEALL, ws::IDC_SIZENESW,
                               ws::IDC_SIZENS, ws::IDC_SIZENWSE, ws::IDC_SIZEWE, ws::IDC_UPARROW, ws::IDC_WAIT};
  previousKind = currentKind;
  currentKind = kind;
  std::shared_ptr<ws::Cursor> cursor;
  if (kind >= 1 && kind <= 11) {
    cursor = std::make_shared<ws::Cursor>();
    cursor->systemShape = shapes[kind - 1];
  } else if (kind == 12 || kind == 13) {
    // A cursor resource that cannot be loaded leaves no cursor shown.
    static std::map<int, std::shared_ptr<ws::Cursor>> loaded;
    const int number = kind == 12 ? 106 : 135;
    if (!loaded.count(number)) loaded[number] = loadCursorResource(number);
    cursor = loaded[number];
  }
  ws::screen().setCursor(cursor);
}

int currentCursorKind() { return currentKind; }
int previousCursorKind() { return previousKind; }
