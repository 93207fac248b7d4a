// Movie input through FFmpeg: frames decoded in order and scaled to the output size. Frame n of the
// host is the movie's n-th frame; past the end the last frame holds.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "app/media/video_source.h"

#include "app/media/av_error.h"

namespace {

class MovieSource : public VideoSource {
 public:
  ~MovieSource() override { close(); }

  bool open(const std::string& path, std::string& error) {
    path_ = path;
    av_log_set_level(AV_LOG_ERROR);
    int rc = avformat_open_input(&container_, path.c_str(), nullptr, nullptr);
    if (rc < 0) {
      error = "cannot read input '" + path + "': " + avError(rc);
      return false;
    }
    if ((rc = avformat_find_stream_info(container_, nullptr)) < 0) {
      error = "cannot read input '" + path + "': " + avError(rc);
      return false;
    }
    const AVCodec* codec = nullptr;
    stream_ = av_find_best_stream(container_, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (stream_ < 0 || !codec) {
      error = "input '" + path + "' holds no video that can be decoded";
      return false;
    }
    decoder_ = avcodec_alloc_context3(codec);
    if (!decoder_ || avcodec_parameters_to_context(decoder_, container_->streams[stream_]->codecpar) < 0 ||
        (rc = avcodec_open2(decoder_, codec, nullptr)) < 0) {
      error = "cannot decode input '" + path + "'";
      return false;
    }
    decoded_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!decoded_ || !packet_) {
      error = "out of memory opening '" + path + "'";
      return false;
    }
    const AVStream* s = container_->streams[stream_];
    if (s->nb_frames > 0) {
      count_ = int(s->nb_frames);
    } else if (s->duration > 0 && s->avg_frame_rate.num > 0) {
      count_ = int(av_rescale_q(s->duration, s->time_base, av_inv_q(s->avg_frame_rate)));
    } else if (container_->duration > 0 && s->avg_frame_rate.num > 0) {
      count_ = int(av_rescale_q(container_->duration, AVRational{1, AV_TIME_BASE}, av_inv_q(s->avg_frame_rate)));
    }
    return true;
  }

  void setOutputSize(int w, int h) override { frame_.create(w, h, 24, false); }
  int frameCount() const override { return count_; }
  int naturalWidth() const override { return decoder_ ? decoder_->width : 0; }
  int naturalHeight() const override { return decoder_ ? decoder_->height : 0; }

  const HostFrame* frame(int number, std::string& error) override {
    if (frame_.empty()) setOutputSize(naturalWidth(), naturalHeight());
    if (number < 0) number = 0;
    if (number == current_) return &frame_;
    if (number < current_ && !rewind(error)) return nullptr;
    while (current_ < number && !ended_) {
      const int got = decodeNext(error);
      if (got < 0) return nullptr;
      if (got == 0) {
        ended_ = true;
        break;
      }
      ++current_;
      if (current_ == number && !convert(error)) return nullptr;
    }
    if (current_ < 0) {
      error = "input '" + path_ + "' holds no frames";
      return nullptr;
    }
    return &frame_;
  }

 private:
  // 1 when a frame was decoded, 0 at the end, -1 on error.
  int decodeNext(std::string& error) {
    for (;;) {
      int rc = avcodec_receive_frame(decoder_, decoded_);
      if (rc == 0) return 1;
      if (rc == AVERROR_EOF) return 0;
      if (rc != AVERROR(EAGAIN)) {
        error = "cannot decode input '" + path_ + "': " + avError(rc);
        return -1;
      }
      if (draining_) return 0;
      rc = av_read_frame(container_, packet_);
      if (rc == AVERROR_EOF) {
        draining_ = true;
        avcodec_send_packet(decoder_, nullptr);
        continue;
      }
      if (rc < 0) {
        error = "cannot read input '" + path_ + "': " + avError(rc);
        return -1;
      }
      if (packet_->stream_index == stream_) rc = avcodec_send_packet(decoder_, packet_);
      av_packet_unref(packet_);
      if (rc < 0 && rc != AVERROR(EAGAIN)) {
        error = "cannot decode input '" + path_ + "': " + avError(rc);
        return -1;
      }
    }
  }

  bool convert(std::string& error) {
    scaler_ = sws_getCachedContext(scaler_, decoded_->width, decoded_->height, AVPixelFormat(decoded_->format),
                                   frame_.width(), frame_.height(), AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr,
                                   nullptr, nullptr);
    if (!scaler_) {
      error = "cannot convert the frames of '" + path_ + "'";
      return false;
    }
    // Host frames are bottom-up: write from the last row upwards.
    uint8_t* top[1] = {frame_.row(frame_.height() - 1)};
    const int stride[1] = {-frame_.rowStep};
    sws_scale(scaler_, decoded_->data, decoded_->linesize, 0, decoded_->height, top, stride);
    return true;
  }

  bool rewind(std::string& error) {
    const int rc = av_seek_frame(container_, stream_, 0, AVSEEK_FLAG_BACKWARD);
    if (rc < 0) {
      error = "cannot go back in input '" + path_ + "': " + avError(rc);
      return false;
    }
    avcodec_flush_buffers(decoder_);
    current_ = -1;
    ended_ = draining_ = false;
    return true;
  }

  void close() {
    sws_freeContext(scaler_);
    av_frame_free(&decoded_);
    av_packet_free(&packet_);
    avcodec_free_context(&decoder_);
    avformat_close_input(&container_);
  }

  std::string path_;
  AVFormatContext* container_ = nullptr;
  AVCodecContext* decoder_ = nullptr;
  AVFrame* decoded_ = nullptr;
  AVPacket* packet_ = nullptr;
  SwsContext* scaler_ = nullptr;
  HostFrame frame_;
  int stream_ = -1;
  int count_ = -1;
  int current_ = -1;  // index of the frame in frame_
  bool ended_ = false;
  bool draining_ = false;
};

}  // namespace

std::unique_ptr<VideoSource> openMovieSource(const std::string& path, std::string& error) {
  auto source = std::make_unique<MovieSource>();
  if (!source->open(path, error)) return nullptr;
  return source;
}
