#pragma once
// Progress while frames are rendered, on standard error: a bar drawn only when standard error is a
// terminal, or, for render farms and scripts, one line per finished frame whatever it is attached to.
#include <chrono>

class ProgressMeter {
 public:
  ProgressMeter(int total, bool lines = false);
  ~ProgressMeter();
  // `done` frames are finished, the last of them host frame `frame`.
  void frameDone(int frame, int done);
  void update(int done) { frameDone(-1, done); }
  // Clears the bar; returns the seconds since the meter started.
  double finish();

 private:
  int total_;
  bool lines_;
  bool enabled_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDrawn_;
};
