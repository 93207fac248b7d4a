// Pictures that the system's own readers refuse as compressed or do not know, decoded by FFmpeg's
// image decoders into the same 32-bit layout (bottom-up rows of blue, green, red, alpha). A format
// the signature dispatch recognised goes straight to that format's decoder, the whole file being one
// picture; anything else must be recognised by its content (never by its name) before it is decoded.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "image/bmp_runs.h"
#include "image/image_readers.h"
#include "image/read_number.h"

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

// A decoder's failure on data it took as its format: the file is damaged, and the message says how.
int decoderFailed(const char* format, const char* what, int error) {
  std::string text = std::string(format) + " data " + what;
  if (error < 0) {
    char detail[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, detail, sizeof detail);
    text += std::string(": ") + detail;
  }
  return reportDamage(text.c_str());
}

// Picture buffers as the decoder's default gives them, every byte set to the fill value the context's
// opaque field points at: what a decoder leaves unwritten keeps that value.
int filledBuffer(AVCodecContext* context, AVFrame* frame, int flags) {
  const int made = avcodec_default_get_buffer2(context, frame, flags);
  if (made < 0) return made;
  const uint8_t fill = *static_cast<const uint8_t*>(context->opaque);
  for (AVBufferRef* buffer : frame->buf)
    if (buffer) std::memset(buffer->data, fill, buffer->size);
  return 0;
}

// Feeds packets from next() to the decoder until it gives a picture. 0 when one came out, drawn into
// buffers filled with `fill`. A decoder that rejects data of its format as invalid, or marks its
// picture corrupt, has found the file damaged.
int decodeFirst(AVCodecID id, const AVCodecParameters* parameters, const std::function<bool(AVPacket*)>& next,
                AVFrame* frame, const char* format, uint8_t fill) {
  const AVCodec* codec = avcodec_find_decoder(id);
  if (!codec) return kReadUnsupported;
  if (!format) format = codec->name;
  std::unique_ptr<AVCodecContext, CodecFree> context(avcodec_alloc_context3(codec));
  if (!context) return kReadNoMemory;
  if (parameters && avcodec_parameters_to_context(context.get(), parameters) < 0) return kReadFormatError;
  // One picture: threads would only cost their start (and the filled buffers are made on this one).
  context->thread_count = 1;
  context->thread_type = 0;
  context->opaque = &fill;
  context->get_buffer2 = filledBuffer;
  if (avcodec_open2(context.get(), codec, nullptr) < 0) return kReadFormatError;
  Packet packet(av_packet_alloc());
  if (!packet) return kReadNoMemory;
  int refused = 0;  // the first error the decoder gave for a packet
  for (int sent = 0; sent <= kMaxPackets; ++sent) {
    const bool more = sent < kMaxPackets && next(packet.get());
    const int given = avcodec_send_packet(context.get(), more ? packet.get() : nullptr);
    if (given < 0 && more) {
      if (!refused && given == AVERROR_INVALIDDATA) refused = given;
      av_packet_unref(packet.get());
      continue;
    }
    av_packet_unref(packet.get());
    const int got = avcodec_receive_frame(context.get(), frame);
    if (got == 0) {
      if ((frame->flags & AV_FRAME_FLAG_CORRUPT) || frame->decode_error_flags)
        return decoderFailed(format, "that decodes to a picture marked corrupt", 0);
      return kReadOk;
    }
    if (got == AVERROR_INVALIDDATA) return decoderFailed(format, "that does not decode", got);
    if (got != AVERROR(EAGAIN) || !more) break;
  }
  return refused ? decoderFailed(format, "that does not decode", refused) : kReadFormatError;
}

// The whole file as the one packet of a picture of a known format.
int decodeKnown(AVCodecID id, const std::vector<uint8_t>& bytes, int64_t size, AVFrame* frame, const char* format,
                uint8_t fill) {
  bool given = false;
  return decodeFirst(id, nullptr,
                     [&](AVPacket* packet) {
                       if (given || av_new_packet(packet, int(size)) < 0) return false;
                       std::memcpy(packet->data, bytes.data(), size_t(size));
                       given = true;
                       return true;
                     },
                     frame, format, fill);
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
int decodeProbed(std::vector<uint8_t>& bytes, int64_t size, AVFrame* frame, uint8_t fill) {
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
                     frame, nullptr, fill);
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

// The runs of a run-length BMP file checked before its decoder draws them.
int checkBmpRuns(const std::vector<uint8_t>& bytes, int64_t size) {
  // Only the Windows headers (40 bytes and more) hold the compression where this reads it.
  if (size < 54 || readNumber(bytes.data() + 14, 4, false) < 40) return kReadOk;
  const uint32_t compression = readNumber(bytes.data() + 30, 4, false);
  const int bits = int(readNumber(bytes.data() + 28, 2, false));
  if (!((compression == 1 && bits == 8) || (compression == 2 && bits == 4))) return kReadOk;
  const int64_t offset = readNumber(bytes.data() + 10, 4, false);
  if (offset >= size) return decoderFailed("BMP", "missing", 0);
  const int64_t width = int32_t(readNumber(bytes.data() + 18, 4, false));
  const int64_t height = int32_t(readNumber(bytes.data() + 22, 4, false));
  const char* problem = bmpRunProblem(bytes.data() + offset, size_t(size - offset), width, height < 0 ? -height : height, bits);
  return problem ? decoderFailed("BMP", (std::string("with ") + problem).c_str(), 0) : kReadOk;
}

// The file's picture decoded into buffers filled with `fill`.
int decodePicture(std::vector<uint8_t>& bytes, int64_t size, const ImageFormat* recognisedAs, AVFrame* frame, uint8_t fill) {
  int result = kReadUnsupported;
  // Whatever the Targa reader could not take may be a format of its own with a matching content.
  if (!recognisedAs || *recognisedAs == ImageFormat::targa) result = decodeProbed(bytes, size, frame, fill);
  if (result != kReadOk && recognisedAs && decoderFor(*recognisedAs) != AV_CODEC_ID_NONE)
    result = decodeKnown(decoderFor(*recognisedAs), bytes, size, frame, formatName(*recognisedAs), fill);
  return result;
}

// Whether two decodes of one picture hold the same pixels. Decoders that stop early (a strip that does
// not decode, data cut short) hand out the picture anyway; the lines they never wrote keep the fill of
// their buffers, which differs between the two.
bool samePixels(const AVFrame* a, const AVFrame* b) {
  if (a->width != b->width || a->height != b->height || a->format != b->format) return false;
  const AVPixFmtDescriptor* layout = av_pix_fmt_desc_get(AVPixelFormat(a->format));
  if (!layout) return false;
  const int planes = av_pix_fmt_count_planes(AVPixelFormat(a->format));
  for (int p = 0; p < planes; ++p) {
    if (p == 1 && (layout->flags & AV_PIX_FMT_FLAG_PAL)) continue;  // the palette, written whole
    const int bytes = av_image_get_linesize(AVPixelFormat(a->format), a->width, p);
    const int lines = (p == 1 || p == 2) ? AV_CEIL_RSHIFT(a->height, layout->log2_chroma_h) : a->height;
    if (bytes < 0) return false;
    for (int y = 0; y < lines; ++y)
      if (std::memcmp(a->data[p] + ptrdiff_t(y) * a->linesize[p], b->data[p] + ptrdiff_t(y) * b->linesize[p], size_t(bytes)) != 0)
        return false;
  }
  return true;
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
  if (recognisedAs && *recognisedAs == ImageFormat::bmp) {
    const int runs = checkBmpRuns(bytes, size);
    if (runs != kReadOk) return runs;
  }

  Frame frame(av_frame_alloc()), again(av_frame_alloc());
  if (!frame || !again) return kReadNoMemory;
  const int result = decodePicture(bytes, size, recognisedAs, frame.get(), 0x00);
  if (result != kReadOk) return result;
  if (decodePicture(bytes, size, recognisedAs, again.get(), 0xFF) != kReadOk || !samePixels(frame.get(), again.get()))
    return reportDamage((std::string(recognisedAs ? formatName(*recognisedAs) : "Picture") +
                         " data that decodes to part of the picture only").c_str());
  return storePicture(frame.get(), buffer);
}
