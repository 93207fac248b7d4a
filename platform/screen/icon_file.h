#pragma once
// Icon (.ico) and cursor (.cur) files as the program carries them: the first image of the file, with
// a 1-, 4- or 8-bit palette or 24- or 32-bit pixels, and its transparency mask.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/screen/backend.h"

namespace ws {

// The image, its mask (1 where the image shows) and, for a cursor, its hot spot. Null when the bytes are
// not such a file or hold less than their headers claim.
std::shared_ptr<Cursor> readIconFile(const uint8_t* bytes, size_t size);

}  // namespace ws
