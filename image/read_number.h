#pragma once
// Every multi-byte number of a file header is read through here, in the byte order the file declares.
#include <cstdint>

// length is 1 to 4 bytes; other lengths read as 0.
uint32_t readNumber(const uint8_t* bytes, int length, bool bigEndian);
