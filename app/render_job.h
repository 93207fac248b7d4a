#pragma once
// The host program's main job: a stored show rendered over the host video, frame by frame through the
// plug-in's render entry point, into a movie or an image sequence.
#include <functional>
#include <memory>
#include <string>

#include "app/media/frame_writer.h"
#include "app/media/video_source.h"
#include "app/show_block.h"

struct RenderOptions {
  std::string show;
  std::string output;
  std::string input;   // a movie, a still image or #RRGGBB; empty: black
  std::string size;    // "WxH"; empty: the input movie's size, else 640x480
  std::string rate;    // any positive rate, decimal or fraction; empty: the input movie's, else 29.97
  std::string frames;  // "A-B" or "N"; empty: the input movie's frames, else the show's length
  bool fields = false;
  int threads = 1;
  std::string aspect;  // "4:3" or "16:9"; empty: by the output's display aspect
  bool noAudio = false;
  std::string audio;   // a sound file for the movie; empty: the input movie's, else the show's
  EncoderChoice encoder;
  bool overwrite = false;
  bool progressLines = false;
  bool allowMissing = false;  // pictures that cannot be loaded render as the placeholder picture
  std::string maxPictureMemory;  // --max-picture-memory; empty: half of the machine's memory
};

struct RenderJob {
  ShowBlock block;
  std::unique_ptr<VideoSource> source;
  OutputSettings output;
  int firstFrame = 0;
  int lastFrame = 0;
  int threads = 1;
  std::string stageAspect = "4:3";  // the stage the plug-in renders on for this run
  bool placeholderPictures = false; // pictures that cannot be loaded are drawn as the placeholder
  bool progressLines = false;
  // Called with every finished output frame, in order (the demo's contact sheet).
  std::function<void(int frame, const HostFrame&)> onFrame;
};

struct RenderSummary {
  int frames = 0;
  double seconds = 0;
};

// Turns the options into a job: reads the show and the input, works out size and frames, checks the
// output. False with a one-line reason for bad input.
bool prepareRender(const RenderOptions& options, RenderJob& job, std::string& error);

// Finds the show's pictures (show folder, current folder, alternate folder) and loads each once. False
// naming every picture that cannot be loaded, unless options.allowMissing, which only warns.
bool checkShowPictures(const RenderOptions& options, RenderJob& job, std::string& error);
// False when the output frame would be larger than any image the plug-in can hold.
bool checkOutputSize(int width, int height, std::string& error);

// Parses "WxH", "A-B" or "N", and the rate; false when the text is not of that form.
bool parseSize(const std::string& text, int& width, int& height);
bool parseFrames(const std::string& text, int& first, int& last);

// The stage for an output: 16:9 when its display aspect (with the pixels' aspect) is wider than 1.5.
std::string stageAspectFor(int width, int height, int sampleAspectNum, int sampleAspectDen);

// Renders the job through copies of the plug-in at pluginPath, one per thread, and writes the output.
bool runRender(RenderJob& job, const std::string& pluginPath, RenderSummary& summary, std::string& error);
// The same job through the plug-in's movie making (vfGetInfo request 1) and the movie library.
bool runMovie(RenderJob& job, const std::string& pluginPath, RenderSummary& summary, std::string& error);
