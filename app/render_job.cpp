#include "app/render_job.h"

#include <signal.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "app/frame_pipeline.h"
#include "app/media/render_call.h"
#include "app/plugin_library.h"
#include "app/progress_meter.h"
#include "app/render_limits.h"
#include "app/show_pictures.h"
#include "app/show_sound_track.h"
#include "app/vft32/movie_job.h"
#include "image/image_buffer.h"

namespace {

std::atomic<bool> gInterrupted{false};
std::atomic<int> gSignal{0};

// An interrupted render stops between frames and removes its unfinished output: Ctrl+C, a kill, or
// the terminal going away all mean the same to a render.
class InterruptGuard {
 public:
  InterruptGuard() {
    gInterrupted = false;
    gSignal = 0;
    struct sigaction action {};
    action.sa_handler = [](int signal) {
      gSignal = signal;
      gInterrupted = true;
    };
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &action, &previous_[i]);
  }
  ~InterruptGuard() {
    for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &previous_[i], nullptr);
  }

 private:
  static constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};
  std::array<struct sigaction, 3> previous_{};
};

std::string interruptedBecause() {
  const int signal = gSignal;
  const char* name = signal == SIGTERM ? "SIGTERM" : signal == SIGHUP ? "SIGHUP" : "SIGINT";
  return std::string("interrupted by ") + name + "; ";
}

// The host video's time for the first rendered frame and the rate of the output, for the sound.
void chooseAudio(const RenderOptions& options, RenderJob& job, const FrameRate& inputRate, bool inputIsMovie) {
  job.output.audioFrom.clear();
  if (options.noAudio || !isMoviePath(options.output)) return;
  if (!options.audio.empty()) {
    job.output.audioFrom = options.audio;
    job.output.audioStart = job.firstFrame / job.output.rate.perSecond();
  } else if (inputIsMovie) {
    if (job.source->hasAudio()) {
      job.output.audioFrom = options.input;
      job.output.audioStart = job.firstFrame / inputRate.perSecond();
    }
  } else {
    const std::string track = showSoundTrackPath(options.show, job.block);
    if (!track.empty()) {
      job.output.audioFrom = track;
      job.output.audioStart = job.firstFrame / job.output.rate.perSecond();
    }
  }
}

bool parseInt(const std::string& text, int& value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  value = std::stoi(text);
  return true;
}

}  // namespace

bool parseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find_first_of("xX");
  return x != std::string::npos && parseInt(text.substr(0, x), width) && parseInt(text.substr(x + 1), height) &&
         width > 0 && height > 0;
}

bool parseFrames(const std::string& text, int& first, int& last) {
  const size_t dash = text.find('-');
  if (dash == std::string::npos) {
    if (!parseInt(text, first)) return false;
    last = first;
    return true;
  }
  return parseInt(text.substr(0, dash), first) && parseInt(text.substr(dash + 1), last) && first <= last;
}

std::string stageAspectFor(int width, int height, int sampleAspectNum, int sampleAspectDen) {
  const double pixel = sampleAspectNum > 0 && sampleAspectDen > 0 ? double(sampleAspectNum) / sampleAspectDen : 1.0;
  return double(width) * pixel > 1.5 * double(height) ? "16:9" : "4:3";
}

namespace {

bool chooseRate(const RenderOptions& options, RenderJob& job, std::string& error) {
  FrameRate rate;
  if (!options.rate.empty()) {
    if (!parseFrameRate(options.rate, rate)) {
      error = "rate '" + options.rate + "' is not a positive rate such as 25, 29.97 or 30000/1001";
      return false;
    }
  } else {
    job.source->frameRate(rate);
  }
  job.output.rate = rate;
  job.output.frameRateCode = rateCodeNearest(rate);
  return true;
}

// The pictures' description, the stage, the encoder, the sound and what may be replaced.
bool chooseMovieDetails(const RenderOptions& options, RenderJob& job, std::string& error) {
  OutputSettings& out = job.output;
  FrameRate inputRate;
  const bool inputIsMovie = job.source->frameRate(inputRate);
  if (inputIsMovie) {
    out.picture = job.source->picture();
    // The pixels' shape belongs to the input's size; a render at another size has square pixels.
    if (out.width != job.source->naturalWidth() || out.height != job.source->naturalHeight())
      out.picture.sampleAspectNum = 0;
  }
  if (options.aspect.empty()) {
    job.stageAspect = stageAspectFor(out.width, out.height, out.picture.sampleAspectNum, out.picture.sampleAspectDen);
  } else if (options.aspect == "4:3" || options.aspect == "16:9") {
    job.stageAspect = options.aspect;
  } else {
    error = "aspect '" + options.aspect + "' is not 4:3 or 16:9";
    return false;
  }
  if (options.encoder.crf > 63) {
    error = "crf " + std::to_string(options.encoder.crf) + " is out of range (0 to 63)";
    return false;
  }
  out.encoder = options.encoder;
  if (!options.audio.empty() && !std::filesystem::is_regular_file(options.audio)) {
    error = "cannot read the sound file '" + options.audio + "'";
    return false;
  }
  chooseAudio(options, job, inputIsMovie ? inputRate : out.rate, inputIsMovie);
  out.overwrite = options.overwrite;
  out.firstFrame = job.firstFrame;
  out.lastFrame = job.lastFrame;
  job.progressLines = options.progressLines;
  return true;
}

}  // namespace

bool checkShowPictures(const RenderOptions& options, RenderJob& job, std::string& error) {
  const std::vector<PictureProblem> problems = resolveShowPictures(job.block, options.show);
  if (problems.empty()) return true;
  if (!options.allowMissing) {
    error = describePictureProblems(options.show, problems) + "; --allow-missing renders the placeholder picture instead";
    return false;
  }
  job.placeholderPictures = true;
  std::fprintf(stderr, "kestrelmove: warning: %s; the placeholder picture stands in for them\n",
               describePictureProblems(options.show, problems).c_str());
  return true;
}

bool checkOutputSize(int width, int height, std::string& error) {
  if (width <= ImageBuffer::kMaxSide && height <= ImageBuffer::kMaxSide) return true;
  error = "size " + std::to_string(width) + "x" + std::to_string(height) + " is larger than the " +
          std::to_string(ImageBuffer::kMaxSide) + " pixels each way that a frame can have";
  return false;
}

bool prepareRender(const RenderOptions& options, RenderJob& job, std::string& error) {
  if (!readShowBlock(options.show, job.block, error) || !checkShowPictures(options, job, error)) return false;
  if (options.input.empty()) job.source = makeColourSource(16, 16, 0, 0, 0);
  else if (!(job.source = openVideoSource(options.input, error))) return false;

  int width = 640, height = 480;
  if (!options.size.empty()) {
    if (!parseSize(options.size, width, height)) {
      error = "size '" + options.size + "' is not of the form WIDTHxHEIGHT";
      return false;
    }
    if (!checkOutputSize(width, height, error)) return false;
  } else if (job.source->atOutputSize() && job.source->naturalWidth() > 0) {
    width = job.source->naturalWidth();
    height = job.source->naturalHeight();
  }
  job.source->setOutputSize(width, height);

  job.output.path = options.output;
  job.output.width = width;
  job.output.height = height;
  job.output.interlaced = options.fields;
  if (!chooseRate(options, job, error)) return false;
  if (options.fields && height < 2) {
    error = "interlaced output needs at least two lines";
    return false;
  }
  if (!options.frames.empty()) {
    if (!parseFrames(options.frames, job.firstFrame, job.lastFrame)) {
      error = "frames '" + options.frames + "' are not of the form FIRST-LAST";
      return false;
    }
  } else {
    job.firstFrame = 0;
    const int count = job.source->frameCount();
    job.lastFrame = (count > 0 ? count : storedShowLength(job.block)) - 1;
    if (count <= 0 && !checkShowDuration(int64_t(job.lastFrame) + 1, job.output.rate, error)) return false;
  }
  if (options.threads < 1 || options.threads > 64) {
    error = "threads must be 1 to 64";
    return false;
  }
  job.threads = options.threads;
  job.output.threads = options.threads;
  job.source->setDecodeThreads(options.threads);
  if (!checkPictureMemory(job.block, options.maxPictureMemory, options.threads, error)) return false;
  return chooseMovieDetails(options, job, error) && checkOutput(job.output, error);
}

namespace {

// Every copy of the plug-in loaded from here on renders on this run's stage, and with the placeholder
// picture in place of the pictures that cannot be loaded when the run allows them.
void askForRun(const RenderJob& job) {
  setenv("KESTRELMOVE_STAGE_ASPECT", job.stageAspect.c_str(), 1);
  if (job.placeholderPictures) setenv("KESTRELMOVE_PICTURE_PLACEHOLDER", "1", 1);
  else unsetenv("KESTRELMOVE_PICTURE_PLACEHOLDER");
}

}  // namespace

bool runRender(RenderJob& job, const std::string& pluginPath, RenderSummary& summary, std::string& error) {
  const int total = job.lastFrame - job.firstFrame + 1;
  const int threads = std::max(1, std::min(job.threads, total));
  askForRun(job);
  auto plugins = PluginLibrary::openCopies(pluginPath, threads, error);
  if (plugins.empty()) return false;
  std::vector<std::unique_ptr<RenderCall>> calls;
  for (auto& plugin : plugins) {
    calls.push_back(std::make_unique<RenderCall>(plugin->action, job.output.frameRateCode));
    // Each copy only reads the block, so all share the host's one block.
    calls.back()->setParameterBlock(job.block.data());
  }
  std::unique_ptr<FrameWriter> writer = openFrameWriter(job.output, error);
  if (!writer) return false;

  InterruptGuard interrupt;
  ProgressMeter meter(total, job.progressLines);
  const bool atOutputSize = job.source->atOutputSize();
  FrameStages stages;
  stages.read = [&](int frame, HostFrame& storage, std::string& why) { return job.source->frameInto(frame, storage, why); };
  stages.render = [&](int worker, int frame, const HostFrame& source, HostFrame& output, std::string& why) {
    if (output.empty()) output.create(job.output.width, job.output.height, 24, true);
    if (calls[size_t(worker)]->renderOutputFrame(frame, job.output.interlaced, source, atOutputSize, output))
      return true;
    why = "the plug-in could not render frame " + std::to_string(frame);
    return false;
  };
  stages.write = [&](int frame, const HostFrame& output, std::string& why) {
    if (!writer->write(frame, output)) {
      why = writer->error();
      return false;
    }
    if (job.onFrame) job.onFrame(frame, output);
    ++summary.frames;
    meter.frameDone(frame, summary.frames);
    return true;
  };
  stages.stopRequested = [&](std::string& why) {
    if (!gInterrupted) return false;
    why = "interrupted";
    return true;
  };
  if (!runFramePipeline(job.firstFrame, job.lastFrame, int(calls.size()), stages, error)) {
    writer->abandon();
    if (gInterrupted) error = interruptedBecause() + writer->leftAfterStop();
    return false;
  }
  if (!writer->finish()) {
    error = writer->error();
    return false;
  }
  summary.seconds = meter.finish();
  return true;
}

namespace {

struct MovieHost {
  RenderJob* job;
  ProgressMeter* meter;
  std::string error;
};

// The movie's details beyond its size, as the movie library takes them.
void describeMovie(const OutputSettings& out, MovieJob& movie) {
  movie.rateNumerator = out.rate.num;
  movie.rateDenominator = out.rate.den;
  movie.audioPath = out.audioFrom.empty() ? nullptr : out.audioFrom.c_str();
  movie.audioStart = out.audioStart;
  movie.videoCodec = out.encoder.codec.c_str();
  movie.preset = out.encoder.preset.c_str();
  movie.pixelFormat = out.encoder.pixelFormat.c_str();
  movie.crfGiven = out.encoder.crf >= 0 ? 1 : 0;
  movie.crf = out.encoder.crf;
  movie.overwrite = out.overwrite ? 1 : 0;
  movie.sampleAspectNum = out.picture.sampleAspectNum;
  movie.sampleAspectDen = out.picture.sampleAspectDen;
  movie.fieldOrder = out.picture.fieldOrder;
  movie.colourSpace = out.picture.colourSpace;
  movie.colourPrimaries = out.picture.colourPrimaries;
  movie.colourTransfer = out.picture.colourTransfer;
  movie.colourRange = out.picture.colourRange;
  movie.sourcePixelFormat = out.picture.pixelFormat.c_str();
}

int32_t supplySource(void* user, int32_t frame, const FrameHeader** header, const uint8_t** pixels,
                     int32_t* atOutputSize) {
  auto* host = static_cast<MovieHost*>(user);
  const HostFrame* source = host->job->source->frame(frame, host->error);
  if (!source || gInterrupted) return 0;
  *header = &source->header;
  *pixels = source->pixels.data();
  *atOutputSize = host->job->source->atOutputSize() ? 1 : 0;
  return 1;
}

void reportProgress(void* user, int32_t done, int32_t) {
  auto* host = static_cast<MovieHost*>(user);
  host->meter->frameDone(host->job->firstFrame + done - 1, done);
}

}  // namespace

bool runMovie(RenderJob& job, const std::string& pluginPath, RenderSummary& summary, std::string& error) {
  askForRun(job);
  auto plugin = PluginLibrary::open(pluginPath, error);
  if (!plugin) return false;
  InterruptGuard interrupt;
  ProgressMeter meter(job.lastFrame - job.firstFrame + 1, job.progressLines);
  MovieHost host{&job, &meter, ""};

  MovieJob movie{};
  movie.size = sizeof movie;
  movie.outputPath = job.output.path.c_str();
  movie.width = job.output.width;
  movie.height = job.output.height;
  movie.firstFrame = job.firstFrame;
  movie.lastFrame = job.lastFrame;
  movie.frameRateCode = job.output.frameRateCode;
  movie.interlaced = job.output.interlaced ? 1 : 0;
  movie.render = plugin->action;
  movie.source = supplySource;
  movie.progress = reportProgress;
  movie.user = &host;
  describeMovie(job.output, movie);

  // The host's parameter track: its one block, from the first frame on.
  ParameterTrackEntry entry{0, job.block.data()};
  ParameterTrackDescriptor track{0, 0, 1, &entry};
  HostParameters parameters{0, job.block.data()};
  InfoRecord info{};
  info.parameterTracks = &track;
  info.parameters = &parameters;
  info.movieJob = &movie;
  const int32_t result = plugin->getInfo(0, 0, KM_INFO_MAKE_MOVIE, &info);
  summary.frames = movie.framesWritten;
  summary.seconds = meter.finish();
  if (result == 1) return true;
  if (gInterrupted) error = interruptedBecause() + movie.leftAfterStop;
  else if (!host.error.empty()) error = host.error;
  else error = movie.message[0] ? movie.message : "the movie could not be made";
  return false;
}
