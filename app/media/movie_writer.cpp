#include "app/media/movie_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <cstdio>

extern "C" {
#include <libavutil/log.h>
}

#include "app/media/output_path.h"

#include "app/media/av_error.h"

namespace {

AVRational frameDuration(int rateCode) {
  switch (rateCode) {
    case KM_RATE_CODE_25: return {1, 25};
    case KM_RATE_CODE_24: return {1, 24};
    default: return {1001, 30000};
  }
}

class MovieWriter : public FrameWriter {
 public:
  ~MovieWriter() override {
    if (!finished_) abandon();
  }

  bool open(const OutputSettings& s, std::string& error) {
    settings_ = s;
    temporary_ = temporaryNameFor(s.path);
    // The encoder's statistics are noise on a command line; its errors still show.
    av_log_set_level(AV_LOG_ERROR);
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
    const AVCodec* codec = nullptr;
    if (avformat_query_codec(format, AV_CODEC_ID_H264, FF_COMPLIANCE_NORMAL) == 1)
      codec = avcodec_find_encoder(AV_CODEC_ID_H264);
    if (!codec) codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    if (!codec) {
      error = "FFmpeg has neither an H.264 nor an MPEG-4 encoder";
      return false;
    }
    stream_ = avformat_new_stream(container_, nullptr);
    encoder_ = avcodec_alloc_context3(codec);
    if (!stream_ || !encoder_) {
      error = "out of memory setting up the movie";
      return false;
    }
    const bool hd = s.height >= 720;
    encoder_->width = s.width;
    encoder_->height = s.height;
    encoder_->time_base = frameDuration(s.frameRateCode);
    encoder_->framerate = av_inv_q(encoder_->time_base);
    encoder_->pix_fmt = AV_PIX_FMT_YUV420P;
    // A key frame every two seconds keeps the movie easy to step through in an editor.
    encoder_->gop_size = 2 * (encoder_->time_base.den / encoder_->time_base.num);
    encoder_->colorspace = hd ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
    encoder_->color_primaries = hd ? AVCOL_PRI_BT709 : AVCOL_PRI_SMPTE170M;
    encoder_->color_trc = hd ? AVCOL_TRC_BT709 : AVCOL_TRC_SMPTE170M;
    encoder_->color_range = AVCOL_RANGE_MPEG;
    if (s.interlaced) {
      encoder_->flags |= AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME;
      encoder_->field_order = AV_FIELD_TT;
    }
    if (codec->id == AV_CODEC_ID_H264) {
      av_opt_set(encoder_->priv_data, "preset", "fast", 0);
      av_opt_set(encoder_->priv_data, "crf", "18", 0);
    } else {
      encoder_->bit_rate = int64_t(s.width) * s.height * 8;
      encoder_->qmax = 8;
    }
    if (container_->oformat->flags & AVFMT_GLOBALHEADER) encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if ((rc = avcodec_open2(encoder_, codec, nullptr)) < 0) {
      error = std::string("cannot open the ") + codec->name + " encoder: " + avError(rc);
      return false;
    }
    avcodec_parameters_from_context(stream_->codecpar, encoder_);
    stream_->time_base = encoder_->time_base;
    if (s.interlaced) stream_->codecpar->field_order = AV_FIELD_TT;

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
                                   encoder_->pix_fmt, SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (!scaler_) {
      error_ = "cannot convert frames for the movie";
      return false;
    }
    const int* coefficients = sws_getCoefficients(settings_.height >= 720 ? SWS_CS_ITU709 : SWS_CS_ITU601);
    sws_setColorspaceDetails(scaler_, coefficients, 1, coefficients, 0, 0, 1 << 16, 1 << 16);
    if (av_frame_make_writable(frame_) < 0) {
      error_ = "out of memory writing the movie";
      return false;
    }
    // Host frames are stored bottom-up: start at the top line and step backwards.
    const uint8_t* top[1] = {in.row(in.height() - 1)};
    const int stride[1] = {-in.rowStep};
    sws_scale(scaler_, top, stride, 0, in.height(), frame_->data, frame_->linesize);
    frame_->pts = nextPts_++;
    if (settings_.interlaced) {
      frame_->interlaced_frame = 1;
      frame_->top_field_first = 1;
    }
    return encode(frame_);
  }

  bool finish() override {
    if (!encode(nullptr)) return false;
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

 private:
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
      av_packet_rescale_ts(packet_, encoder_->time_base, stream_->time_base);
      packet_->stream_index = stream_->index;
      rc = av_interleaved_write_frame(container_, packet_);
      if (rc < 0) {
        error_ = "cannot write '" + settings_.path + "': " + avError(rc);
        return false;
      }
    }
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
