#include "app/media/frame_rate.h"

#include <cmath>

#include "host/host_records.h"

int32_t rateCodeNearest(const FrameRate& rate) {
  const double fps = rate.perSecond();
  const double to2997 = std::fabs(fps - 29.97), to25 = std::fabs(fps - 25.0), to24 = std::fabs(fps - 24.0);
  if (to2997 <= to25 && to2997 <= to24) return 0;
  return to25 <= to24 ? KM_RATE_CODE_25 : KM_RATE_CODE_24;
}
