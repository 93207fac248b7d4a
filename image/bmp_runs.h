#pragma once
// Whether the pixel data of a run-length BMP file (8 or 4 bits a pixel) covers its picture: FFmpeg's
// decoder draws whatever runs it finds and reports success, so plain rows marked as runs would come
// out as a garbled picture.
#include <cstddef>
#include <cstdint>

// Null when the runs, read from `data` (the bytes from the file's pixel offset on), stay within a
// picture of width x height and reach its last line or the end-of-picture code; else what is wrong.
const char* bmpRunProblem(const uint8_t* data, size_t size, int64_t width, int64_t height, int bitsPerPixel);
