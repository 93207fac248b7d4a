#include "app/show_json.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// A float as a JSON value that reads back to the same bits: the shortest decimal that does, or the
// bit pattern as text for infinities and NaNs.
Json floatValue(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  if (!std::isfinite(f)) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", bits);
    return text;
  }
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, f);
  *result.ptr = 0;
  const double shortest = std::strtod(text, nullptr);
  const float back = float(shortest);
  if (std::memcmp(&back, &f, 4) == 0) return shortest;
  return double(f);
}

bool isAllZero(const uint8_t* bytes, size_t size) {
  return std::all_of(bytes, bytes + size, [](uint8_t b) { return b == 0; });
}

// Whether bytes [0, size) are well-formed UTF-8 without NULs.
bool isUtf8(const uint8_t* s, size_t size) {
  for (size_t i = 0; i < size;) {
    const uint8_t c = s[i];
    size_t extra;
    if (c == 0) return false;
    if (c < 0x80) {
      extra = 0;
    } else if ((c & 0xE0) == 0xC0 && c >= 0xC2) {
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
    } else if ((c & 0xF8) == 0xF0 && c <= 0xF4) {
      extra = 3;
    } else {
      return false;
    }
    for (size_t k = 1; k <= extra; ++k) {
      if (i + k >= size || (s[i + k] & 0xC0) != 0x80) return false;
    }
    // Overlong three-byte forms and surrogates.
    if (extra == 2 && ((c == 0xE0 && s[i + 1] < 0xA0) || (c == 0xED && s[i + 1] >= 0xA0))) return false;
    if (extra == 3 && ((c == 0xF0 && s[i + 1] < 0x90) || (c == 0xF4 && s[i + 1] >= 0x90))) return false;
    i += extra + 1;
  }
  return true;
}

}  // namespace

Json fileSpecToJson(const FileSpec& file) {
  Json j;
  const auto* path = reinterpret_cast<const uint8_t*>(file.path);
  const size_t length = strnlen(file.path, sizeof file.path);
  // A path that fills all its bytes has no end mark, which the text form cannot hold: its bytes go too.
  const bool clean =
      length < sizeof file.path && isUtf8(path, length) && isAllZero(path + length, sizeof file.path - length);
  if (clean) {
    j["path"] = std::string(file.path, length);
  } else {
    // Readable text for people; the exact bytes for the build.
    std::string readable;
    for (size_t i = 0; i < length; ++i) readable += path[i] < 0x80 ? char(path[i]) : '?';
    j["path"] = readable;
    size_t used = sizeof file.path;
    while (used > 0 && path[used - 1] == 0) --used;
    j["pathBytes"] = toHex(path, used);
  }
  // The numbers sit unaligned in the packed record: copied out, never bound by reference.
  const int16_t volume = file.volume;
  const int32_t folderId = file.folderId;
  j["volume"] = volume;
  j["folderId"] = folderId;
  return j;
}

namespace {

Json keyToJson(const KeyFrame& k) {
  Json j;
  j["time"] = k.time;
  addStateToJson(k, j);
  j["reserved1"] = k.reserved1;
  j["reserved5"] = k.reserved5;
  j["reserved6"] = k.reserved6;
  j["reserved9"] = k.reserved9;
  j["reserved11"] = k.reserved11;
  j["tag"] = k.tag;
  j["flags"] = k.flags;
  return j;
}

// Reading, with the path of the value in every error.
struct JsonReader {
  std::string error;

  bool fail(const std::string& where, const std::string& problem) {
    if (error.empty()) error = where + ": " + problem;
    return false;
  }

  // A misspelt field would otherwise be ignored and its value silently take the default.
  bool onlyKnown(const Json& object, const std::string& where, std::initializer_list<const char*> names) {
    for (const auto& item : object.items()) {
      const bool known = std::any_of(names.begin(), names.end(), [&](const char* n) { return item.key() == n; });
      if (!known) return fail(where + "." + item.key(), "unknown field");
    }
    return true;
  }

  template <typename T>
  bool integer(const Json& parent, const char* name, const std::string& where, T& out, bool required = true) {
    const auto it = parent.find(name);
    if (it == parent.end()) return required ? fail(where, std::string("missing \"") + name + "\"") : true;
    const std::string at = where + "." + name;
    if (!it->is_number_integer()) return fail(at, "not a whole number");
    if (it->is_number_unsigned()) {
      const auto v = it->template get<unsigned long long>();
      if (v > (unsigned long long)std::numeric_limits<T>::max()) return fail(at, "out of range");
      out = T(v);
    } else {
      const auto v = it->template get<long long>();
      if (v < (long long)std::numeric_limits<T>::min() || v > (long long)std::numeric_limits<T>::max())
        return fail(at, "out of range");
      out = T(v);
    }
    return true;
  }

  bool floating(const Json& parent, const char* name, const std::string& where, float& out) {
    const auto it = parent.find(name);
    const std::string at = where + "." + name;
    if (it == parent.end()) return fail(where, std::string("missing \"") + name + "\"");
    if (it->is_number()) {
      const double v = it->get<double>();
      // Up to the largest float plus half a step: such numbers still round to a float.
      if (std::isfinite(v) && std::fabs(v) >= 0x1.ffffffp127) return fail(at, "too large for a float");
      out = float(v);
      return true;
    }
    if (it->is_string()) {
      const std::string text = it->get<std::string>();
      std::vector<uint8_t> bytes;
      if (text.size() == 10 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
          fromHex(text.substr(2), bytes)) {
        const uint32_t bits = uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
        std::memcpy(&out, &bits, 4);
        return true;
      }
      return fail(at, "expected a number or a bit pattern such as \"0x7FC00000\"");
    }
    return fail(at, "not a number");
  }

  template <size_t N>
  bool padding(const Json& parent, const char* name, const std::string& where, std::array<uint8_t, N>& out) {
    out.fill(0);
    const auto it = parent.find(name);
    if (it == parent.end()) return true;
    std::vector<uint8_t> bytes;
    if (!it->is_string() || !fromHex(it->get<std::string>(), bytes) || bytes.size() > N)
      return fail(where + "." + name, "expected hex text of at most " + std::to_string(N) + " bytes");
    std::copy(bytes.begin(), bytes.end(), out.begin());
    return true;
  }

  bool file(const Json& parent, const char* name, const std::string& where, FileSpec& out) {
    const auto it = parent.find(name);
    if (it == parent.end()) return fail(where, std::string("missing \"") + name + "\"");
    const std::string at = where + "." + name;
    if (!it->is_object()) return fail(at, "expected an object with path, volume and folderId");
    if (std::string(name) == "soundTrack" ? !onlyKnown(*it, at, {"path", "pathBytes", "volume", "folderId", "reserved"})
                                          : !onlyKnown(*it, at, {"path", "pathBytes", "volume", "folderId"}))
      return false;
    out = FileSpec{};
    int16_t volume = 0;
    int32_t folderId = 0;
    if (!integer(*it, "volume", at, volume, false) || !integer(*it, "folderId", at, folderId, false)) return false;
    out.volume = volume;
    out.folderId = folderId;
    if (const auto bytes = it->find("pathBytes"); bytes != it->end()) {
      std::vector<uint8_t> raw;
      if (!bytes->is_string() || !fromHex(bytes->get<std::string>(), raw) || raw.size() > sizeof out.path)
        return fail(at + ".pathBytes", "expected hex text of at most 256 bytes");
      std::memcpy(out.path, raw.data(), raw.size());
      return true;
    }
    const auto path = it->find("path");
    if (path == it->end() || !path->is_string()) return fail(at, "missing \"path\" text");
    const std::string text = path->get<std::string>();
    if (text.size() > sizeof out.path - 1) return fail(at + ".path", "longer than 255 bytes");
    if (text.find('\0') != std::string::npos) return fail(at + ".path", "holds a NUL character");
    std::memcpy(out.path, text.data(), text.size());
    return true;
  }

  bool key(const Json& j, const std::string& at, KeyFrame& k) {
    if (!j.is_object()) return fail(at, "expected an object");
    if (!onlyKnown(j, at, {"time", "x", "y", "width", "height", "rotation", "easeCode", "amount", "reserved1",
                           "reserved5", "reserved6", "reserved9", "reserved11", "tag", "flags"}))
      return false;
    return integer(j, "time", at, k.time) && floating(j, "x", at, k.x) && floating(j, "y", at, k.y) &&
           floating(j, "width", at, k.width) && floating(j, "height", at, k.height) &&
           floating(j, "rotation", at, k.rotation) && floating(j, "easeCode", at, k.easeCode) &&
           floating(j, "amount", at, k.amount) && integer(j, "reserved1", at, k.reserved1, false) &&
           integer(j, "reserved5", at, k.reserved5, false) && integer(j, "reserved6", at, k.reserved6, false) &&
           integer(j, "reserved9", at, k.reserved9, false) && integer(j, "reserved11", at, k.reserved11, false) &&
           integer(j, "tag", at, k.tag, false) && integer(j, "flags", at, k.flags, false);
  }

  bool picture(const Json& j, const std::string& at, StoredPicture& p) {
    if (!j.is_object()) return fail(at, "expected an object");
    if (!onlyKnown(j, at, {"file", "brushCode", "tintColour", "locked", "reserved", "padding", "keys"})) return false;
    if (!file(j, "file", at, p.file) || !integer(j, "brushCode", at, p.brushCode, false) ||
        !integer(j, "tintColour", at, p.tintColour, false) || !integer(j, "locked", at, p.lock, false) ||
        !padding(j, "padding", at, p.padding))
      return false;
    if (const auto reserved = j.find("reserved"); reserved != j.end()) {
      if (!reserved->is_array() || reserved->size() != 2) return fail(at + ".reserved", "expected two whole numbers");
      for (size_t i = 0; i < 2; ++i) {
        const Json wrapper = {{"word", (*reserved)[i]}};
        if (!integer(wrapper, "word", at + ".reserved[" + std::to_string(i) + "]", p.reserved[i])) return false;
      }
    }
    const auto keys = j.find("keys");
    if (keys == j.end() || !keys->is_array()) return fail(at, "missing \"keys\" list");
    if (keys->empty() || keys->size() > size_t(kStoredMaxKeys))
      return fail(at + ".keys", "has " + std::to_string(keys->size()) + " keys (allowed 1 to 128)");
    p.keys.assign(keys->size(), KeyFrame{});
    for (size_t i = 0; i < keys->size(); ++i) {
      if (!key((*keys)[i], at + ".keys[" + std::to_string(i) + "]", p.keys[i])) return false;
    }
    return true;
  }
};

}  // namespace

std::string toHex(const uint8_t* bytes, size_t size) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  text.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 15];
  }
  return text;
}

bool fromHex(const std::string& text, std::vector<uint8_t>& bytes) {
  if (text.size() % 2 != 0) return false;
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  bytes.clear();
  for (size_t i = 0; i < text.size(); i += 2) {
    const int hi = digit(text[i]);
    const int lo = digit(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes.push_back(uint8_t(hi * 16 + lo));
  }
  return true;
}

Json storedShowToJson(const StoredShow& show) {
  Json j;
  j["bigEndian"] = show.bigEndian;
  j["changeStamp"] = show.changeStamp;
  j["background"] = fileSpecToJson(show.background);
  j["videoColours"] = show.videoColours;
  j["alphaBlur"] = show.alphaBlur;
  if (show.hasSoundTrack) {
    Json sound = fileSpecToJson(show.soundTrack);
    if (show.soundTrackWord != 0) sound["reserved"] = show.soundTrackWord;
    j["soundTrack"] = sound;
  } else {
    j["soundTrack"] = nullptr;
  }
  j["pictures"] = Json::array();
  for (const StoredPicture& p : show.pictures) {
    Json pj;
    pj["file"] = fileSpecToJson(p.file);
    pj["brushCode"] = p.brushCode;
    pj["tintColour"] = p.tintColour;
    pj["locked"] = p.lock;
    pj["reserved"] = {p.reserved[0], p.reserved[1]};
    if (!isAllZero(p.padding.data(), p.padding.size())) pj["padding"] = toHex(p.padding.data(), p.padding.size());
    pj["keys"] = Json::array();
    for (const KeyFrame& k : p.keys) pj["keys"].push_back(keyToJson(k));
    j["pictures"].push_back(pj);
  }
  if (!isAllZero(show.headerPadding.data(), show.headerPadding.size()))
    j["headerPadding"] = toHex(show.headerPadding.data(), show.headerPadding.size());
  if (!show.unusedData.empty()) j["unusedData"] = toHex(show.unusedData.data(), show.unusedData.size());
  if (!isAllZero(show.trailer.data(), show.trailer.size()))
    j["trailer"] = toHex(show.trailer.data(), show.trailer.size());
  return j;
}

bool storedShowFromJson(const Json& j, StoredShow& show, std::string& error) {
  JsonReader in;
  show = StoredShow{};
  const std::string root = "show";
  auto done = [&](bool ok) {
    if (!ok) error = in.error;
    return ok;
  };
  if (!j.is_object()) return done(in.fail(root, "expected an object"));
  if (!in.onlyKnown(j, root, {"bigEndian", "changeStamp", "background", "videoColours", "alphaBlur", "soundTrack",
                              "pictures", "headerPadding", "unusedData", "trailer", "extraBytes"}))
    return done(false);
  if (const auto it = j.find("bigEndian"); it != j.end()) {
    if (!it->is_boolean()) return done(in.fail(root + ".bigEndian", "expected true or false"));
    show.bigEndian = it->get<bool>();
  }
  if (!in.integer(j, "changeStamp", root, show.changeStamp) || !in.file(j, "background", root, show.background) ||
      !in.integer(j, "videoColours", root, show.videoColours, false) ||
      !in.integer(j, "alphaBlur", root, show.alphaBlur, false) ||
      !in.padding(j, "headerPadding", root, show.headerPadding) || !in.padding(j, "trailer", root, show.trailer))
    return done(false);

  if (const auto sound = j.find("soundTrack"); sound != j.end() && !sound->is_null()) {
    show.hasSoundTrack = true;
    if (!in.file(j, "soundTrack", root, show.soundTrack) ||
        !in.integer(*sound, "reserved", root + ".soundTrack", show.soundTrackWord, false))
      return done(false);
  }
  if (const auto unused = j.find("unusedData"); unused != j.end()) {
    if (!unused->is_string() || !fromHex(unused->get<std::string>(), show.unusedData))
      return done(in.fail(root + ".unusedData", "expected hex text"));
  }

  const auto pictures = j.find("pictures");
  if (pictures == j.end() || !pictures->is_array()) return done(in.fail(root, "missing \"pictures\" list"));
  if (pictures->size() > size_t(kStoredMaxPictures))
    return done(in.fail(root + ".pictures", "has " + std::to_string(pictures->size()) + " pictures: A show holds at most 30 pictures"));
  for (size_t i = 0; i < pictures->size(); ++i) {
    StoredPicture p;
    if (!in.picture((*pictures)[i], root + ".pictures[" + std::to_string(i) + "]", p)) return done(false);
    show.pictures.push_back(std::move(p));
  }
  return done(true);
}

void addStateToJson(const KeyFrame& state, Json& j) {
  j["x"] = floatValue(state.x);
  j["y"] = floatValue(state.y);
  j["width"] = floatValue(state.width);
  j["height"] = floatValue(state.height);
  j["rotation"] = floatValue(state.rotation);
  j["easeCode"] = floatValue(state.easeCode);
  j["amount"] = floatValue(state.amount);
}
