#pragma once
// Stored shows as JSON, for reading and writing shows by hand and by script. Nothing of the stored
// bytes is lost: numbers keep their exact values (floats print so that they read back to the same
// bits; a float that is not a finite number is written as its bit pattern, "0x7FC00000"), reserved
// words stay integers, and bytes that carry no meaning appear (as hex text) when they are not zero.
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "show/key_frame.h"
#include "show/stored_show.h"

using Json = nlohmann::ordered_json;

Json storedShowToJson(const StoredShow& show);

// Reads what storedShowToJson writes (missing optional parts take their defaults). On failure returns
// false with a one-line description naming the offending part.
bool storedShowFromJson(const Json& json, StoredShow& show, std::string& error);

// A FileSpec: its path as text (characters that are not UTF-8 as "?", with the exact bytes as hex in
// "pathBytes"), volume and folder id.
Json fileSpecToJson(const FileSpec& file);

// Adds a picture's state at a time to a JSON object (the fields a state carries).
void addStateToJson(const KeyFrame& state, Json& into);

// Hex text of bytes and back; fromHex fails on odd lengths and non-hex characters.
std::string toHex(const uint8_t* bytes, size_t size);
bool fromHex(const std::string& text, std::vector<uint8_t>& bytes);
