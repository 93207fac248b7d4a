// Movie input through FFmpeg, scaled to the output size. Frame n of the host is the n-th frame of a
// decode from the start; past the end the last frame holds. An index of the packets, read when the
// movie opens, lets a frame far ahead or behind be reached by decoding from the keyframe before it;
// a movie whose frames cannot be found by their time stamps is decoded from the start instead.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include "app/media/video_source.h"

#include <algorithm>
#include <cstring>

#include "app/media/av_error.h"
#include "app/media/movie_index.h"

namespace {

// A field FFmpeg copies from the stream's own headers, which may hold numbers its enum does not name
// (reading such a number as the enum is undefined): the number, or `otherwise` outside [0, count).
template <typename Enum>
int enumValue(const Enum& field, int count, int otherwise) {
  int value;
  static_assert(sizeof value == sizeof field);
  std::memcpy(&value, &field, sizeof value);
  return value >= 0 && value < count ? value : otherwise;
}

class MovieSource : public VideoSource {
 public:
  ~MovieSource() override { close(); }

  bool open(const std::string& path, bool indexed, std::string& error) {
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
    if (decoder_) decoder_->thread_count = 1;
    if (!decoder_ || avcodec_parameters_to_context(decoder_, container_->streams[stream_]->codecpar) < 0 ||
        (rc = avcodec_open2(decoder_, codec, nullptr)) < 0) {
      error = "cannot decode input '" + path + "'";
      return false;
    }
    decoded_ = av_frame_alloc();
    incoming_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!decoded_ || !incoming_ || !packet_) {
      error = "out of memory opening '" + path + "'";
      return false;
    }
    // Containers that do not say how many frames they hold are counted by the index now; the others
    // are indexed at their first jump, so that a render from the start does not wait for it.
    indexed_ = indexed;
    if (container_->streams[stream_]->nb_frames <= 0 && !readIndex(error)) return false;
    // Read after the index: a stream that cannot seek back is opened again.
    const AVStream* s = container_->streams[stream_];
    rate_ = av_guess_frame_rate(container_, container_->streams[stream_], nullptr);
    hasAudio_ = av_find_best_stream(container_, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0;
    describe(s);
    if (s->nb_frames > 0) {
      // A header may count only its first part (an MP4 whose header holds the first fragment, an AVI
      // past its first RIFF): the container's list of samples then holds more.
      count_ = int(std::max<int64_t>(s->nb_frames, avformat_index_get_entries_count(container_->streams[stream_])));
    } else if (index_.packets() > 0) {
      // Counted packet by packet (MPEG-TS, WebM, MPEG-PS do not say): an estimate from the duration
      // is often a frame off.
      count_ = index_.packets();
    } else if (s->duration > 0 && s->avg_frame_rate.num > 0) {
      count_ = int(av_rescale_q(s->duration, s->time_base, av_inv_q(s->avg_frame_rate)));
    } else if (container_->duration > 0 && s->avg_frame_rate.num > 0) {
      count_ = int(av_rescale_q(container_->duration, AVRational{1, AV_TIME_BASE}, av_inv_q(s->avg_frame_rate)));
    }
    return true;
  }

  void setOutputSize(int w, int h) override {
    frame_.create(w, h, 24, false);
    inFrame_ = -1;
  }
  bool frameRate(FrameRate& rate) const override {
    if (rate_.num <= 0 || rate_.den <= 0) return false;
    rate.num = rate_.num;
    rate.den = rate_.den;
    return true;
  }
  PictureDescription picture() const override { return picture_; }
  bool hasAudio() const override { return hasAudio_; }
  void setDecodeThreads(int threads) override {
    if (threads == decodeThreads_ || !decoder_) return;
    decodeThreads_ = threads;
    // A decoder takes its thread count when opened, so it is opened again with the new one.
    const AVCodec* codec = decoder_->codec;
    avcodec_free_context(&decoder_);
    decoder_ = avcodec_alloc_context3(codec);
    if (!decoder_) return;
    avcodec_parameters_to_context(decoder_, container_->streams[stream_]->codecpar);
    decoder_->thread_count = threads;
    avcodec_open2(decoder_, codec, nullptr);
    // The new decoder has seen none of the packets read so far.
    std::string ignored;
    if (seekable_)
      forget();
    else
      rewind(ignored);
  }
  int frameCount() const override { return count_; }
  int64_t framesDecoded() const override { return decodedCount_; }
  bool expectJumps(std::string& error) override { return !indexed_ || indexRead_ || readIndex(error); }
  int naturalWidth() const override { return decoder_ ? decoder_->width : 0; }
  int naturalHeight() const override { return decoder_ ? decoder_->height : 0; }

  const HostFrame* frame(int number, std::string& error) override {
    if (frame_.empty()) setOutputSize(naturalWidth(), naturalHeight());
    const int wanted = std::max(number, 0);
    if (wanted == inFrame_) return &frame_;
    if (!frameInto(wanted, frame_, error)) return nullptr;
    inFrame_ = current_;
    return &frame_;
  }

  // Decodes up to `number` and converts straight into `storage`: no copy of the converted frame.
  const HostFrame* frameInto(int number, HostFrame& storage, std::string& error) override {
    if (frame_.empty()) setOutputSize(naturalWidth(), naturalHeight());
    if (number < 0) number = 0;
    const bool jump = number != current_ && number != current_ + 1;
    if (jump && indexed_ && !indexRead_ && !readIndex(error)) return nullptr;
    if (!(seekable_ ? reach(number, error) : decodeOnward(number, error))) return nullptr;
    if (current_ < 0) {
      error = "input '" + path_ + "' holds no frames";
      return nullptr;
    }
    if (storage.width() != frame_.width() || storage.height() != frame_.height() || storage.bytesPerPixel() != 3)
      storage.create(frame_.width(), frame_.height(), 24, false);
    if (!convert(storage, error)) return nullptr;
    return &storage;
  }

 private:
  void describe(const AVStream* s) {
    const AVCodecParameters* c = s->codecpar;
    const AVRational sar = s->sample_aspect_ratio.num > 0 ? s->sample_aspect_ratio : c->sample_aspect_ratio;
    if (sar.num > 0 && sar.den > 0) {
      picture_.sampleAspectNum = sar.num;
      picture_.sampleAspectDen = sar.den;
    }
    picture_.fieldOrder = enumValue(c->field_order, AV_FIELD_BT + 1, AV_FIELD_UNKNOWN);
    picture_.colourSpace = enumValue(c->color_space, AVCOL_SPC_NB, -1);
    picture_.colourPrimaries = enumValue(c->color_primaries, AVCOL_PRI_NB, -1);
    picture_.colourTransfer = enumValue(c->color_trc, AVCOL_TRC_NB, -1);
    picture_.colourRange = enumValue(c->color_range, AVCOL_RANGE_NB, -1);
    if (const char* name = av_get_pix_fmt_name(AVPixelFormat(c->format))) picture_.pixelFormat = name;
  }

  // Every packet of the video, read without decoding: from the sample tables where the container has
  // them, else by reading the file through and going back to the start.
  bool readIndex(std::string& error) {
    indexRead_ = true;
    const bool fromTables = indexBySampleTables(path_, stream_, index_);
    // An index cut short by a damaged file would hold the last frames back.
    const bool whole = fromTables || indexByReadingPackets(container_, stream_, index_);
    seekable_ = index_.finish() && indexed_ && whole;
    // Read through to the end, or to be decoded from the start from now on.
    if ((!fromTables || !seekable_) && !rewind(error)) return false;
    forget();
    return true;
  }

  // Back to the first packet: by a seek, or, in a stream that cannot seek (raw H.264 and the like), by
  // opening the file again.
  bool toStart(std::string& error) {
    int rc = av_seek_frame(container_, stream_, 0, AVSEEK_FLAG_BACKWARD);
    if (rc >= 0 || avformat_seek_file(container_, -1, INT64_MIN, 0, INT64_MAX, 0) >= 0) return true;
    avformat_close_input(&container_);
    if ((rc = avformat_open_input(&container_, path_.c_str(), nullptr, nullptr)) >= 0 &&
        (rc = avformat_find_stream_info(container_, nullptr)) >= 0 && stream_ < int(container_->nb_streams))
      return true;
    error = "cannot go back in input '" + path_ + "': " + avError(rc);
    return false;
  }

  // Reaches frame `number` (the last frame past the end) by the index: decoding on when the frame lies
  // ahead and no keyframe nearer to it has been passed, else from the keyframe before it. Every frame
  // decoded must be the next one the index shows; when not, the index is given up and the frame is
  // decoded from the start.
  bool reach(int number, std::string& error) {
    const int target = std::min(number, index_.frames() - 1);
    while (seekable_ && current_ != target) {
      const int start = index_.startFor(target);
      if (current_ > target || nextPacket_ < start || runStart_ > start) {
        if (!seekTo(start, error)) {
          if (!error.empty()) return false;
          seekable_ = false;
          break;
        }
      }
      while (current_ < target) {
        const int got = decodeNext(error);
        if (got < 0) return false;
        const int64_t pts = got == 0 ? AV_NOPTS_VALUE : decoded_->pts;
        // Pictures of an open GOP shown before the keyframe decode from frames that were not read.
        if (got == 1 && pts != AV_NOPTS_VALUE && pts < runFromPts_) continue;
        const int expected = current_ >= 0 ? current_ + 1 : runFirst_;
        const int found = pts == AV_NOPTS_VALUE ? -1 : index_.frameAt(pts);
        if (found == expected) {
          current_ = found;
          continue;
        }
        // A keyframe whose decode does not begin with its own picture is passed over; any other
        // surprise means the index does not describe what the decoder gives.
        if (current_ < 0 && runStart_ != 0 && found > expected) {
          index_.refuse(runStart_);
        } else {
          seekable_ = false;
        }
        forget();
        break;
      }
    }
    if (seekable_) return true;
    return rewind(error) && decodeOnward(number, error);
  }

  // Puts the demuxer at packet `start` and the decoder at a clean start. Containers seek to a time at
  // or before the one asked for, some only roughly (MPEG-TS): the packet landed on is looked up and
  // read on from; when it lies past the start, an earlier time is asked for.
  bool seekTo(int start, std::string& error) {
    const PacketEntry& target = index_.packet(start);
    const AVStream* s = container_->streams[stream_];
    int64_t time = target.dts != AV_NOPTS_VALUE ? target.dts : target.pts;
    const int64_t second = std::max<int64_t>(1, av_rescale_q(1, AVRational{1, 1}, s->time_base));
    for (int attempt = 0; attempt < 4; ++attempt, time -= second << (3 * attempt)) {
      const int rc = attempt == 3 ? av_seek_frame(container_, -1, 0, AVSEEK_FLAG_BYTE)
                                  : av_seek_frame(container_, stream_, time, AVSEEK_FLAG_BACKWARD);
      if (rc < 0) continue;
      // The first packets after a seek may be pieces of one (MPEG-TS) that no index entry names.
      int landed = -1;
      for (int read = 0; landed == -1 && read < 64; ++read) {
        av_packet_unref(packet_);
        landed = readVideoPacket(error);
        if (landed < -1) return false;
      }
      if (landed < 0 || landed > start) continue;
      while (landed >= 0 && landed < start) {
        av_packet_unref(packet_);
        const int next = readVideoPacket(error);
        if (next < -1) return false;
        landed = next == landed + 1 ? next : -1;
      }
      if (landed != start) continue;
      runFrom(start);
      pending_ = true;
      return true;
    }
    av_packet_unref(packet_);
    return false;
  }

  // The index of the next video packet read into packet_, -1 when it is not in the index or the file
  // ends, -2 on a read error (error set).
  int readVideoPacket(std::string& error) {
    for (;;) {
      const int rc = av_read_frame(container_, packet_);
      if (rc == AVERROR_EOF) return -1;
      if (rc < 0) {
        error = "cannot read input '" + path_ + "': " + avError(rc);
        return -2;
      }
      if (packet_->stream_index == stream_) return index_.packetOf(packet_->pos, packet_->dts);
      av_packet_unref(packet_);
    }
  }

  // Nothing decoded counts any more: the next frame asked for seeks.
  void forget() {
    current_ = inFrame_ = -1;
    nextPacket_ = -1;
  }

  // The decoder starts afresh with packet `start`, the next packet read.
  void runFrom(int start) {
    avcodec_flush_buffers(decoder_);
    current_ = inFrame_ = -1;
    ended_ = draining_ = pending_ = false;
    runStart_ = start;
    nextPacket_ = start;
    runFirst_ = start == 0 ? 0 : index_.firstFrameFrom(index_.packet(start).pts);
    runFromPts_ = runFirst_ < index_.frames() ? index_.framePts(runFirst_) : INT64_MAX;
  }

  // Decodes frame after frame from the current one, counting them (no index).
  bool decodeOnward(int number, std::string& error) {
    if (number < current_ && !rewind(error)) return false;
    while (current_ < number && !ended_) {
      const int got = decodeNext(error);
      if (got < 0) return false;
      if (got == 0) {
        ended_ = true;
        break;
      }
      ++current_;
    }
    return true;
  }

  // 1 when a frame was decoded, 0 at the end, -1 on error.
  int decodeNext(std::string& error) {
    for (;;) {
      // The last frame decoded stays in decoded_ past the end, where the last frame holds.
      int rc = avcodec_receive_frame(decoder_, incoming_);
      if (rc == 0) {
        av_frame_unref(decoded_);
        av_frame_move_ref(decoded_, incoming_);
        ++decodedCount_;
        return 1;
      }
      if (rc == AVERROR_EOF) return 0;
      if (rc != AVERROR(EAGAIN)) {
        error = "cannot decode input '" + path_ + "': " + avError(rc);
        return -1;
      }
      if (draining_) return 0;
      rc = pending_ ? 0 : av_read_frame(container_, packet_);
      pending_ = false;
      if (rc == AVERROR_EOF) {
        draining_ = true;
        avcodec_send_packet(decoder_, nullptr);
        continue;
      }
      if (rc < 0) {
        error = "cannot read input '" + path_ + "': " + avError(rc);
        return -1;
      }
      if (packet_->stream_index == stream_) {
        rc = avcodec_send_packet(decoder_, packet_);
        ++nextPacket_;
      }
      av_packet_unref(packet_);
      if (rc < 0 && rc != AVERROR(EAGAIN)) {
        error = "cannot decode input '" + path_ + "': " + avError(rc);
        return -1;
      }
    }
  }

  bool convert(HostFrame& into, std::string& error) {
    scaler_ = sws_getCachedContext(scaler_, decoded_->width, decoded_->height, AVPixelFormat(decoded_->format),
                                   into.width(), into.height(), AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr,
                                   nullptr, nullptr);
    if (!scaler_) {
      error = "cannot convert the frames of '" + path_ + "'";
      return false;
    }
    // The movie's own matrix and range; the default would take every movie for standard-definition video.
    const int given = enumValue(decoded_->colorspace, AVCOL_SPC_NB, AVCOL_SPC_UNSPECIFIED);
    const int space = given != AVCOL_SPC_UNSPECIFIED ? given
                      : decoded_->height >= 720      ? AVCOL_SPC_BT709
                                                     : AVCOL_SPC_SMPTE170M;
    const int* coefficients = sws_getCoefficients(space);
    const bool full = enumValue(decoded_->color_range, AVCOL_RANGE_NB, AVCOL_RANGE_UNSPECIFIED) == AVCOL_RANGE_JPEG;
    sws_setColorspaceDetails(scaler_, coefficients, full ? 1 : 0, coefficients, 1, 0, 1 << 16, 1 << 16);
    // Host frames are bottom-up: write from the last row upwards.
    uint8_t* top[1] = {into.row(into.height() - 1)};
    const int stride[1] = {-into.rowStep};
    sws_scale(scaler_, decoded_->data, decoded_->linesize, 0, decoded_->height, top, stride);
    return true;
  }

  bool rewind(std::string& error) {
    if (!toStart(error)) return false;
    avcodec_flush_buffers(decoder_);
    current_ = inFrame_ = -1;
    ended_ = draining_ = pending_ = false;
    return true;
  }

  void close() {
    sws_freeContext(scaler_);
    av_frame_free(&decoded_);
    av_frame_free(&incoming_);
    av_packet_free(&packet_);
    avcodec_free_context(&decoder_);
    avformat_close_input(&container_);
  }

  std::string path_;
  AVFormatContext* container_ = nullptr;
  AVCodecContext* decoder_ = nullptr;
  AVFrame* decoded_ = nullptr;
  AVFrame* incoming_ = nullptr;
  AVPacket* packet_ = nullptr;
  SwsContext* scaler_ = nullptr;
  HostFrame frame_;
  AVRational rate_{0, 1};
  PictureDescription picture_;
  bool hasAudio_ = false;
  int decodeThreads_ = 1;
  int stream_ = -1;
  int count_ = -1;
  int current_ = -1;   // index of the frame in decoded_
  int inFrame_ = -1;   // index of the frame converted into frame_
  bool ended_ = false;
  bool draining_ = false;
  bool pending_ = false;  // packet_ holds the next packet, read by a seek
  int64_t decodedCount_ = 0;
  PacketIndex index_;
  bool indexed_ = true;     // frames may be found through an index
  bool indexRead_ = false;
  bool seekable_ = false;   // frames are found through index_
  int runStart_ = 0;       // the packet the decoder started from
  int nextPacket_ = 0;     // the next video packet read
  int runFirst_ = 0;       // the first frame the run shows
  int64_t runFromPts_ = 0;
};

}  // namespace

bool probesAsMovie(const std::string& path) {
  av_log_set_level(AV_LOG_ERROR);
  AVFormatContext* container = nullptr;
  if (avformat_open_input(&container, path.c_str(), nullptr, nullptr) < 0) return false;
  const std::string name = container->iformat->name;
  // Pictures open through FFmpeg's picture demuxers; they stay with the picture readers.
  bool movie = name != "image2" && name.find("_pipe") == std::string::npos && name != "tga";
  if (movie && avformat_find_stream_info(container, nullptr) >= 0)
    movie = av_find_best_stream(container, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0) >= 0;
  avformat_close_input(&container);
  return movie;
}

std::unique_ptr<VideoSource> openMovieSource(const std::string& path, std::string& error, bool indexed) {
  auto source = std::make_unique<MovieSource>();
  if (!source->open(path, indexed, error)) return nullptr;
  return source;
}
