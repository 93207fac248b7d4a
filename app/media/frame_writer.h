#pragma once
// Where rendered frames go: a movie file or an image sequence. Writers write under temporary names and
// show their output under the requested name only when finished, so a failed render leaves nothing
// half-written behind.
#include <memory>
#include <string>

#include "app/media/host_frame.h"

struct OutputSettings {
  std::string path;   // a movie (.mp4, .mov, .mkv, .avi) or an image-sequence pattern with %d
  int width = 0;
  int height = 0;
  int frameRateCode = 0;   // as in ActionRecord.frameRateCode
  bool interlaced = false; // frames are woven from two fields, the top (even) one first
};

class FrameWriter {
 public:
  virtual ~FrameWriter() = default;
  // Writes one destination frame (24 or 32 bits, rows bottom-up) as host frame `frameNumber`.
  virtual bool write(int frameNumber, const HostFrame& frame) = 0;
  // Completes the output and moves it to its final name.
  virtual bool finish() = 0;
  // Removes whatever was written so far.
  virtual void abandon() = 0;
  const std::string& error() const { return error_; }

 protected:
  std::string error_;
};

// The writer for the output's kind (by extension). Null with the reason in error when the name or the
// folder cannot be used.
std::unique_ptr<FrameWriter> openFrameWriter(const OutputSettings& settings, std::string& error);

// Checks what can be checked before rendering: the size, the name's kind and pattern, and that the
// folder exists. False with the reason in error.
bool checkOutput(const OutputSettings& settings, std::string& error);

// Whether the path names a movie (by extension).
bool isMoviePath(const std::string& path);
