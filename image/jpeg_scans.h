#pragma once
// Counting the scans of a JPEG file without decoding it: a progressive file may hold thousands of
// scans, each of which the decoder works through over the whole picture.
#include <cstddef>
#include <cstdint>

// More scans than this and a file is refused before it is decoded.
constexpr long kMaxJpegScans = 500;

// The start-of-scan markers of the file, walking marker segments by their lengths and the coded data
// of each scan up to its next marker. Stops counting once the count exceeds `limit`.
long countJpegScans(const uint8_t* bytes, size_t size, long limit);
