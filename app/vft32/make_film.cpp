// The movie library: MakeFilm renders the frames of a movie through the plug-in's render entry point,
// with parameter areas it gets from the plug-in's callback, and writes them out.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/media/frame_writer.h"
#include "app/media/render_call.h"
#include "app/vft32/movie_job.h"

namespace {

void fail(MovieJob& job, const std::string& text) { std::snprintf(job.message, sizeof job.message, "%s", text.c_str()); }

// Puts the parameters for `frame` into the area: a copy of the entry at or before the frame, blended
// towards the next one between two entries.
bool fillParameters(ParameterCallbackProc callback, const ParameterTrackDescriptor& track, int frame, uint8_t** area) {
  const ParameterTrackEntry* entries = track.entries;
  const int n = track.entryCount;
  int k = 0;
  while (k + 1 < n && entries[k + 1].position <= frame) ++k;
  if (k + 1 < n && entries[k].position <= frame)
    return callback(KM_PARAMETERS_BLEND, 0, area, &entries[k], &entries[k + 1]) == 1;
  return callback(KM_PARAMETERS_COPY, 0, area, &entries[k], nullptr) == 1;
}

std::string text(const char* s) { return s ? s : ""; }

void describeOutput(const MovieJob& job, OutputSettings& settings) {
  if (job.rateNumerator > 0 && job.rateDenominator > 0) {
    settings.rate = FrameRate{job.rateNumerator, job.rateDenominator};
  } else {
    settings.rate = job.frameRateCode == KM_RATE_CODE_25   ? FrameRate{25, 1}
                    : job.frameRateCode == KM_RATE_CODE_24 ? FrameRate{24, 1}
                                                           : FrameRate{30000, 1001};
  }
  settings.audioFrom = text(job.audioPath);
  settings.audioStart = job.audioStart;
  settings.encoder.codec = text(job.videoCodec);
  settings.encoder.preset = text(job.preset);
  settings.encoder.pixelFormat = text(job.pixelFormat);
  settings.encoder.crf = job.crfGiven ? job.crf : -1;
  settings.overwrite = job.overwrite != 0;
  settings.firstFrame = job.firstFrame;
  settings.lastFrame = job.lastFrame;
  settings.picture.sampleAspectNum = job.sampleAspectNum;
  settings.picture.sampleAspectDen = job.sampleAspectDen;
  settings.picture.fieldOrder = job.fieldOrder;
  // A zeroed job says nothing about colours (FFmpeg's 0 is RGB or reserved, never what a host means).
  auto given = [](int32_t value) { return value > 0 ? int(value) : -1; };
  settings.picture.colourSpace = given(job.colourSpace);
  settings.picture.colourPrimaries = given(job.colourPrimaries);
  settings.picture.colourTransfer = given(job.colourTransfer);
  settings.picture.colourRange = given(job.colourRange);
  settings.picture.pixelFormat = text(job.sourcePixelFormat);
}

int32_t makeFilm(InfoRecord* info, ParameterCallbackProc parameters, ProgressCallbackProc progress) {
  if (!info || !info->movieJob) return 0;
  MovieJob& job = *static_cast<MovieJob*>(info->movieJob);
  job.framesWritten = 0;
  job.message[0] = 0;
  job.leftAfterStop[0] = 0;
  if (job.size != int32_t(sizeof(MovieJob)) || !job.outputPath || !job.render || !job.source) {
    fail(job, "the movie job is incomplete");
    return 0;
  }
  const ParameterTrackDescriptor* track = info->parameterTracks;
  if (!parameters || !track || track->entryCount < 1 || !track->entries) {
    fail(job, "no parameters for the movie");
    return 0;
  }
  if (job.lastFrame < job.firstFrame) {
    fail(job, "no frames to make");
    return 0;
  }

  OutputSettings settings;
  settings.path = job.outputPath;
  settings.width = job.width;
  settings.height = job.height;
  settings.frameRateCode = job.frameRateCode;
  settings.interlaced = job.interlaced != 0;
  describeOutput(job, settings);
  std::string error;
  std::unique_ptr<FrameWriter> writer = openFrameWriter(settings, error);
  if (!writer) {
    fail(job, error);
    return 0;
  }

  uint8_t* area = nullptr;
  if (parameters(KM_PARAMETERS_ALLOCATE, 0, &area, nullptr, nullptr) != 1 || !area) {
    fail(job, "no memory for the movie's parameters");
    writer->abandon();
    return 0;
  }
  RenderCall call(job.render, job.frameRateCode);
  call.setParameterBlock(area);
  HostFrame source, output;
  output.create(job.width, job.height, 24, true);
  const int total = job.lastFrame - job.firstFrame + 1;
  bool ok = true;
  for (int frame = job.firstFrame; ok && frame <= job.lastFrame; ++frame) {
    const FrameHeader* header = nullptr;
    const uint8_t* pixels = nullptr;
    int32_t atOutputSize = 0;
    if (job.source(job.user, frame, &header, &pixels, &atOutputSize) != 1 || !header || !pixels) {
      if (!job.message[0]) fail(job, "no host video for frame " + std::to_string(frame));
      ok = false;
      break;
    }
    source.header = *header;
    source.rowStep = header->width * (header->bitCount / 8);
    source.pixels.assign(pixels, pixels + size_t(source.rowStep) * header->height);
    if (!fillParameters(parameters, *track, frame, &area)) {
      fail(job, "the plug-in could not supply the parameters of frame " + std::to_string(frame));
      ok = false;
    } else if (!call.renderOutputFrame(frame, job.interlaced != 0, source, atOutputSize != 0, output)) {
      fail(job, "the plug-in could not render frame " + std::to_string(frame));
      ok = false;
    } else if (!writer->write(frame, output)) {
      fail(job, writer->error());
      ok = false;
    } else {
      ++job.framesWritten;
      if (job.progress) job.progress(job.user, job.framesWritten, total);
      if (progress && progress(job.framesWritten * 100 / total) == 0) {
        fail(job, "stopped");
        ok = false;
      }
    }
  }
  parameters(KM_PARAMETERS_FREE, 0, &area, nullptr, nullptr);
  if (ok && !writer->finish()) {
    fail(job, writer->error());
    ok = false;
  }
  if (!ok) {
    writer->abandon();
    std::snprintf(job.leftAfterStop, sizeof job.leftAfterStop, "%s", writer->leftAfterStop().c_str());
  }
  return ok ? 1 : 0;
}

}  // namespace

extern "C" KM_EXPORT int32_t MakeFilm(InfoRecord* info, ParameterCallbackProc parameters, ProgressCallbackProc progress,
                                      int32_t) {
  try {
    return makeFilm(info, parameters, progress);
  } catch (...) {
    if (info && info->movieJob) fail(*static_cast<MovieJob*>(info->movieJob), "the movie failed unexpectedly");
    return 0;
  }
}
