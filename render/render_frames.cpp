#include <algorithm>
#include <atomic>
#include <thread>

#include "image/image_buffer.h"
#include "render/render_show.h"

void renderFrames(const ShowState& show, std::vector<RenderJob>& jobs, int threads) {
  auto renderOne = [&show](RenderJob& job) {
    job.ok = job.output && job.background &&
             renderShow(show, job.time, job.fieldMode, job.lineFlag, *job.output, job.frameInput,
                        *job.background);
  };
  if (threads <= 1 || jobs.size() <= 1) {
    for (RenderJob& job : jobs) renderOne(job);
    return;
  }
  const std::size_t workers = std::min<std::size_t>(std::size_t(threads), jobs.size());
  std::atomic<std::size_t> next{0};
  std::vector<std::thread> pool;
  pool.reserve(workers);
  for (std::size_t i = 0; i < workers; ++i) {
    pool.emplace_back([&] {
      for (std::size_t j = next++; j < jobs.size(); j = next++) renderOne(jobs[j]);
    });
  }
  for (std::thread& t : pool) t.join();
}
