#pragma once
// The PiPL resource (type "PIPL", id 16000) that describes the plug-in to a host, as the exact bytes a
// host reads: version, count, then properties of vendor code, key, id, length and padded data.
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kPiplResourceId = 16000;

// Built once, in the documented order; the same bytes on every call.
const std::vector<uint8_t>& piplBytes();
