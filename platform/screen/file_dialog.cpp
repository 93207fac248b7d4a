// The open and save dialogs: a folder's entries filtered by the chosen patterns, folders to browse into,
// a name field that takes typed names, paths and patterns, and a choice of several files when asked.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/screen/dialog_boxes.h"
#include "platform/screen/dialog_window.h"
#include "platform/screen/modal_loops.h"
#include "platform/screen/screen.h"
#include "platform/screen/ui_style.h"

namespace fs = std::filesystem;

namespace ws {

std::vector<FileFilter> parseFilters(const std::string& text) {
  std::vector<FileFilter> out;
  std::vector<std::string> parts;
  size_t start = 0;
  while (start < text.size()) {
    const size_t bar = text.find('|', start);
    parts.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  for (size_t i = 0; i + 1 < parts.size(); i += 2) out.push_back({parts[i], parts[i + 1]});
  return out;
}

namespace {

bool wildcard(const char* p, const char* s) {
  for (; *p; ++p, ++s) {
    if (*p == '*') {
      for (const char* t = s;; ++t) {
        if (wildcard(p + 1, t)) return true;
        if (!*t) return false;
      }
    }
    if (!*s || (*p != '?' && std::tolower(static_cast<unsigned char>(*p)) != std::tolower(static_cast<unsigned char>(*s)))) return false;
  }
  return !*s;
}

std::string lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

bool matchesPatterns(const std::string& name, const std::string& patterns) {
  size_t start = 0;
  while (start <= patterns.size()) {
    const size_t semi = patterns.find(';', start);
    std::string p = patterns.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
    p.erase(0, p.find_first_not_of(' '));
    if (!p.empty() && p.back() == ' ') p.erase(p.find_last_not_of(' ') + 1);
    // "*.*" means every file, names without a dot included, as the system has it.
    if (p == "*.*" || p == "*") return true;
    if (!p.empty() && wildcard(p.c_str(), name.c_str())) return true;
    if (semi == std::string::npos) break;
    start = semi + 1;
  }
  return false;
}

namespace {

constexpr int kRow = 18, kListTop = 36, kListBottom = 250, kNameId = 1152;

struct Entry {
  std::string name;
  bool folder = false;
};

class FileDialogWindow : public DialogWindow {
 public:
  explicit FileDialogWindow(FileRequest& r) : request_(r) {
    std::error_code ec;
    folder_ = r.folder.empty() ? fs::current_path(ec).string() : r.folder;
    std::string name = r.fileName;
    // A start name with a folder part starts the dialog in that folder.
    const size_t slash = name.find_last_of('/');
    if (slash != std::string::npos) {
      const std::string dir = name.substr(0, slash == 0 ? 1 : slash);
      if (fs::is_directory(dir, ec)) folder_ = dir, name = name.substr(slash + 1);
    }
    if (fs::is_directory(r.fileName, ec)) folder_ = r.fileName, name.clear();
    if (!fs::is_directory(folder_, ec)) folder_ = fs::current_path(ec).string();
    startName_ = name;
    if (request_.filters.empty()) request_.filters.push_back({"All Files (*.*)", "*.*"});
  }

 protected:
  void create() override {
    Screen& s = screen();
    name_ = s.createWindow("EDIT", "", WS_CHILD | WS_BORDER | WS_VISIBLE, 96, 260, 300, 24, handle_, 0, kNameId);
    s.sendMessage(name_, WM_SETTEXT, 0, LParam(reinterpret_cast<intptr_t>(startName_.c_str())));
    s.sendMessage(name_, EM_SETSEL, 0, -1);
    s.setFocus(name_);
    addButton(IDOK, request_.save ? "Save" : "Open", {410, 260, 500, 284});
    addButton(IDCANCEL, "Cancel", {410, 292, 500, 316});
    addButton(100, "Up", {450, 8, 500, 28});
    load();
  }

  void paint(DrawingContext& dc) override {
    style::label(dc, {10, 8, 80, 28}, "Look in:", style::text);
    style::sunken(dc, {80, 8, 440, 28}, style::window);
    style::label(dc, {84, 8, 436, 28}, folder_, style::text);
    style::sunken(dc, {10, kListTop, 500, kListBottom}, style::window);
    const int rows = visibleRows();
    for (int i = 0; i < rows && top_ + i < int(entries_.size()); ++i) {
      const int index = top_ + i;
      const Rect r{12, kListTop + 2 + i * kRow, 498, kListTop + 2 + (i + 1) * kRow};
      const bool sel = std::count(selected_.begin(), selected_.end(), index) > 0;
      if (sel) dc.fillRect(r, style::highlight);
      const Entry& e = entries_[size_t(index)];
      if (e.folder) {
        // A small folder shape before folder names.
        dc.fillRect({r.left + 3, r.top + 5, r.left + 15, r.top + 14}, rgb(230, 190, 60));
        dc.fillRect({r.left + 3, r.top + 3, r.left + 8, r.top + 5}, rgb(230, 190, 60));
      }
      style::label(dc, {r.left + 20, r.top, r.right, r.bottom}, e.folder ? e.name + "/" : e.name, sel ? style::highlightText : style::text);
    }
    if (int(entries_.size()) > rows) {
      const int h = kListBottom - kListTop - 4;
      const int thumb = std::max(12, h * rows / int(entries_.size()));
      const int y = kListTop + 2 + (h - thumb) * top_ / std::max(1, int(entries_.size()) - rows);
      dc.fillRect({492, kListTop + 2, 498, kListBottom - 2}, style::track);
      dc.fillRect({492, y, 498, y + thumb}, style::shadow);
    }
    style::label(dc, {10, 260, 94, 284}, "File name:", style::text);
    style::label(dc, {10, 292, 94, 316}, "Files of type:", style::text);
    style::button(dc, filterRect(), false);
    style::label(dc, filterRect().inset(6, 0), request_.filters[size_t(filter_)].description, style::text);
    style::arrow(dc, {filterRect().right - 18, filterRect().top, filterRect().right - 4, filterRect().bottom}, 2, style::text);
  }

  void click(Point p, bool doubleClick, bool shift, bool ctrl) override {
    if (filterRect().contains(p.x, p.y)) {
      filter_ = (filter_ + 1) % int(request_.filters.size());
      load();
      return;
    }
    if (p.x < 10 || p.x >= 500 || p.y < kListTop + 2 || p.y >= kListBottom - 2) return;
    const int index = top_ + (p.y - kListTop - 2) / kRow;
    if (index >= int(entries_.size())) return;
    const Entry& e = entries_[size_t(index)];
    if (doubleClick) {
      if (e.folder) enter(folder_ + (folder_.back() == '/' ? "" : "/") + e.name);
      else choose({e.name});
      return;
    }
    if (request_.multiple && ctrl && !e.folder) {
      auto it = std::find(selected_.begin(), selected_.end(), index);
      if (it == selected_.end()) selected_.push_back(index);
      else selected_.erase(it);
    } else if (request_.multiple && shift && !selected_.empty() && !e.folder) {
      const int from = selected_.front();
      selected_.clear();
      for (int i = std::min(from, index); i <= std::max(from, index); ++i)
        if (!entries_[size_t(i)].folder) selected_.push_back(i);
    } else {
      selected_ = {index};
    }
    showSelectionInName();
    invalidate();
  }

  void wheel(int delta) override { scrollBy(delta > 0 ? -3 : 3); }

  bool key(int vk, WindowHandle from) override {
    if (vk == VK_RETURN) return command(IDOK), true;
    if (from == handle_ && (vk == VK_UP || vk == VK_DOWN) && !entries_.empty()) {
      int i = selected_.empty() ? -1 : selected_.back();
      i = std::clamp(i + (vk == VK_DOWN ? 1 : -1), 0, int(entries_.size()) - 1);
      selected_ = {i};
      if (i < top_) top_ = i;
      if (i >= top_ + visibleRows()) top_ = i - visibleRows() + 1;
      showSelectionInName();
      invalidate();
      return true;
    }
    return DialogWindow::key(vk, from);
  }

  void command(int id) override {
    if (id == IDCANCEL) return end(IDCANCEL);
    if (id == 100) return enter(fs::path(folder_).parent_path().string());
    if (id != IDOK) return;
    char buffer[8192] = {};
    screen().sendMessage(name_, WM_GETTEXT, sizeof buffer, LParam(reinterpret_cast<intptr_t>(buffer)));
    std::string typed = buffer;
    while (!typed.empty() && typed.back() == ' ') typed.pop_back();
    if (typed.empty()) return;
    std::vector<std::string> names;
    if (request_.multiple && typed.front() == '"') {
      for (size_t i = 0; i < typed.size();) {
        const size_t a = typed.find('"', i);
        if (a == std::string::npos) break;
        const size_t b = typed.find('"', a + 1);
        if (b == std::string::npos) break;
        names.push_back(typed.substr(a + 1, b - a - 1));
        i = b + 1;
      }
    } else {
      names.push_back(typed);
    }
    if (names.size() == 1) {
      const std::string& n = names[0];
      if (n.find_first_of("*?") != std::string::npos) {
        // A typed pattern filters the list until another is chosen.
        request_.filters.push_back({n, n});
        filter_ = int(request_.filters.size()) - 1;
        load();
        return;
      }
      std::error_code ec;
      const std::string path = resolve(n);
      if (fs::is_directory(path, ec)) {
        enter(path);
        setName("");
        return;
      }
    }
    choose(names);
  }

 private:
  Rect filterRect() const { return {96, 292, 396, 316}; }
  int visibleRows() const { return (kListBottom - kListTop - 4) / kRow; }

  std::string resolve(const std::string& name) const {
    if (!name.empty() && name.front() == '/') return name;
    return folder_ + (folder_.back() == '/' ? "" : "/") + name;
  }

  void setName(const std::string& text) {
    screen().sendMessage(name_, WM_SETTEXT, 0, LParam(reinterpret_cast<intptr_t>(text.c_str())));
  }

  void showSelectionInName() {
    std::vector<std::string> files;
    for (int i : selected_)
      if (!entries_[size_t(i)].folder) files.push_back(entries_[size_t(i)].name);
    if (files.size() == 1) setName(files[0]);
    else if (files.size() > 1) {
      std::string t;
      for (const std::string& f : files) t += (t.empty() ? "\"" : " \"") + f + "\"";
      setName(t);
    }
  }

  void scrollBy(int rows) {
    top_ = std::clamp(top_ + rows, 0, std::max(0, int(entries_.size()) - visibleRows()));
    invalidate();
  }

  void enter(const std::string& folder) {
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec)) return;
    folder_ = folder;
    load();
  }

  void load() {
    entries_.clear();
    selected_.clear();
    top_ = 0;
    std::error_code ec;
    std::vector<Entry> folders, files;
    for (fs::directory_iterator it(folder_, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (name.empty() || name[0] == '.') continue;
      std::error_code e2;
      if (it->is_directory(e2)) folders.push_back({name, true});
      else if (matchesPatterns(name, request_.filters[size_t(filter_)].patterns)) files.push_back({name, false});
    }
    auto byName = [](const Entry& a, const Entry& b) { return lower(a.name) < lower(b.name); };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    entries_ = folders;
    entries_.insert(entries_.end(), files.begin(), files.end());
    invalidate();
  }

  void choose(std::vector<std::string> names) {
    std::error_code ec;
    std::vector<std::string> paths;
    for (std::string& n : names) {
      if (request_.save && !request_.defaultExtension.empty() && fs::path(n).extension().empty()) {
        const std::string& ext = request_.defaultExtension;
        n += ext.front() == '.' ? ext : "." + ext;
      }
      paths.push_back(resolve(n));
    }
    for (const std::string& p : paths) {
      if (!request_.save && request_.mustExist && !fs::is_regular_file(p, ec)) {
        messageBox(handle_, p + "\nFile not found.\nCheck the file name and try again.", request_.title.empty() ? "Open" : request_.title,
                   MB_OK | MB_ICONWARNING);
        return;
      }
      if (request_.save && request_.overwritePrompt && fs::exists(p, ec) &&
          messageBox(handle_, p + " already exists.\nDo you want to replace it?", request_.title.empty() ? "Save As" : request_.title,
                     MB_YESNO | MB_ICONWARNING) != IDYES)
        return;
    }
    request_.chosenNames.clear();
    // Every chosen name lives in one folder: the folder of the first.
    request_.chosenFolder = fs::path(paths[0]).parent_path().string();
    for (const std::string& p : paths) request_.chosenNames.push_back(fs::path(p).filename().string());
    end(IDOK);
  }

  FileRequest& request_;
  std::string folder_, startName_;
  std::vector<Entry> entries_;
  std::vector<int> selected_;
  int top_ = 0, filter_ = 0;
  WindowHandle name_ = 0;
};

}  // namespace

bool fileDialog(WindowHandle owner, FileRequest& request) {
  FileDialogWindow dialog(request);
  ModalLoopScope modal("file");
  const std::string title = request.title.empty() ? (request.save ? "Save As" : "Open") : request.title;
  return dialog.run(owner, title, 510, 326, false) == IDOK;
}

}  // namespace ws
