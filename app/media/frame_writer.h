#pragma once
// Where rendered frames go: a movie file or an image sequence. Writers write under temporary names and
// show their output under the requested name only when finished, so a failed render leaves nothing
// half-written behind.
#include <memory>
#include <string>

#include "app/media/frame_rate.h"
#include "app/media/host_frame.h"

// What a movie says about its pictures beyond their size; carried from the input into the output.
// Values are FFmpeg's enumerations; 0 or -1 where the input says nothing.
struct PictureDescription {
  int sampleAspectNum = 0;  // 0: not given (square pixels)
  int sampleAspectDen = 1;
  int fieldOrder = 0;       // AVFieldOrder
  int colourSpace = -1;     // AVColorSpace, -1 unknown
  int colourPrimaries = -1;
  int colourTransfer = -1;
  int colourRange = -1;
  std::string pixelFormat;  // the input's, for 10-bit and 4:2:2 outputs
};

// Which encoder writes a movie; empty or -1 keeps the usual choice (H.264 at CRF 18, preset fast,
// 4:2:0, else MPEG-4).
struct EncoderChoice {
  std::string codec;
  std::string preset;
  std::string pixelFormat;
  int crf = -1;
};

struct OutputSettings {
  std::string path;   // a movie (by extension or -f style guess) or an image-sequence pattern with %d
  int width = 0;
  int height = 0;
  int frameRateCode = 0;   // as in ActionRecord.frameRateCode
  bool interlaced = false; // frames are woven from two fields, the top (even) one first
  FrameRate rate;          // the movie's exact rate
  PictureDescription picture;
  EncoderChoice encoder;
  // Audio carried into a movie: every audio stream of this file, from audioStart seconds (after the
  // file's first video frame, or its first sound when it has no video) for the movie's duration.
  std::string audioFrom;
  double audioStart = 0;
  // An existing output (or any existing frame of firstFrame..lastFrame of a sequence) is replaced
  // only when asked.
  bool overwrite = false;
  int firstFrame = 0;
  int lastFrame = -1;
  // Threads the encoder may use beside the renderers (the run's --threads).
  int threads = 1;
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
  // After abandon(): what is left of the output, for the user ("nothing written under 'x.mp4'").
  virtual std::string leftAfterStop() const = 0;
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
