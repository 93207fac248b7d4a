#pragma once
// How the render action turns the host's frame number into show time and field, and the other small
// rules of the host's records.
#include <cstdint>

struct FrameTiming {
  int time = 0;
  int field = 0;     // 0 progressive, 1 or 2 the field
  int lineFlag = 0;  // 1 only for field 2
};

// With field mode on the frame number counts fields: time = frame / 2 (toward zero), field 1 for odd
// numbers and 2 for even ones.
FrameTiming frameTiming(int32_t frameNumber, bool fieldMode);

// Frame rate in hundredths of a frame per second for the host's frame-rate code.
int32_t frameRateFromCode(int32_t code);

// Bytes per row of a host destination frame: width x bytes per pixel, rounded down to a multiple of 4
// after adding 3.
int32_t destinationRowStep(int32_t width, int32_t bytesPerPixel);
