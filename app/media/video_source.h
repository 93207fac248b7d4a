#pragma once
// The host's video: what the host program hands the plug-in as the source frame of each frame. A
// movie is decoded and scaled to the output size; a still image goes at its own size; a colour or the
// demo's generated background fills the output size.
#include <memory>
#include <string>

#include "app/media/frame_writer.h"
#include "app/media/host_frame.h"

class VideoSource {
 public:
  virtual ~VideoSource() = default;
  // The source for host frame `frame` (packed rows, bottom-up). Valid until the next call.
  virtual const HostFrame* frame(int frame, std::string& error) = 0;
  // Whether frames come at the output size (then an interlaced render takes each field's lines).
  virtual bool atOutputSize() const { return true; }
  // Frames the source holds, or -1 when it has no end.
  virtual int frameCount() const { return -1; }
  // Sources that fill the output size follow it; set before the first frame.
  virtual void setOutputSize(int width, int height) { (void)width, (void)height; }
  // The source's own size (a still or a movie), or 0 x 0.
  virtual int naturalWidth() const { return 0; }
  virtual int naturalHeight() const { return 0; }
  // A movie's exact frame rate; false for sources without one.
  virtual bool frameRate(FrameRate& rate) const { (void)rate; return false; }
  // What a movie says about its pictures (aspect, fields, colours, pixel format).
  virtual PictureDescription picture() const { return {}; }
  // Whether the source holds sound that an output movie can carry.
  virtual bool hasAudio() const { return false; }
  // Frames will be asked for out of order (an editor): a movie reads its index now rather than at the
  // first jump. False with the error when the movie cannot be read.
  virtual bool expectJumps(std::string& error) { (void)error; return true; }
  // Frames a movie's decoder has put out since it opened: the work the frames asked for took.
  virtual int64_t framesDecoded() const { return 0; }
  // Threads a movie's decoder may use; set before the first frame.
  virtual void setDecodeThreads(int threads) { (void)threads; }
  // Whether every frame is the same picture, so frame()'s result may be shared by several renderers
  // for the whole run (a colour, a still).
  virtual bool framesStay() const { return false; }
  // The source for `frame`, made in `storage` when it changes from frame to frame, so that several
  // frames can be held at once without copying each. Valid while storage is untouched (for sources
  // whose frames stay, for the whole run).
  virtual const HostFrame* frameInto(int frame, HostFrame& storage, std::string& error);
};

// Whether FFmpeg's probing takes the file for a movie, whatever its name says: pictures (which FFmpeg
// reads as one-frame movies too) and unknown files are not.
bool probesAsMovie(const std::string& path);

// Parses "#RRGGBB". Returns false when text is not such a colour.
bool parseColour(const std::string& text, uint8_t& red, uint8_t& green, uint8_t& blue);

std::unique_ptr<VideoSource> makeColourSource(int width, int height, uint8_t red, uint8_t green, uint8_t blue);
// Soft moving colour gradients (the demo's background).
std::unique_ptr<VideoSource> makeGradientSource(int width, int height);
std::unique_ptr<VideoSource> openStillSource(const std::string& path, std::string& error);
// Without the index, every frame is decoded from the start or the frame before (the reference that
// frames reached through the index are held to).
std::unique_ptr<VideoSource> openMovieSource(const std::string& path, std::string& error, bool indexed = true);

// A colour, a movie (by content) or a still image, with a clear message when it cannot be used.
std::unique_ptr<VideoSource> openVideoSource(const std::string& input, std::string& error);
