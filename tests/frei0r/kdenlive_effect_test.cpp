// The Kdenlive effect description: well-formed XML that names the frei0r service, offers a file
// chooser for the show, and describes only parameters the filter has, with the filter's defaults.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "frei0r/filter_parameters.h"

namespace {

struct Element {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::string text;
  std::vector<Element> children;
};

// A small reader for the XML the description uses: elements, attributes in double quotes, text,
// comments, the declaration and the doctype. Returns false on anything unbalanced or malformed.
class XmlReader {
 public:
  explicit XmlReader(std::string text) : s_(std::move(text)) {}

  bool read(Element& root) {
    skipMisc();
    if (!element(root)) return false;
    skipMisc();
    return at_ == s_.size();
  }

 private:
  void skipSpace() {
    while (at_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[at_]))) ++at_;
  }
  bool skipPast(const std::string& end) {
    const size_t found = s_.find(end, at_);
    if (found == std::string::npos) return false;
    at_ = found + end.size();
    return true;
  }
  void skipMisc() {
    for (;;) {
      skipSpace();
      if (s_.compare(at_, 4, "<!--") == 0 && skipPast("-->")) continue;
      if (s_.compare(at_, 2, "<?") == 0 && skipPast("?>")) continue;
      if (s_.compare(at_, 9, "<!DOCTYPE") == 0 && skipPast(">")) continue;
      return;
    }
  }
  std::string name() {
    const size_t start = at_;
    while (at_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[at_])) || s_[at_] == '_' || s_[at_] == '-' ||
                               s_[at_] == ':' || s_[at_] == '.'))
      ++at_;
    return s_.substr(start, at_ - start);
  }
  bool element(Element& e) {
    if (at_ >= s_.size() || s_[at_] != '<') return false;
    ++at_;
    e.name = name();
    if (e.name.empty()) return false;
    for (;;) {
      skipSpace();
      if (s_.compare(at_, 2, "/>") == 0) {
        at_ += 2;
        return true;
      }
      if (at_ < s_.size() && s_[at_] == '>') {
        ++at_;
        break;
      }
      const std::string key = name();
      if (key.empty() || s_.compare(at_, 2, "=\"") != 0) return false;
      at_ += 2;
      const size_t end = s_.find('"', at_);
      if (end == std::string::npos || e.attributes.count(key)) return false;
      e.attributes[key] = s_.substr(at_, end - at_);
      at_ = end + 1;
    }
    for (;;) {
      if (at_ >= s_.size()) return false;
      if (s_.compare(at_, 4, "<!--") == 0) {
        if (!skipPast("-->")) return false;
      } else if (s_.compare(at_, 2, "</") == 0) {
        at_ += 2;
        if (name() != e.name) return false;
        skipSpace();
        if (at_ >= s_.size() || s_[at_] != '>') return false;
        ++at_;
        return true;
      } else if (s_[at_] == '<') {
        e.children.emplace_back();
        if (!element(e.children.back())) return false;
      } else {
        e.text += s_[at_++];
      }
    }
  }

  std::string s_;
  size_t at_ = 0;
};

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

// Whether the filter takes `value` for the parameter `name`, by the filter's own rules.
bool filterTakes(const std::string& name, const std::string& value) {
  FrameRate rate;
  AspectChoice aspect;
  FieldChoice fields;
  if (name == "rate") return parseFrameRate(value, rate);
  if (name == "aspect") return parseAspect(value, aspect);
  if (name == "fields") return parseFields(value, fields);
  return false;
}

const Element* parameterNamed(const Element& effect, const std::string& name) {
  for (const Element& c : effect.children)
    if (c.name == "parameter" && c.attributes.count("name") && c.attributes.at("name") == name) return &c;
  return nullptr;
}

TEST(KdenliveEffect, DescribesTheFilterWithAFileChooserForTheShow) {
  std::ifstream in(KM_KDENLIVE_EFFECT);
  ASSERT_TRUE(in) << KM_KDENLIVE_EFFECT;
  std::stringstream text;
  text << in.rdbuf();
  Element effect;
  ASSERT_TRUE(XmlReader(text.str()).read(effect)) << "not well-formed XML";
  EXPECT_EQ(effect.name, "effect");
  EXPECT_EQ(effect.attributes["tag"], "frei0r.kestrelmove");
  EXPECT_EQ(effect.attributes["id"], "frei0r.kestrelmove");

  const Element* show = parameterNamed(effect, "show");
  ASSERT_TRUE(show);
  EXPECT_EQ(show->attributes.at("type"), "url");
  EXPECT_NE(show->attributes.at("filter").find("*.kmv"), std::string::npos);

  // The filter's parameters are all strings: the rate is a list of texts, like the choices.
  const Element* rate = parameterNamed(effect, "rate");
  ASSERT_TRUE(rate);
  EXPECT_EQ(rate->attributes.at("type"), "list");
  EXPECT_EQ(rate->attributes.at("default"), "29.97");
  const Element* aspect = parameterNamed(effect, "aspect");
  ASSERT_TRUE(aspect);
  EXPECT_EQ(aspect->attributes.at("paramlist"), "auto;4:3;16:9");
  EXPECT_EQ(aspect->attributes.at("default"), "auto");
  const Element* fields = parameterNamed(effect, "fields");
  ASSERT_TRUE(fields);
  EXPECT_EQ(fields->attributes.at("paramlist"), "progressive;top;bottom");
  EXPECT_EQ(fields->attributes.at("default"), "progressive");

  // Every text a list offers is one the filter takes, shown under a name of its own, and the default
  // is among them.
  for (const Element& c : effect.children) {
    if (c.name != "parameter" || c.attributes.at("type") != "list") continue;
    const std::string name = c.attributes.at("name");
    const std::vector<std::string> values = split(c.attributes.at("paramlist"), ';');
    for (const std::string& v : values) EXPECT_TRUE(filterTakes(name, v)) << name << ": " << v;
    EXPECT_NE(std::find(values.begin(), values.end(), c.attributes.at("default")), values.end()) << name;
    std::string shown;
    for (const Element& d : c.children)
      if (d.name == "paramlistdisplay") shown = d.text;
    EXPECT_EQ(split(shown, ',').size(), values.size()) << name;
  }

  // Every parameter named is one of the filter's, and each has a name shown to the user.
  for (const Element& c : effect.children) {
    if (c.name != "parameter") continue;
    const std::string name = c.attributes.at("name");
    EXPECT_TRUE(name == "show" || name == "rate" || name == "aspect" || name == "fields" || name == "time unit")
        << name;
    bool shown = false;
    for (const Element& d : c.children) shown |= d.name == "name" && !d.text.empty();
    EXPECT_TRUE(shown) << name;
  }
}

TEST(KdenliveEffect, ReaderRefusesUnbalancedXml) {
  Element a, b, c;
  EXPECT_FALSE(XmlReader("<effect><name>x</effect>").read(a));
  EXPECT_FALSE(XmlReader("<effect a=\"1\" a=\"2\"/>").read(b));
  EXPECT_TRUE(XmlReader("<?xml version=\"1.0\"?><effect a=\"1\"><b/>t</effect>").read(c));
}

}  // namespace
