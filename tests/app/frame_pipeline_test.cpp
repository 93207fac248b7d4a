// Frames rendered by several workers: order of reading and writing, one thread per worker, bounded
// frames in flight, and the first failure stopping everything.
#include "app/frame_pipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace {

// Stages that record what happened. A rendered frame carries its frame number in its pixels, so a
// frame written under the wrong number shows. Renders take uneven times, so workers finish out of order.
struct Recorder {
  std::mutex mutex;
  std::vector<int> reads, writes;
  std::map<int, std::thread::id> workerThreads;
  bool workerMovedThread = false;
  bool wrongPixels = false;
  int inFlight = 0, mostInFlight = 0;
  int failReadAt = -1, failRenderAt = -1, failWriteAt = -1, stopAfterWrites = -1;

  FrameStages stages() {
    FrameStages s;
    s.read = [this](int frame, HostFrame& source, std::string& error) -> const HostFrame* {
      std::lock_guard<std::mutex> lock(mutex);
      reads.push_back(frame);
      if (frame == failReadAt) {
        error = "cannot decode frame " + std::to_string(frame);
        return nullptr;
      }
      source.create(4, 2, 24, false);
      source.pixels[0] = uint8_t(frame);
      mostInFlight = std::max(mostInFlight, ++inFlight);
      return &source;
    };
    s.render = [this](int worker, int frame, const HostFrame& source, HostFrame& output, std::string& error) {
      {
        std::lock_guard<std::mutex> lock(mutex);
        auto [it, added] = workerThreads.emplace(worker, std::this_thread::get_id());
        if (!added && it->second != std::this_thread::get_id()) workerMovedThread = true;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(frame % 3 == 0 ? 3000 : 200));
      if (frame == failRenderAt) {
        error = "the plug-in could not render frame " + std::to_string(frame);
        return false;
      }
      output.create(4, 2, 24, true);
      output.pixels[0] = uint8_t(source.pixels[0] + 100);
      return true;
    };
    s.write = [this](int frame, const HostFrame& output, std::string& error) {
      std::lock_guard<std::mutex> lock(mutex);
      if (frame == failWriteAt) {
        error = "cannot write frame " + std::to_string(frame);
        return false;
      }
      if (output.pixels[0] != uint8_t(frame + 100)) wrongPixels = true;
      writes.push_back(frame);
      --inFlight;
      return true;
    };
    s.stopRequested = [this](std::string& error) {
      std::lock_guard<std::mutex> lock(mutex);
      if (stopAfterWrites < 0 || int(writes.size()) < stopAfterWrites) return false;
      error = "interrupted";
      return true;
    };
    return s;
  }
};

std::vector<int> range(int first, int last) {
  std::vector<int> v;
  for (int f = first; f <= last; ++f) v.push_back(f);
  return v;
}

bool isPrefixOf(const std::vector<int>& prefix, const std::vector<int>& whole) {
  return prefix.size() <= whole.size() && std::equal(prefix.begin(), prefix.end(), whole.begin());
}

}  // namespace

TEST(FramePipeline, ReadsAndWritesEveryFrameInOrderWhateverTheWorkerCount) {
  for (int workers : {1, 2, 3, 8}) {
    Recorder r;
    std::string error;
    ASSERT_TRUE(runFramePipeline(5, 40, workers, r.stages(), error)) << error;
    EXPECT_EQ(r.reads, range(5, 40)) << workers << " workers";
    EXPECT_EQ(r.writes, range(5, 40)) << workers << " workers";
    EXPECT_FALSE(r.wrongPixels) << workers << " workers";
    EXPECT_FALSE(r.workerMovedThread) << workers << " workers";
    // A worker the scheduler starts late may find every frame taken.
    EXPECT_LE(int(r.workerThreads.size()), workers);
    EXPECT_LE(r.mostInFlight, workers * kSlotsPerWorker) << workers << " workers";
  }
}

TEST(FramePipeline, SeveralWorkersRenderAtOnceEachOnItsOwnThread) {
  Recorder r;
  std::string error;
  ASSERT_TRUE(runFramePipeline(0, 30, 3, r.stages(), error)) << error;
  std::set<std::thread::id> ids{std::this_thread::get_id()};
  for (const auto& [worker, id] : r.workerThreads) ids.insert(id);
  // Every worker that rendered had a thread of its own, none of them the writer's.
  EXPECT_GE(r.workerThreads.size(), 2u);
  EXPECT_EQ(ids.size(), r.workerThreads.size() + 1);
  EXPECT_GT(r.mostInFlight, 1);
}

TEST(FramePipeline, MoreWorkersThanFramesStillWritesEachOnce) {
  Recorder r;
  std::string error;
  ASSERT_TRUE(runFramePipeline(7, 8, 6, r.stages(), error)) << error;
  EXPECT_EQ(r.writes, range(7, 8));
  EXPECT_LE(r.workerThreads.size(), 2u);
}

TEST(FramePipeline, FailureInAMiddleFrameStopsEverythingWithItsMessage) {
  for (int workers : {1, 3}) {
    struct Case {
      const char* stage;
      int Recorder::*at;
      std::string message;
    };
    for (const Case& c : {Case{"read", &Recorder::failReadAt, "cannot decode frame 12"},
                          Case{"render", &Recorder::failRenderAt, "the plug-in could not render frame 12"},
                          Case{"write", &Recorder::failWriteAt, "cannot write frame 12"}}) {
      Recorder r;
      r.*c.at = 12;
      std::string error;
      EXPECT_FALSE(runFramePipeline(0, 200, workers, r.stages(), error)) << c.stage;
      EXPECT_EQ(error, c.message) << c.stage << ", " << workers << " workers";
      // Nothing at or after the failed frame is written, and reading stops soon after it.
      EXPECT_TRUE(isPrefixOf(r.writes, range(0, 11))) << c.stage;
      EXPECT_TRUE(isPrefixOf(r.reads, range(0, 200))) << c.stage;
      EXPECT_LE(int(r.reads.size()), 13 + workers * kSlotsPerWorker) << c.stage;
    }
  }
}

TEST(FramePipeline, StopRequestEndsTheRunBetweenFrames) {
  for (int workers : {1, 2}) {
    Recorder r;
    r.stopAfterWrites = 4;
    std::string error;
    EXPECT_FALSE(runFramePipeline(0, 500, workers, r.stages(), error));
    EXPECT_EQ(error, "interrupted");
    EXPECT_EQ(r.writes, range(0, 3)) << workers << " workers";
    EXPECT_LE(int(r.reads.size()), 5 + workers * kSlotsPerWorker);
  }
}

TEST(FramePipeline, NoFramesIsNothingToDo) {
  Recorder r;
  std::string error;
  EXPECT_TRUE(runFramePipeline(3, 2, 2, r.stages(), error));
  EXPECT_TRUE(r.reads.empty());
}
