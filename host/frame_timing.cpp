#include "host/frame_timing.h"

#include "host/host_records.h"

FrameTiming frameTiming(int32_t frameNumber, bool fieldMode) {
  FrameTiming t;
  if (!fieldMode) {
    t.time = frameNumber;
    return t;
  }
  t.time = frameNumber / 2;
  t.field = (frameNumber % 2 != 0) ? 1 : 2;
  t.lineFlag = t.field == 2 ? 1 : 0;
  return t;
}

int32_t frameRateFromCode(int32_t code) {
  switch (code) {
    case KM_RATE_CODE_25: return 2500;
    case KM_RATE_CODE_24: return 2400;
    default: return 2997;
  }
}

int32_t destinationRowStep(int32_t width, int32_t bytesPerPixel) {
  return (width * bytesPerPixel + 3) & ~3;
}
