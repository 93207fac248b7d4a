#include "app/frame_pipeline.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Slot {
  HostFrame source;
  HostFrame output;
  int readyFrame = -1;  // the finished frame it holds, or -1
  bool busy = false;
};

class Pipeline {
 public:
  Pipeline(int first, int last, int workers, const FrameStages& stages)
      : first_(first), last_(last), nextToRead_(first), stages_(stages), slots_(size_t(workers) * kSlotsPerWorker) {}

  bool run(int workers, std::string& error) {
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) threads.emplace_back([this, w] { guarded([&] { work(w); }); });
    guarded([&] { writeInOrder(); });
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopped_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : threads) t.join();
    if (failed_) error = error_;
    return !failed_;
  }

 private:
  // A worker takes a free slot before it claims a frame. Frames are claimed in order, so the frame the
  // writer waits for always holds a slot and the run cannot stall with every slot waiting to be written.
  void work(int worker) {
    std::string why;
    for (;;) {
      Slot* slot = takeFreeSlot();
      if (!slot) return;
      int frame;
      const HostFrame* source;
      {
        std::lock_guard<std::mutex> reading(readMutex_);
        if (isStopped() || nextToRead_ > last_) {
          release(slot);
          return;
        }
        frame = nextToRead_++;
        if (!(source = stages_.read(frame, slot->source, why))) return fail(why);
      }
      if (isStopped()) return;
      if (!stages_.render(worker, frame, *source, slot->output, why)) return fail(why);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        slot->readyFrame = frame;
      }
      changed_.notify_all();
    }
  }

  void writeInOrder() {
    std::string why;
    for (int frame = first_; frame <= last_; ++frame) {
      Slot* slot = nullptr;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stopped_ && !(slot = readySlot(frame))) {
          // The stop request may come from a signal handler, which cannot wake this wait.
          changed_.wait_for(lock, std::chrono::milliseconds(50));
          if (!stopped_ && stages_.stopRequested && stages_.stopRequested(why)) {
            lock.unlock();
            return fail(why);
          }
        }
        if (stopped_) return;
      }
      if (!stages_.write(frame, slot->output, why)) return fail(why);
      release(slot);
      if (stages_.stopRequested && stages_.stopRequested(why)) return fail(why);
    }
  }

  Slot* takeFreeSlot() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      if (stopped_) return nullptr;
      for (Slot& s : slots_)
        if (!s.busy) {
          s.busy = true;
          return &s;
        }
      changed_.wait(lock);
    }
  }

  Slot* readySlot(int frame) {
    for (Slot& s : slots_)
      if (s.busy && s.readyFrame == frame) return &s;
    return nullptr;
  }

  void release(Slot* slot) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      slot->busy = false;
      slot->readyFrame = -1;
    }
    changed_.notify_all();
  }

  bool isStopped() {
    std::lock_guard<std::mutex> lock(mutex_);
    return stopped_;
  }

  // The first failure is the one reported; later ones are usually its consequences.
  void fail(const std::string& why) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!failed_) {
        failed_ = true;
        error_ = why.empty() ? "rendering failed" : why;
      }
      stopped_ = true;
    }
    changed_.notify_all();
  }

  template <typename Body>
  void guarded(Body body) {
    try {
      body();
    } catch (const std::exception& e) {
      fail(std::string("rendering failed: ") + e.what());
    } catch (...) {
      fail("rendering failed");
    }
  }

  const int first_, last_;
  int nextToRead_;
  const FrameStages& stages_;
  std::vector<Slot> slots_;
  std::mutex mutex_, readMutex_;
  std::condition_variable changed_;
  bool stopped_ = false;
  bool failed_ = false;
  std::string error_;
};

bool runInline(int first, int last, const FrameStages& stages, std::string& error) {
  HostFrame storage, output;
  for (int frame = first; frame <= last; ++frame) {
    const HostFrame* source = stages.read(frame, storage, error);
    if (!source || !stages.render(0, frame, *source, output, error) || !stages.write(frame, output, error))
      return false;
    if (stages.stopRequested && stages.stopRequested(error)) return false;
  }
  return true;
}

}  // namespace

bool runFramePipeline(int first, int last, int workers, const FrameStages& stages, std::string& error) {
  if (last < first) return true;
  workers = std::max(1, std::min(workers, last - first + 1));
  if (workers == 1) return runInline(first, last, stages, error);
  Pipeline pipeline(first, last, workers, stages);
  return pipeline.run(workers, error);
}
