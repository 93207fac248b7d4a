// Arbitrary bytes opened as a movie and asked for frames out of order: the last, the first, then the
// frames the input's last bytes name. Damaged containers and streams must give frames or an error,
// never a crash or a hang; the seeks land on whatever packets the damage leaves.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" {
#include <libavutil/log.h>
}

#include "app/media/video_source.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  av_log_set_level(AV_LOG_QUIET);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int fd = memfd_create("movie", 0);
  if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) std::abort();
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  std::string error;
  if (!probesAsMovie(path)) return 0;
  auto source = openMovieSource(path, error);
  if (!source) return 0;
  av_log_set_level(AV_LOG_QUIET);  // opening sets the level the program reports at
  source->setOutputSize(32, 24);
  const int64_t count = source->frameCount();
  if (!source->frame(int(count - 1), error)) return 0;
  source->frame(0, error);
  for (size_t i = size > 8 ? size - 8 : 0; i < size; ++i) {
    const int n = count > 0 ? int(data[i] % (count + 2)) : data[i];
    const HostFrame* frame = source->frame(n, error);
    if (frame && (frame->width() != 32 || frame->height() != 24)) std::abort();
  }
  return 0;
}
