#include "app/media/movie_index.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace {

PacketEntry entryOf(const AVPacket& packet) {
  return PacketEntry{packet.pos, packet.dts, packet.pts, (packet.flags & AV_PKT_FLAG_KEY) != 0,
                     (packet.flags & AV_PKT_FLAG_DISCARD) != 0};
}

// A file read through FFmpeg in which one range of bytes is answered without being read: the range
// that holds the samples, whose bytes the index does not need.
struct SkippingFile {
  int fd = -1;
  int64_t size = 0;
  int64_t pos = 0;
  int64_t skipFrom = INT64_MAX;
  int64_t skipTo = INT64_MIN;

  ~SkippingFile() {
    if (fd >= 0) ::close(fd);
  }

  static int read(void* opaque, uint8_t* buffer, int wanted) {
    SkippingFile& f = *static_cast<SkippingFile*>(opaque);
    if (f.pos >= f.size) return AVERROR_EOF;
    int64_t n = std::min<int64_t>(wanted, f.size - f.pos);
    if (f.pos >= f.skipFrom && f.pos < f.skipTo) {
      n = std::min(n, f.skipTo - f.pos);
      f.pos += n;
      return int(n);
    }
    if (f.pos < f.skipFrom) n = std::min(n, f.skipFrom - f.pos);
    const ssize_t got = ::pread(f.fd, buffer, size_t(n), f.pos);
    if (got < 0) return AVERROR(errno);
    if (got == 0) return AVERROR_EOF;
    f.pos += got;
    return int(got);
  }

  static int64_t seek(void* opaque, int64_t offset, int whence) {
    SkippingFile& f = *static_cast<SkippingFile*>(opaque);
    if (whence == AVSEEK_SIZE) return f.size;
    whence &= ~AVSEEK_FORCE;
    const int64_t to = whence == SEEK_SET   ? offset
                       : whence == SEEK_CUR ? f.pos + offset
                       : whence == SEEK_END ? f.size + offset
                                            : -1;
    if (to < 0) return AVERROR(EINVAL);
    f.pos = to;
    return to;
  }
};

struct ContainerCloser {
  void operator()(AVFormatContext* c) const {
    if (!c) return;
    AVIOContext* io = c->pb;
    avformat_close_input(&c);
    if (io) av_freep(&io->buffer);
    avio_context_free(&io);
  }
};

}  // namespace

bool indexByReadingPackets(AVFormatContext* container, int stream, PacketIndex& index) {
  AVPacket* packet = av_packet_alloc();
  if (!packet) return false;
  int read;
  while ((read = av_read_frame(container, packet)) >= 0) {
    if (packet->stream_index == stream) index.add(entryOf(*packet));
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  return read == AVERROR_EOF;
}

bool indexBySampleTables(const std::string& path, int stream, PacketIndex& index) {
  index = PacketIndex{};
  auto file = std::make_unique<SkippingFile>();
  struct stat info {};
  file->fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file->fd < 0 || ::fstat(file->fd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  file->size = info.st_size;

  constexpr int kBufferSize = 1 << 16;
  auto* buffer = static_cast<uint8_t*>(av_malloc(kBufferSize));
  AVIOContext* io =
      buffer ? avio_alloc_context(buffer, kBufferSize, 0, file.get(), SkippingFile::read, nullptr, SkippingFile::seek)
             : nullptr;
  AVFormatContext* opened = io ? avformat_alloc_context() : nullptr;
  if (!opened) {
    if (io) {
      av_freep(&io->buffer);
      avio_context_free(&io);
    } else {
      av_free(buffer);
    }
    return false;
  }
  opened->pb = io;
  // The packets as the tables give them: a parser would look into the bytes that are not read.
  opened->flags |= AVFMT_FLAG_NOPARSE | AVFMT_FLAG_NOFILLIN;
  const AVInputFormat* quicktime = av_find_input_format("mov");
  if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0) {
    // avformat_open_input freed the context, not the reader given to it.
    av_freep(&io->buffer);
    avio_context_free(&io);
    return false;
  }
  std::unique_ptr<AVFormatContext, ContainerCloser> container(opened);
  if (!quicktime || container->iformat != quicktime || stream < 0 || stream >= int(container->nb_streams))
    return false;

  // The tables as read from the header: every stream's samples lie between the first sample's start and
  // the last one's end. A movie cut into fragments lists no samples here (or not all of them).
  AVStream* video = container->streams[stream];
  const int samples = avformat_index_get_entries_count(video);
  if (samples <= 0) return false;
  for (unsigned s = 0; s < container->nb_streams; ++s) {
    AVStream* st = container->streams[s];
    for (int i = 0, n = avformat_index_get_entries_count(st); i < n; ++i) {
      const AVIndexEntry* e = avformat_index_get_entry(st, i);
      if (!e || e->pos < 0) return false;
      file->skipFrom = std::min(file->skipFrom, e->pos);
      file->skipTo = std::max(file->skipTo, e->pos + e->size);
    }
  }
  if (!indexByReadingPackets(container.get(), stream, index) || index.packets() != samples) {
    index = PacketIndex{};
    return false;
  }
  // Each packet is the sample the tables name at its place, or something read beyond them was taken
  // for a sample.
  for (int i = 0; i < samples; ++i) {
    const AVIndexEntry* e = avformat_index_get_entry(video, i);
    const PacketEntry& p = index.packet(i);
    if (!e || p.pos != e->pos || p.dts != e->timestamp || p.key != ((e->flags & AVINDEX_KEYFRAME) != 0) ||
        p.discard != ((e->flags & AVINDEX_DISCARD_FRAME) != 0)) {
      index = PacketIndex{};
      return false;
    }
  }
  return true;
}
