#pragma once
// A progress bar on standard error while frames are rendered, drawn only when standard error is a
// terminal.
#include <chrono>

class ProgressMeter {
 public:
  explicit ProgressMeter(int total);
  ~ProgressMeter();
  void update(int done);
  // Clears the bar; returns the seconds since the meter started.
  double finish();

 private:
  int total_;
  bool enabled_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDrawn_;
};
