#include "app/render_job.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <vector>

#include "app/frame_pipeline.h"
#include "app/media/render_call.h"
#include "app/plugin_library.h"
#include "app/progress_meter.h"
#include "app/show_pictures.h"
#include "image/image_buffer.h"
#include "app/vft32/movie_job.h"

namespace {

std::atomic<bool> gInterrupted{false};

// An interrupted render stops between frames and removes its unfinished output.
class InterruptGuard {
 public:
  InterruptGuard() {
    gInterrupted = false;
    previous_ = std::signal(SIGINT, [](int) { gInterrupted = true; });
  }
  ~InterruptGuard() { std::signal(SIGINT, previous_); }

 private:
  void (*previous_)(int);
};

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

bool rateCodeFor(const std::string& rate, int& code) {
  if (rate == "29.97") code = 0;
  else if (rate == "25") code = KM_RATE_CODE_25;
  else if (rate == "24") code = KM_RATE_CODE_24;
  else return false;
  return true;
}

bool checkShowPictures(const RenderOptions& options, RenderJob& job, std::string& error) {
  const std::vector<PictureProblem> problems = resolveShowPictures(job.block, options.show);
  if (problems.empty()) return true;
  if (!options.allowMissing) {
    error = describePictureProblems(options.show, problems) + "; --allow-missing renders the placeholder picture instead";
    return false;
  }
  // The plug-in's loader decides what stands in: the placeholder picture, or nothing while its
  // picture messages ("ShowPicError") are on.
  std::fprintf(stderr, "kestrelmove: warning: %s; rendering without them\n",
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
  if (!rateCodeFor(options.rate, job.output.frameRateCode)) {
    error = "rate '" + options.rate + "' is not one of 29.97, 25, 24";
    return false;
  }
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
  }
  if (options.threads < 1 || options.threads > 64) {
    error = "threads must be 1 to 64";
    return false;
  }
  job.threads = options.threads;
  return checkOutput(job.output, error);
}

bool runRender(RenderJob& job, const std::string& pluginPath, RenderSummary& summary, std::string& error) {
  const int total = job.lastFrame - job.firstFrame + 1;
  const int threads = std::max(1, std::min(job.threads, total));
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
  ProgressMeter meter(total);
  const bool atOutputSize = job.source->atOutputSize();
  FrameStages stages;
  stages.read = [&](int frame, HostFrame& into, std::string& why) {
    const HostFrame* source = job.source->frame(frame, why);
    if (!source) return false;
    into = *source;
    return true;
  };
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
    meter.update(summary.frames);
    return true;
  };
  stages.stopRequested = [&](std::string& why) {
    if (!gInterrupted) return false;
    why = "interrupted; nothing written under '" + job.output.path + "'";
    return true;
  };
  if (!runFramePipeline(job.firstFrame, job.lastFrame, int(calls.size()), stages, error)) {
    writer->abandon();
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

void reportProgress(void* user, int32_t done, int32_t) { static_cast<MovieHost*>(user)->meter->update(done); }

}  // namespace

bool runMovie(RenderJob& job, const std::string& pluginPath, RenderSummary& summary, std::string& error) {
  auto plugin = PluginLibrary::open(pluginPath, error);
  if (!plugin) return false;
  InterruptGuard interrupt;
  ProgressMeter meter(job.lastFrame - job.firstFrame + 1);
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
  if (gInterrupted) error = "interrupted; nothing written under '" + job.output.path + "'";
  else if (!host.error.empty()) error = host.error;
  else error = movie.message[0] ? movie.message : "the movie could not be made";
  return false;
}
