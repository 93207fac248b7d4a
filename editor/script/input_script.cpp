#include "editor/script/input_script.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <sstream>

#include "platform/screen/screen.h"

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  const size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

// The text up to a comment: a "#" at the start or after a blank.
std::string withoutComment(const std::string& s) {
  for (size_t i = 0; i < s.size(); ++i)
    if (s[i] == '#' && (i == 0 || s[i - 1] == ' ' || s[i - 1] == '\t')) return s.substr(0, i);
  return s;
}

std::vector<std::string> words(const std::string& s) {
  std::vector<std::string> out;
  std::istringstream in(s);
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

bool parseNumber(const std::string& text, int& value) {
  if (text.empty() || text.size() > 10) return false;
  size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return false;
  for (size_t k = i; k < text.size(); ++k)
    if (!std::isdigit(static_cast<unsigned char>(text[k]))) return false;
  const long long v = std::atoll(text.c_str());
  if (v < INT_MIN / 2 || v > INT_MAX / 2) return false;
  value = int(v);
  return true;
}

bool originNamed(const std::string& word, ScriptOrigin& origin) {
  if (word == "editor") origin = ScriptOrigin::kEditor;
  else if (word == "stage") origin = ScriptOrigin::kStage;
  else if (word == "timeline") origin = ScriptOrigin::kTimeline;
  else if (word == "frame") origin = ScriptOrigin::kFrame;
  else return false;
  return true;
}

// "X Y" or "WINDOW X Y", then an optional "shift".
bool parsePosition(const std::vector<std::string>& w, ScriptCommand& c, std::string& why) {
  size_t i = 1;
  if (i < w.size() && originNamed(w[i], c.position.origin)) ++i;
  else if (i < w.size() && !w[i].empty() && std::isalpha(static_cast<unsigned char>(w[i][0]))) {
    why = "'" + w[i] + "' is not a window (editor, stage, timeline or frame)";
    return false;
  }
  if (i + 1 >= w.size() || !parseNumber(w[i], c.position.x) || !parseNumber(w[i + 1], c.position.y)) {
    why = "a position is X Y or WINDOW X Y";
    return false;
  }
  i += 2;
  if (i < w.size() && lower(w[i]) == "shift") c.shift = true, ++i;
  if (i < w.size()) {
    why = "unexpected '" + w[i] + "' after the position";
    return false;
  }
  return true;
}

struct NamedKey {
  const char* name;
  int vk;
};

constexpr NamedKey kNamedKeys[] = {
    {"enter", ws::VK_RETURN}, {"escape", ws::VK_ESCAPE}, {"tab", ws::VK_TAB},     {"backspace", ws::VK_BACK},
    {"delete", ws::VK_DELETE}, {"insert", ws::VK_INSERT}, {"home", ws::VK_HOME},  {"end", ws::VK_END},
    {"pageup", ws::VK_PRIOR},  {"pagedown", ws::VK_NEXT}, {"left", ws::VK_LEFT},  {"right", ws::VK_RIGHT},
    {"up", ws::VK_UP},         {"down", ws::VK_DOWN},     {"space", ws::VK_SPACE},
};

}  // namespace

bool parseKeyName(const std::string& name, int& vk, bool& shift, bool& ctrl) {
  shift = ctrl = false;
  std::string rest = name;
  for (;;) {
    const std::string l = lower(rest);
    // A lone "+" is the key itself, not a modifier's joint.
    if (l.size() > 5 && l.compare(0, 5, "ctrl+") == 0) ctrl = true, rest = rest.substr(5);
    else if (l.size() > 6 && l.compare(0, 6, "shift+") == 0) shift = true, rest = rest.substr(6);
    else break;
  }
  const std::string l = lower(rest);
  if (rest.size() == 1) {
    const unsigned char c = static_cast<unsigned char>(rest[0]);
    if (std::isalpha(c)) {
      vk = std::toupper(c);
      return true;
    }
    bool needsShift = false;
    if (c > ' ' && c < 127 && ws::Screen::keyForCharacter(c, vk, needsShift)) {
      shift = shift || needsShift;
      return true;
    }
    return false;
  }
  for (const NamedKey& k : kNamedKeys)
    if (l == k.name) {
      vk = k.vk;
      return true;
    }
  if (l.size() == 7 && l.compare(0, 6, "numpad") == 0 && std::isdigit(static_cast<unsigned char>(l[6]))) {
    vk = ws::VK_NUMPAD0 + (l[6] - '0');
    return true;
  }
  return false;
}

bool parseInputScript(const std::string& text, std::vector<ScriptCommand>& commands, std::string& error) {
  commands.clear();
  std::istringstream in(text);
  int number = 0;
  for (std::string raw; std::getline(in, raw);) {
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    const std::string line = trim(raw);
    if (line.empty() || line[0] == '#') continue;
    const size_t space = line.find_first_of(" \t");
    const std::string verb = lower(line.substr(0, space));
    // What follows the verb and one blank, kept as it is (type takes it literally).
    const std::string after = space == std::string::npos ? "" : line.substr(space + 1);
    const std::vector<std::string> w = words(withoutComment(line));
    ScriptCommand c;
    c.line = number;
    std::string why;
    bool ok = true;
    static const std::pair<const char*, ScriptVerb> mouseVerbs[] = {
        {"move", ScriptVerb::kMove},   {"click", ScriptVerb::kClick}, {"rclick", ScriptVerb::kRightClick},
        {"dblclick", ScriptVerb::kDoubleClick}, {"press", ScriptVerb::kPress}, {"drag", ScriptVerb::kDrag},
        {"release", ScriptVerb::kRelease}};
    bool known = false;
    for (const auto& [name, v] : mouseVerbs)
      if (verb == name) {
        c.verb = v;
        known = true;
        ok = parsePosition(w, c, why);
      }
    if (known) {
    } else if (verb == "key") {
      c.verb = ScriptVerb::kKey;
      // The key name may itself be "#", so only what follows it can be a comment.
      const std::string rest = trim(after);
      const size_t end = rest.find_first_of(" \t");
      const std::string name = rest.substr(0, end);
      const std::string tail = end == std::string::npos ? "" : trim(withoutComment(rest.substr(end)));
      if (name.empty()) ok = false, why = "key needs a key name";
      else if (!tail.empty()) ok = false, why = "unexpected '" + tail + "' after the key name";
      else if (!parseKeyName(name, c.key, c.keyShift, c.keyCtrl)) ok = false, why = "'" + name + "' is not a key name";
    } else if (verb == "type") {
      c.verb = ScriptVerb::kType;
      c.text = after;
      for (unsigned char ch : c.text) {
        int vk = 0;
        bool shift = false;
        if (!ws::Screen::keyForCharacter(ch, vk, shift)) {
          ok = false, why = "no key of the keyboard types the character " + std::to_string(int(ch));
          break;
        }
      }
    } else if (verb == "menu") {
      c.verb = ScriptVerb::kMenu;
      c.text = trim(withoutComment(after));
      const size_t slash = c.text.find('/');
      if (slash == std::string::npos || slash == 0 || slash + 1 == c.text.size())
        ok = false, why = "menu needs MENU/ITEM";
    } else if (verb == "wait") {
      c.verb = ScriptVerb::kWait;
      if (w.size() != 2 || !parseNumber(w[1], c.milliseconds) || c.milliseconds < 0)
        ok = false, why = "wait needs a number of milliseconds";
    } else if (verb == "screenshot") {
      c.verb = ScriptVerb::kScreenshot;
      c.text = trim(withoutComment(after));
      if (c.text.empty()) ok = false, why = "screenshot needs a file name";
    } else if (verb == "layout" || verb == "state" || verb == "menus" || verb == "paint-check") {
      c.verb = verb == "layout" ? ScriptVerb::kLayout
               : verb == "state" ? ScriptVerb::kState
               : verb == "menus" ? ScriptVerb::kMenus
                                 : ScriptVerb::kPaintCheck;
      if (w.size() != 1) ok = false, why = "unexpected '" + w[1] + "' after " + verb;
    } else {
      ok = false;
      why = "unknown command '" + line.substr(0, space) + "'";
    }
    if (!ok) {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
    commands.push_back(c);
  }
  return true;
}

bool readInputScript(const std::string& path, std::vector<ScriptCommand>& commands, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    error = "cannot read the script '" + path + "': " + std::strerror(errno);
    return false;
  }
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
  const bool bad = std::ferror(f);
  std::fclose(f);
  if (bad) {
    error = "cannot read the script '" + path + "'";
    return false;
  }
  if (!parseInputScript(text, commands, error)) {
    error = "script '" + path + "', " + error;
    return false;
  }
  return true;
}
