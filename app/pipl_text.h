#pragma once
// Reads the plug-in's PiPL bytes back into their properties, for `kestrelmove info`.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PiplProperty {
  std::string vendor;  // "8BIM"
  std::string key;     // "kind", "name", ...
  uint32_t id = 0;
  std::vector<uint8_t> data;
};

struct PiplContents {
  uint32_t version = 0;
  std::vector<PiplProperty> properties;
};

// False with the reason when the bytes are cut short or malformed.
bool decodePipl(const uint8_t* bytes, size_t size, PiplContents& out, std::string& error);
// The property's data as text: a code, a length-prefixed name in quotes, or a number.
std::string describePiplData(const PiplProperty& property);
