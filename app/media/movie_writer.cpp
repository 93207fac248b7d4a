#include "app/media/movie_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>

extern "C" {
#include <libavutil/log.h>
}

#include "app/media/audio_carrier.h"
#include "app/media/av_error.h"
#include "app/media/output_path.h"

namespace {

bool supports(const AVCodec* codec, AVPixelFormat format) {
  if (!codec->pix_fmts) return true;
  for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
    if (*f == format) return true;
  return false;
}

std::string formatsOf(const AVCodec* codec) {
  std::string names;
  if (!codec->pix_fmts) return names;
  for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f) {
    if (!names.empty()) names += ", ";
    names += av_get_pix_fmt_name(*f);
  }
  return names;
}

int bitDepthOf(AVPixelFormat format) {
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
  return d ? d->comp[0].depth : 8;
}

// Containers that keep no list of their codecs (MPEG-TS, AVI) are taken at their word: writing the
// header tells when they cannot hold a codec.
bool takes(const AVOutputFormat* format, AVCodecID codec) {
  return avformat_query_codec(format, codec, FF_COMPLIANCE_NORMAL) != 0;
}

const AVCodec* chooseEncoder(const EncoderChoice& choice, const AVOutputFormat* format, std::string& error) {
  if (!choice.codec.empty()) {
    const AVCodec* codec = avcodec_find_encoder_by_name(choice.codec.c_str());
    if (!codec)
      if (const AVCodecDescriptor* d = avcodec_descriptor_get_by_name(choice.codec.c_str())) codec = avcodec_find_encoder(d->id);
    if (!codec || codec->type != AVMEDIA_TYPE_VIDEO) {
      error = "no video encoder named '" + choice.codec + "'";
      return nullptr;
    }
    if (!takes(format, codec->id)) {
      error = std::string("a ") + format->name + " movie cannot hold " + codec->name + " video";
      return nullptr;
    }
    return codec;
  }
  const AVCodec* codec = nullptr;
  if (takes(format, AV_CODEC_ID_H264)) codec = avcodec_find_encoder(AV_CODEC_ID_H264);
  if (!codec && takes(format, AV_CODEC_ID_MPEG4))
    codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  if (!codec && format->video_codec != AV_CODEC_ID_NONE) codec = avcodec_find_encoder(format->video_codec);
  if (!codec) error = std::string("no video encoder for ") + format->name + " movies";
  return codec;
}

// The stated pixel format; else the input's when it has more than 8 bits and the encoder takes it;
// else 4:2:0, else the encoder's first.
bool choosePixelFormat(const AVCodec* codec, const OutputSettings& s, AVPixelFormat& chosen, std::string& error) {
  if (!s.encoder.pixelFormat.empty()) {
    chosen = av_get_pix_fmt(s.encoder.pixelFormat.c_str());
    if (chosen == AV_PIX_FMT_NONE) {
      error = "no pixel format named '" + s.encoder.pixelFormat + "'";
      return false;
    }
    if (supports(codec, chosen)) return true;
    error = std::string("the ") + codec->name + " encoder cannot write " + s.encoder.pixelFormat + " (it takes " +
            formatsOf(codec) + ")";
    return false;
  }
  const AVPixelFormat input = s.picture.pixelFormat.empty() ? AV_PIX_FMT_NONE : av_get_pix_fmt(s.picture.pixelFormat.c_str());
  if (input != AV_PIX_FMT_NONE && bitDepthOf(input) > 8 && codec->pix_fmts)
    chosen = avcodec_find_best_pix_fmt_of_list(codec->pix_fmts, input, 0, nullptr);
  else if (input != AV_PIX_FMT_NONE && bitDepthOf(input) > 8) chosen = input;
  else if (supports(codec, AV_PIX_FMT_YUV420P)) chosen = AV_PIX_FMT_YUV420P;
  else chosen = codec->pix_fmts[0];
  return true;
}

// The user's choices, for a message about an encoder that refused them.
std::string settingsNamed(const EncoderChoice& choice) {
  std::string named;
  if (!choice.preset.empty()) named += "preset '" + choice.preset + "'";
  if (choice.crf >= 0) named += (named.empty() ? "" : ", ") + std::string("crf ") + std::to_string(choice.crf);
  if (!choice.pixelFormat.empty()) named += (named.empty() ? "" : ", ") + choice.pixelFormat;
  return named.empty() ? "" : " with " + named;
}

// FFmpeg's 0 is RGB for the matrix (no matrix for the YUV written here) and reserved for the others.
bool known(int value, int unspecified) { return value > 0 && value != unspecified; }

class MovieWriter : public FrameWriter {
 public:
  ~MovieWriter() override {
    if (!finished_) abandon();
  }

  bool open(const OutputSettings& s, std::string& error) {
    settings_ = s;
    temporary_ = temporaryNameFor(s.path);
    // The encoder's statistics are noise on a command line, and its errors come back as our one line.
    av_log_set_level(AV_LOG_FATAL);
    if (s.width % 2 || s.height % 2) {
      error = "movie sizes must be even (asked for " + std::to_string(s.width) + "x" + std::to_string(s.height) + ")";
      return false;
    }
    const AVOutputFormat* format = av_guess_format(nullptr, s.path.c_str(), nullptr);
    if (!format) {
      error = "no movie format for '" + s.path + "'";
      return false;
    }
    int rc = avformat_alloc_output_context2(&container_, format, nullptr, temporary_.c_str());
    if (rc < 0 || !container_) {
      error = "cannot set up the movie: " + avError(rc);
      return false;
    }
    const AVCodec* codec = chooseEncoder(s.encoder, format, error);
    if (!codec) return false;
    AVPixelFormat pixelFormat;
    if (!choosePixelFormat(codec, s, pixelFormat, error)) return false;
    stream_ = avformat_new_stream(container_, nullptr);
    encoder_ = avcodec_alloc_context3(codec);
    if (!stream_ || !encoder_) {
      error = "out of memory setting up the movie";
      return false;
    }
    const bool hd = s.height >= 720;
    const PictureDescription& p = s.picture;
    encoder_->width = s.width;
    encoder_->height = s.height;
    encoder_->time_base = AVRational{s.rate.den, s.rate.num};
    encoder_->framerate = AVRational{s.rate.num, s.rate.den};
    encoder_->pix_fmt = pixelFormat;
    // A key frame every two seconds keeps the movie easy to step through in an editor.
    encoder_->gop_size = std::max(1, int(std::lround(2 * s.rate.perSecond())));
    encoder_->colorspace = known(p.colourSpace, AVCOL_SPC_UNSPECIFIED) ? AVColorSpace(p.colourSpace)
                           : hd                                          ? AVCOL_SPC_BT709
                                                                         : AVCOL_SPC_SMPTE170M;
    encoder_->color_primaries = known(p.colourPrimaries, AVCOL_PRI_UNSPECIFIED) ? AVColorPrimaries(p.colourPrimaries)
                                : hd                                             ? AVCOL_PRI_BT709
                                                                                 : AVCOL_PRI_SMPTE170M;
    encoder_->color_trc = known(p.colourTransfer, AVCOL_TRC_UNSPECIFIED) ? AVColorTransferCharacteristic(p.colourTransfer)
                          : hd                                             ? AVCOL_TRC_BT709
                                                                           : AVCOL_TRC_SMPTE170M;
    encoder_->color_range = known(p.colourRange, AVCOL_RANGE_UNSPECIFIED) ? AVColorRange(p.colourRange) : AVCOL_RANGE_MPEG;
    if (p.sampleAspectNum > 0 && p.sampleAspectDen > 0)
      encoder_->sample_aspect_ratio = stream_->sample_aspect_ratio = AVRational{p.sampleAspectNum, p.sampleAspectDen};
    // Woven fields are top first; otherwise the input's interlacing is kept, since its pictures are.
    fieldOrder_ = s.interlaced ? AV_FIELD_TT : p.fieldOrder > AV_FIELD_PROGRESSIVE ? AVFieldOrder(p.fieldOrder) : AV_FIELD_UNKNOWN;
    if (fieldOrder_ != AV_FIELD_UNKNOWN) {
      encoder_->flags |= AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME;
      encoder_->field_order = fieldOrder_;
    } else if (p.fieldOrder == AV_FIELD_PROGRESSIVE) {
      encoder_->field_order = AV_FIELD_PROGRESSIVE;
    }
    if (!applyQuality(codec, s.encoder, error)) return false;
    // The encoder is the one stage that cannot be split by frames, so with several threads it gets them
    // too; one thread keeps everything on one core.
    encoder_->thread_count = std::max(1, s.threads);
    if (container_->oformat->flags & AVFMT_GLOBALHEADER) encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if ((rc = avcodec_open2(encoder_, codec, nullptr)) < 0) {
      error = std::string("cannot open the ") + codec->name + " encoder" + settingsNamed(s.encoder) + ": " + avError(rc);
      return false;
    }
    avcodec_parameters_from_context(stream_->codecpar, encoder_);
    stream_->time_base = encoder_->time_base;
    stream_->avg_frame_rate = encoder_->framerate;
    if (fieldOrder_ != AV_FIELD_UNKNOWN) stream_->codecpar->field_order = fieldOrder_;
    if (!s.audioFrom.empty()) {
      const double frames = double(s.lastFrame - s.firstFrame + 1);
      if (!audio_.open(s.audioFrom, s.audioStart, frames / s.rate.perSecond(), container_, error)) return false;
    }

    if ((rc = avio_open(&container_->pb, temporary_.c_str(), AVIO_FLAG_WRITE)) < 0) {
      error = "cannot write '" + s.path + "': " + avError(rc);
      return false;
    }
    opened_ = true;
    if ((rc = avformat_write_header(container_, nullptr)) < 0) {
      error = "cannot write the movie header of '" + s.path + "': " + avError(rc);
      return false;
    }
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!frame_ || !packet_) {
      error = "out of memory setting up the movie";
      return false;
    }
    frame_->format = encoder_->pix_fmt;
    frame_->width = s.width;
    frame_->height = s.height;
    if (av_frame_get_buffer(frame_, 0) < 0) {
      error = "out of memory setting up the movie";
      return false;
    }
    return true;
  }

  bool write(int, const HostFrame& in) override {
    if (in.width() != settings_.width || in.height() != settings_.height) {
      error_ = "frame size does not match the movie";
      return false;
    }
    const AVPixelFormat source = in.bytesPerPixel() == 4 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
    scaler_ = sws_getCachedContext(scaler_, in.width(), in.height(), source, in.width(), in.height(),
                                   encoder_->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!scaler_) {
      error_ = "cannot convert frames for the movie";
      return false;
    }
    // FFmpeg's matrix numbers are the colour-space numbers the movie is marked with.
    const int* coefficients = sws_getCoefficients(encoder_->colorspace);
    sws_setColorspaceDetails(scaler_, coefficients, 1, coefficients, encoder_->color_range == AVCOL_RANGE_JPEG ? 1 : 0, 0,
                             1 << 16, 1 << 16);
    if (av_frame_make_writable(frame_) < 0) {
      error_ = "out of memory writing the movie";
      return false;
    }
    // Host frames are stored bottom-up: start at the top line and step backwards.
    const uint8_t* top[1] = {in.row(in.height() - 1)};
    const int stride[1] = {-in.rowStep};
    sws_scale(scaler_, top, stride, 0, in.height(), frame_->data, frame_->linesize);
    frame_->pts = nextPts_++;
    if (fieldOrder_ != AV_FIELD_UNKNOWN) {
      frame_->interlaced_frame = 1;
      frame_->top_field_first = fieldOrder_ == AV_FIELD_TT || fieldOrder_ == AV_FIELD_TB;
    }
    if (!encode(frame_)) return false;
    return audio_.writeUpTo(double(nextPts_) / settings_.rate.perSecond(), error_);
  }

  bool finish() override {
    if (!encode(nullptr) || !audio_.finish(error_)) return false;
    int rc = av_write_trailer(container_);
    if (rc < 0) {
      error_ = "cannot complete '" + settings_.path + "': " + avError(rc);
      return false;
    }
    rc = avio_closep(&container_->pb);
    opened_ = false;
    if (rc < 0) {
      error_ = "cannot complete '" + settings_.path + "': " + avError(rc);
      std::remove(temporary_.c_str());
      return false;
    }
    if (std::rename(temporary_.c_str(), settings_.path.c_str()) != 0) {
      error_ = "cannot move the finished movie to '" + settings_.path + "'";
      std::remove(temporary_.c_str());
      return false;
    }
    finished_ = true;
    release();
    return true;
  }

  void abandon() override {
    if (container_ && opened_) avio_closep(&container_->pb);
    opened_ = false;
    if (!temporary_.empty()) std::remove(temporary_.c_str());
    finished_ = true;
    release();
  }

  bool encode(AVFrame* frame) {
    int rc = avcodec_send_frame(encoder_, frame);
    if (rc < 0 && rc != AVERROR_EOF) {
      error_ = "encoding failed: " + avError(rc);
      return false;
    }
    for (;;) {
      rc = avcodec_receive_packet(encoder_, packet_);
      if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
      if (rc < 0) {
        error_ = "encoding failed: " + avError(rc);
        return false;
      }
      // Every frame lasts one tick of the encoder's clock. Without the duration the last frame of an
      // MP4 or MOV has none, its edit list ends a frame early and decoders drop that frame.
      if (packet_->duration <= 0) packet_->duration = 1;
      av_packet_rescale_ts(packet_, encoder_->time_base, stream_->time_base);
      packet_->stream_index = stream_->index;
      rc = av_interleaved_write_frame(container_, packet_);
      if (rc < 0) {
        error_ = "cannot write '" + settings_.path + "': " + avError(rc);
        return false;
      }
    }
  }

  std::string leftAfterStop() const override { return "nothing written under '" + settings_.path + "'"; }

 private:
  bool applyQuality(const AVCodec* codec, const EncoderChoice& choice, std::string& error) {
    const bool h26x = codec->id == AV_CODEC_ID_H264 || codec->id == AV_CODEC_ID_HEVC;
    const std::string preset = !choice.preset.empty() ? choice.preset : h26x ? "fast" : "";
    const int crf = choice.crf >= 0 ? choice.crf : h26x ? 18 : -1;
    // x264 and x265 check their presets only when opened, and then print their own complaint.
    static const char* const kX26xPresets[] = {"ultrafast", "superfast", "veryfast", "faster", "fast",
                                                "medium",    "slow",      "slower",   "veryslow", "placebo"};
    const bool knownPreset = !h26x || std::find_if(std::begin(kX26xPresets), std::end(kX26xPresets), [&](const char* p) {
                                        return preset == p;
                                      }) != std::end(kX26xPresets);
    if (!preset.empty() && (!knownPreset || av_opt_set(encoder_->priv_data, "preset", preset.c_str(), 0) < 0)) {
      error = std::string("the ") + codec->name + " encoder has no preset '" + preset + "'";
      return false;
    }
    if (crf >= 0 && av_opt_set_int(encoder_->priv_data, "crf", crf, 0) < 0) {
      error = std::string("the ") + codec->name + " encoder takes no CRF " + std::to_string(crf);
      return false;
    }
    if (codec->id == AV_CODEC_ID_MPEG4 && crf < 0) {
      encoder_->bit_rate = int64_t(settings_.width) * settings_.height * 8;
      encoder_->qmax = 8;
    }
    return true;
  }

  void release() {
    sws_freeContext(scaler_);
    scaler_ = nullptr;
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&encoder_);
    if (container_) avformat_free_context(container_);
    container_ = nullptr;
  }

  OutputSettings settings_;
  std::string temporary_;
  AVFormatContext* container_ = nullptr;
  AVStream* stream_ = nullptr;
  AVCodecContext* encoder_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  SwsContext* scaler_ = nullptr;
  int64_t nextPts_ = 0;
  AVFieldOrder fieldOrder_ = AV_FIELD_UNKNOWN;
  AudioCarrier audio_;
  bool opened_ = false;
  bool finished_ = false;
};

}  // namespace

std::unique_ptr<FrameWriter> openMovieWriter(const OutputSettings& settings, std::string& error) {
  auto writer = std::make_unique<MovieWriter>();
  if (!writer->open(settings, error)) {
    writer->abandon();
    return nullptr;
  }
  return writer;
}
