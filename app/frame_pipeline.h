#pragma once
// Frames read in order, rendered by several workers at once, and written strictly in order on the
// calling thread. A movie decoder and a movie encoder are sequential, a render is not: the reader and
// the writer run beside the workers, so decoding and encoding overlap rendering.
#include <functional>
#include <string>

#include "app/media/host_frame.h"

struct FrameStages {
  // The source of `frame`: made in the slot's own `storage`, or a frame that stays valid for the whole
  // run (a still), returned without a copy. Null on failure. Called for frames in increasing order,
  // one call at a time.
  std::function<const HostFrame*(int frame, HostFrame& storage, std::string& error)> read;
  // Renders `frame` on worker `worker` (0 .. workers - 1); a worker's calls all come from one thread.
  // `output` is the slot's own frame, kept between calls so it can be reused.
  std::function<bool(int worker, int frame, const HostFrame& source, HostFrame& output, std::string& error)> render;
  // Takes finished frames in order, on the calling thread.
  std::function<bool(int frame, const HostFrame& output, std::string& error)> write;
  // Polled between frames; true (with the reason in error) stops the run.
  std::function<bool(std::string& error)> stopRequested;
};

// Runs frames first..last through the stages. With one worker everything runs on the calling thread.
// At most kSlotsPerWorker frames per worker are in flight, which bounds the memory a long run holds.
// The first failure stops every stage; false with that failure's message.
bool runFramePipeline(int first, int last, int workers, const FrameStages& stages, std::string& error);

constexpr int kSlotsPerWorker = 2;
