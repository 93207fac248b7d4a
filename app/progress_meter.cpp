#include "app/progress_meter.h"

#include <unistd.h>

#include <cstdio>

ProgressMeter::ProgressMeter(int total, bool lines)
    : total_(total > 0 ? total : 1),
      lines_(lines),
      enabled_(!lines && ::isatty(STDERR_FILENO) == 1),
      start_(std::chrono::steady_clock::now()) {}

ProgressMeter::~ProgressMeter() { finish(); }

void ProgressMeter::frameDone(int frame, int done) {
  const auto now = std::chrono::steady_clock::now();
  if (lines_) {
    const double seconds = std::chrono::duration<double>(now - start_).count();
    std::fprintf(stderr, "frame=%d done=%d total=%d fps=%.2f\n", frame, done, total_, seconds > 0 ? done / seconds : 0.0);
    std::fflush(stderr);
    return;
  }
  if (!enabled_) return;
  // A few redraws a second are enough, but the last frame always shows.
  if (shown_ && done < total_ && now - lastDrawn_ < std::chrono::milliseconds(100)) return;
  lastDrawn_ = now;
  shown_ = true;
  constexpr int kWidth = 30;
  const int filled = int(long(done) * kWidth / total_);
  char bar[kWidth + 1];
  for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
  bar[kWidth] = 0;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  std::fprintf(stderr, "\r[%s] %d/%d frames %3d%%  %.1f fps ", bar, done, total_, int(long(done) * 100 / total_),
               seconds > 0 ? done / seconds : 0.0);
  std::fflush(stderr);
}

double ProgressMeter::finish() {
  if (enabled_ && shown_) {
    std::fprintf(stderr, "\r%*s\r", 72, "");
    std::fflush(stderr);
    shown_ = false;
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}
