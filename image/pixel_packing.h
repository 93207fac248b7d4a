#pragma once
// Pixels between the hosts' packed 24-bit frames (blue, green, red) and the 32-bit buffers of the
// renderer (blue, green, red, fourth byte). Plain byte moves, four pixels at a time where the machine
// allows; every function gives exactly the bytes of its one-pixel-at-a-time loop.
#include <cstddef>
#include <cstdint>

// `count` pixels of 3 bytes into pixels of 4: the fourth byte of each output pixel keeps its value.
void unpack24To32(const uint8_t* in, uint8_t* out, size_t count);
// `count` pixels of 4 bytes into pixels of 4, copying the first three bytes: the fourth keeps its value.
void copyColours32(const uint8_t* in, uint8_t* out, size_t count);
// `count` pixels of 4 bytes into pixels of 3, dropping the fourth byte.
void pack32To24(const uint8_t* in, uint8_t* out, size_t count);
