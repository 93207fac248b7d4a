// Pictures that the system's own readers refuse as compressed or do not know, decoded by FFmpeg's
// image decoders into the same 32-bit layout (bottom-up rows of blue, green, red, alpha). A format
// the signature dispatch recognised goes straight to that format's decoder, the whole file being one
// picture; anything else must be recognised by its content (never by its name) before it is decoded.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "image/image_readers.h"

namespace {

// A picture file larger than this is not read into memory.
constexpr long kMaxFileBytes = 1L << 30;
constexpr int kIoBlock = 4096;
// A container that yields no picture within this many packets has none to give.
constexpr int kMaxPackets = 64;

struct FrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct CodecFree {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct ScaleFree {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};
using Frame = std::unique_ptr<AVFrame, FrameFree>;
using Packet = std::unique_ptr<AVPacket, PacketFree>;

struct MemoryFile {
  const uint8_t* data;
  int64_t size;
  int64_t at = 0;
};

int readMemory(void* opaque, uint8_t* out, int count) {
  auto* m = static_cast<MemoryFile*>(opaque);
  const int64_t n = std::min<int64_t>(count, m->size - m->at);
  if (n <= 0) return AVERROR_EOF;
  std::memcpy(out, m->data + m->at, size_t(n));
  m->at += n;
  return int(n);
}

int64_t seekMemory(void* opaque, int64_t offset, int whence) {
  auto* m = static_cast<MemoryFile*>(opaque);
  whence &= ~AVSEEK_FORCE;
  if (whence == AVSEEK_SIZE) return m->size;
  const int64_t base = whence == SEEK_CUR ? m->at : whence == SEEK_END ? m->size : 0;
  if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return -1;
  if (base + offset < 0 || base + offset > m->size) return -1;
  m->at = base + offset;
  return m->at;
}

// Feeds packets from next() to the decoder until it gives a picture. 0 when one came out.
int decodeFirst(AVCodecID id, const AVCodecParameters* parameters, const std::function<bool(AVPacket*)>& next,
                AVFrame* frame) {
  const AVCodec* codec = avcodec_find_decoder(id);
  if (!codec) return kReadUnsupported;
  std::unique_ptr<AVCodecContext, CodecFree> context(avcodec_alloc_context3(codec));
  if (!context) return kReadNoMemory;
  if (parameters && avcodec_parameters_to_context(context.get(), parameters) < 0) return kReadFormatError;
  context->thread_count = 1;  // one picture: threads would only cost their start
  if (avcodec_open2(context.get(), codec, nullptr) < 0) return kReadFormatError;
  Packet packet(av_packet_alloc());
  if (!packet) return kReadNoMemory;
  for (int sent = 0; sent <= kMaxPackets; ++sent) {
    const bool more = sent < kMaxPackets && next(packet.get());
    if (avcodec_send_packet(context.get(), more ? packet.get() : nullptr) < 0 && more) {
      av_packet_unref(packet.get());
      continue;
    }
    av_packet_unref(packet.get());
    const int got = avcodec_receive_frame(context.get(), frame);
    if (got == 0) return kReadOk;
    if (got != AVERROR(EAGAIN) || !more) return kReadFormatError;
  }
  return kReadFormatError;
}

// The whole file as the one packet of a picture of a known format.
int decodeKnown(AVCodecID id, const std::vector<uint8_t>& bytes, int64_t size, AVFrame* frame) {
  bool given = false;
  return decodeFirst(id, nullptr,
                     [&](AVPacket* packet) {
                       if (given || av_new_packet(packet, int(size)) < 0) return false;
                       std::memcpy(packet->data, bytes.data(), size_t(size));
                       given = true;
                       return true;
                     },
                     frame);
}

struct FormatClose {
  void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct IoFree {
  void operator()(AVIOContext* io) const {
    if (io) av_freep(&io->buffer);
    avio_context_free(&io);
  }
};

// A file recognised by FFmpeg's probing from its content alone, decoded from its first video stream.
int decodeProbed(std::vector<uint8_t>& bytes, int64_t size, AVFrame* frame) {
  AVProbeData probe{};
  probe.filename = "";
  probe.buf = bytes.data();
  probe.buf_size = int(std::min<int64_t>(size, 1 << 20));
  int score = 0;
  const AVInputFormat* format = av_probe_input_format3(&probe, 1, &score);
  // A guess from the name alone scores at most the extension score; only the content counts here.
  if (!format || score <= AVPROBE_SCORE_EXTENSION) return kReadUnsupported;

  MemoryFile memory{bytes.data(), size};
  auto* ioBuffer = static_cast<uint8_t*>(av_malloc(kIoBlock));
  if (!ioBuffer) return kReadNoMemory;
  std::unique_ptr<AVIOContext, IoFree> io(
      avio_alloc_context(ioBuffer, kIoBlock, 0, &memory, readMemory, nullptr, seekMemory));
  if (!io) {
    av_free(ioBuffer);
    return kReadNoMemory;
  }
  AVFormatContext* raw = avformat_alloc_context();
  if (!raw) return kReadNoMemory;
  raw->pb = io.get();
  raw->flags |= AVFMT_FLAG_CUSTOM_IO;
  if (avformat_open_input(&raw, "", format, nullptr) < 0) return kReadFormatError;  // frees raw
  std::unique_ptr<AVFormatContext, FormatClose> container(raw);
  int stream = -1;
  for (unsigned i = 0; i < container->nb_streams && stream < 0; ++i)
    if (container->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) stream = int(i);
  if (stream < 0) return kReadUnsupported;
  const AVCodecParameters* parameters = container->streams[stream]->codecpar;
  return decodeFirst(parameters->codec_id, parameters,
                     [&](AVPacket* packet) {
                       while (av_read_frame(container.get(), packet) >= 0) {
                         if (packet->stream_index == stream) return true;
                         av_packet_unref(packet);
                       }
                       return false;
                     },
                     frame);
}

// The decoded picture into the buffer: 32 bits, the top line in the last row.
int storePicture(const AVFrame* frame, ImageBuffer& buffer) {
  const int width = frame->width, height = frame->height;
  if (width <= 0 || height <= 0) return kReadFormatError;
  if (width > ImageBuffer::kMaxSide || height > ImageBuffer::kMaxSide) return kReadTooLarge;
  std::unique_ptr<SwsContext, ScaleFree> scale(sws_getContext(width, height, AVPixelFormat(frame->format), width,
                                                              height, AV_PIX_FMT_BGRA, SWS_POINT, nullptr,
                                                              nullptr, nullptr));
  if (!scale) return kReadUnsupported;
  if (!buffer.create(width, height, 32)) return kReadNoMemory;
  // Scaled into an aligned block the vector code may use, then turned the right way up.
  const int stride = FFALIGN(width * 4, 64);
  std::unique_ptr<uint8_t, decltype(&av_free)> lines(static_cast<uint8_t*>(av_malloc(size_t(stride) * height)),
                                                     &av_free);
  if (!lines) return kReadNoMemory;
  uint8_t* planes[4] = {lines.get(), nullptr, nullptr, nullptr};
  int strides[4] = {stride, 0, 0, 0};
  if (sws_scale(scale.get(), frame->data, frame->linesize, 0, height, planes, strides) != height)
    return kReadFormatError;
  for (int y = 0; y < height; ++y) std::memcpy(buffer.row(height - 1 - y), lines.get() + size_t(y) * stride, size_t(width) * 4);
  return kReadOk;
}

AVCodecID decoderFor(ImageFormat format) {
  switch (format) {
    case ImageFormat::tiff: return AV_CODEC_ID_TIFF;
    case ImageFormat::bmp: return AV_CODEC_ID_BMP;
    case ImageFormat::photoshop: return AV_CODEC_ID_PSD;
    case ImageFormat::targa: return AV_CODEC_ID_TARGA;
    default: return AV_CODEC_ID_NONE;
  }
}

}  // namespace

int readWithFfmpeg(ImageBuffer& buffer, OpenFile& file, const ImageFormat* recognisedAs) {
  if (!buffer.hasHeader()) return kReadNoBuffer;
  const long size = file.size();
  if (size <= 0 || !file.seek(0)) return kReadFormatError;
  if (size > kMaxFileBytes) return kReadNoMemory;
  std::vector<uint8_t> bytes;
  try {
    // Decoders and probes may read a little past the end; that padding is zero.
    bytes.assign(size_t(size) + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  } catch (const std::bad_alloc&) {
    return kReadNoMemory;
  }
  if (file.read(bytes.data(), size) != size) return kReadFormatError;

  Frame frame(av_frame_alloc());
  if (!frame) return kReadNoMemory;
  int result = kReadUnsupported;
  // Whatever the Targa reader could not take may be a format of its own with a matching content.
  if (!recognisedAs || *recognisedAs == ImageFormat::targa) result = decodeProbed(bytes, size, frame.get());
  if (result != kReadOk && recognisedAs && decoderFor(*recognisedAs) != AV_CODEC_ID_NONE)
    result = decodeKnown(decoderFor(*recognisedAs), bytes, size, frame.get());
  return result == kReadOk ? storePicture(frame.get(), buffer) : result;
}
