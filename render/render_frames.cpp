#include <algorithm>
#include <atomic>
#include <thread>

#include "image/image_buffer.h"
#include "render/render_show.h"

void renderFrames(const Show& show, const RenderOptions& options, std::vector<RenderJob>& jobs, int threads) {
  // Each thread keeps its own renderer, and with it the scaled background, from job to job.
  auto renderOne = [&show, &options](FrameRenderer& renderer, RenderJob& job) {
    RenderOptions own = options;
    own.hostFrame = job.time;
    job.ok = job.output && job.background &&
             renderer.render(show, own, job.time, job.fieldMode, job.lineFlag, *job.output, job.frameInput,
                             *job.background);
  };
  if (threads <= 1 || jobs.size() <= 1) {
    FrameRenderer renderer(1);
    for (RenderJob& job : jobs) renderOne(renderer, job);
    return;
  }
  const std::size_t workers = std::min<std::size_t>(std::size_t(threads), jobs.size());
  std::atomic<std::size_t> next{0};
  std::vector<std::thread> pool;
  pool.reserve(workers);
  for (std::size_t i = 0; i < workers; ++i) {
    pool.emplace_back([&] {
      FrameRenderer renderer(1);
      for (std::size_t j = next++; j < jobs.size(); j = next++) renderOne(renderer, jobs[j]);
    });
  }
  for (std::thread& t : pool) t.join();
}
