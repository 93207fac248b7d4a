#pragma once
// PackBits run-length lines, as Photoshop stores compressed channel rows.
#include <cstddef>
#include <cstdint>

// Unpacks one line of `inputSize` bytes into `output`, never reading past the input nor writing past
// `capacity` bytes. Returns the number of bytes written.
size_t unpackBits(const uint8_t* input, size_t inputSize, uint8_t* output, size_t capacity);
