#include "app/media/audio_carrier.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <cmath>

#include "app/media/av_error.h"

struct AudioCarrier::Track {
  int inIndex = -1;
  AVStream* in = nullptr;
  AVStream* out = nullptr;
  bool copy = true;
  AVCodecContext* decoder = nullptr;
  AVCodecContext* encoder = nullptr;
  SwrContext* resampler = nullptr;
  AVAudioFifo* fifo = nullptr;
  int64_t wanted = 0;       // input samples in the stretch
  int64_t taken = 0;        // input samples of the stretch passed to the resampler so far
  int64_t encodedPts = 0;   // output samples handed to the encoder
  double readUpTo = 0;      // movie seconds read so far

  ~Track() {
    avcodec_free_context(&decoder);
    avcodec_free_context(&encoder);
    swr_free(&resampler);
    if (fifo) av_audio_fifo_free(fifo);
  }
};

namespace {

// Prefer AAC, which every common container takes; else the container's own default.
const AVCodec* audioEncoderFor(const AVOutputFormat* format) {
  if (avformat_query_codec(format, AV_CODEC_ID_AAC, FF_COMPLIANCE_NORMAL) != 0)
    if (const AVCodec* aac = avcodec_find_encoder(AV_CODEC_ID_AAC)) return aac;
  if (format->audio_codec != AV_CODEC_ID_NONE) return avcodec_find_encoder(format->audio_codec);
  return nullptr;
}

int chooseSampleRate(const AVCodec* codec, int wanted) {
  if (!codec->supported_samplerates) return wanted;
  int best = 0;
  for (const int* r = codec->supported_samplerates; *r; ++r) {
    if (*r == wanted) return wanted;
    if (!best || std::abs(*r - wanted) < std::abs(best - wanted)) best = *r;
  }
  return best;
}

double seconds(int64_t ts, AVRational base) { return double(ts) * av_q2d(base); }

}  // namespace

AudioCarrier::AudioCarrier() = default;

AudioCarrier::~AudioCarrier() {
  tracks_.clear();
  av_packet_free(&packet_);
  av_frame_free(&frame_);
  avformat_close_input(&input_);
}

int AudioCarrier::streamCount() const { return int(tracks_.size()); }

bool AudioCarrier::open(const std::string& path, double start, double duration, AVFormatContext* output,
                        std::string& error) {
  path_ = path;
  output_ = output;
  start_ = start;
  duration_ = duration;
  int rc = avformat_open_input(&input_, path.c_str(), nullptr, nullptr);
  if (rc < 0 || (rc = avformat_find_stream_info(input_, nullptr)) < 0) {
    error = "cannot read the sound of '" + path + "': " + avError(rc);
    return false;
  }
  packet_ = av_packet_alloc();
  frame_ = av_frame_alloc();
  if (!packet_ || !frame_) {
    error = "out of memory reading the sound of '" + path + "'";
    return false;
  }
  // Host frame 0 is the file's first picture, so the sound keeps its offset from the pictures.
  const int video = av_find_best_stream(input_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  bool haveBase = false;
  if (video >= 0 && input_->streams[video]->start_time != AV_NOPTS_VALUE) {
    base_ = seconds(input_->streams[video]->start_time, input_->streams[video]->time_base);
    haveBase = true;
  }
  for (unsigned i = 0; i < input_->nb_streams; ++i) {
    AVStream* in = input_->streams[i];
    if (in->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) {
      in->discard = AVDISCARD_ALL;
      continue;
    }
    if (!haveBase && video < 0 && in->start_time != AV_NOPTS_VALUE) {
      const double s = seconds(in->start_time, in->time_base);
      if (tracks_.empty() || s < base_) base_ = s;
    }
    auto track = std::make_unique<Track>();
    track->inIndex = int(i);
    track->in = in;
    track->out = avformat_new_stream(output, nullptr);
    if (!track->out) {
      error = "out of memory setting up the sound";
      return false;
    }
    // Containers without a list of their codecs (MPEG-TS) answer "unknown"; they are taken at their word.
    track->copy = avformat_query_codec(output->oformat, in->codecpar->codec_id, FF_COMPLIANCE_NORMAL) != 0;
    if (track->copy) {
      avcodec_parameters_copy(track->out->codecpar, in->codecpar);
      track->out->codecpar->codec_tag = 0;
      track->out->time_base = in->time_base;
    } else {
      const AVCodec* decoderCodec = avcodec_find_decoder(in->codecpar->codec_id);
      const AVCodec* encoderCodec = audioEncoderFor(output->oformat);
      if (!decoderCodec) {
        error = "cannot decode the sound of '" + path + "' (" + avcodec_get_name(in->codecpar->codec_id) + ")";
        return false;
      }
      if (!encoderCodec) {
        error = std::string("no sound encoder for ") + output->oformat->name + " movies; --no-audio leaves the sound out";
        return false;
      }
      track->decoder = avcodec_alloc_context3(decoderCodec);
      track->encoder = avcodec_alloc_context3(encoderCodec);
      if (!track->decoder || !track->encoder ||
          avcodec_parameters_to_context(track->decoder, in->codecpar) < 0 ||
          (rc = avcodec_open2(track->decoder, decoderCodec, nullptr)) < 0) {
        error = "cannot decode the sound of '" + path + "'";
        return false;
      }
      AVCodecContext* e = track->encoder;
      e->sample_rate = chooseSampleRate(encoderCodec, track->decoder->sample_rate);
      e->sample_fmt = encoderCodec->sample_fmts ? encoderCodec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
      if (track->decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&e->ch_layout, track->decoder->ch_layout.nb_channels);
      else
        av_channel_layout_copy(&e->ch_layout, &track->decoder->ch_layout);
      e->bit_rate = 64000 * std::max(1, e->ch_layout.nb_channels);
      e->time_base = {1, e->sample_rate};
      if (output->oformat->flags & AVFMT_GLOBALHEADER) e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
      if ((rc = avcodec_open2(e, encoderCodec, nullptr)) < 0) {
        error = std::string("cannot open the ") + encoderCodec->name + " sound encoder: " + avError(rc);
        return false;
      }
      avcodec_parameters_from_context(track->out->codecpar, e);
      track->out->time_base = e->time_base;
      AVChannelLayout inLayout{};
      if (track->decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&inLayout, track->decoder->ch_layout.nb_channels);
      else
        av_channel_layout_copy(&inLayout, &track->decoder->ch_layout);
      rc = swr_alloc_set_opts2(&track->resampler, &e->ch_layout, e->sample_fmt, e->sample_rate, &inLayout,
                               track->decoder->sample_fmt, track->decoder->sample_rate, 0, nullptr);
      av_channel_layout_uninit(&inLayout);
      if (rc < 0 || swr_init(track->resampler) < 0 ||
          !(track->fifo = av_audio_fifo_alloc(e->sample_fmt, e->ch_layout.nb_channels, 4096))) {
        error = "cannot convert the sound of '" + path + "'";
        return false;
      }
      track->wanted = std::llround(duration * track->decoder->sample_rate);
    }
    tracks_.push_back(std::move(track));
  }
  if (tracks_.empty()) return true;
  if (base_ + start_ > 0) {
    const int64_t target = int64_t((base_ + start_) * AV_TIME_BASE);
    // Not finding the place means reading from the beginning, which is slower but still right.
    if (av_seek_frame(input_, -1, target, AVSEEK_FLAG_BACKWARD) < 0) av_seek_frame(input_, -1, 0, AVSEEK_FLAG_BACKWARD);
  }
  return true;
}

bool AudioCarrier::writeUpTo(double movieSeconds, std::string& error) {
  if (tracks_.empty()) return true;
  return readUpTo(std::min(movieSeconds, duration_), error);
}

bool AudioCarrier::readUpTo(double movieSeconds, std::string& error) {
  auto behind = [&] {
    for (auto& t : tracks_)
      if (t->readUpTo < movieSeconds) return true;
    return false;
  };
  while (!ended_ && behind()) {
    int rc = av_read_frame(input_, packet_);
    if (rc == AVERROR_EOF) {
      ended_ = true;
      break;
    }
    if (rc < 0) {
      error = "cannot read the sound of '" + path_ + "': " + avError(rc);
      return false;
    }
    Track* track = nullptr;
    for (auto& t : tracks_)
      if (t->inIndex == packet_->stream_index) track = t.get();
    bool ok = true;
    if (track) {
      if (packet_->pts != AV_NOPTS_VALUE)
        track->readUpTo = seconds(packet_->pts, track->in->time_base) - base_ - start_;
      ok = track->copy ? copyPacket(*track, error) : decodePacket(*track, false, error);
    }
    av_packet_unref(packet_);
    if (!ok) return false;
  }
  return true;
}

bool AudioCarrier::copyPacket(Track& track, std::string& error) {
  if (packet_->pts == AV_NOPTS_VALUE) return true;
  const AVRational base = track.in->time_base;
  const double halfway = (seconds(packet_->pts, base) + seconds(packet_->duration, base) / 2) - base_ - start_;
  // A copied packet cannot be cut: it belongs to the stretch when its middle does.
  if (halfway < 0 || halfway >= duration_) return true;
  const int64_t shift = int64_t(std::llround((base_ + start_) / av_q2d(base)));
  packet_->pts -= shift;
  if (packet_->dts != AV_NOPTS_VALUE) packet_->dts -= shift;
  av_packet_rescale_ts(packet_, base, track.out->time_base);
  packet_->stream_index = track.out->index;
  packet_->pos = -1;
  const int rc = av_interleaved_write_frame(output_, packet_);
  if (rc < 0) {
    error = "cannot write the sound: " + avError(rc);
    return false;
  }
  return true;
}

bool AudioCarrier::decodePacket(Track& track, bool draining, std::string& error) {
  int rc = avcodec_send_packet(track.decoder, draining ? nullptr : packet_);
  if (rc < 0 && rc != AVERROR_EOF && rc != AVERROR_INVALIDDATA) {
    error = "cannot decode the sound of '" + path_ + "': " + avError(rc);
    return false;
  }
  for (;;) {
    rc = avcodec_receive_frame(track.decoder, frame_);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
    if (rc < 0) {
      error = "cannot decode the sound of '" + path_ + "': " + avError(rc);
      return false;
    }
    const int rate = track.decoder->sample_rate;
    int64_t first = track.taken;  // where this frame's samples fall in the stretch
    if (frame_->pts != AV_NOPTS_VALUE) {
      const double at = seconds(frame_->pts, track.in->time_base) - base_ - start_;
      first = std::llround(at * rate);
    }
    // Samples before the stretch (or already taken) are skipped, those past its end dropped.
    int64_t skip = std::max<int64_t>(0, track.taken - first);
    int64_t count = int64_t(frame_->nb_samples) - skip;
    if (first + skip > track.taken) {
      // A gap in the input is filled with silence so the sound stays in step with the pictures.
      const int64_t gap = std::min(first + skip - track.taken, track.wanted - track.taken);
      if (gap > 0) {
        AVFrame* silence = av_frame_alloc();
        silence->format = frame_->format;
        silence->nb_samples = int(gap);
        av_channel_layout_copy(&silence->ch_layout, &frame_->ch_layout);
        silence->sample_rate = frame_->sample_rate;
        if (av_frame_get_buffer(silence, 0) == 0) {
          av_samples_set_silence(silence->extended_data, 0, int(gap), silence->ch_layout.nb_channels,
                                 AVSampleFormat(silence->format));
          uint8_t** out = nullptr;
          const int room = swr_get_out_samples(track.resampler, int(gap));
          if (av_samples_alloc_array_and_samples(&out, nullptr, track.encoder->ch_layout.nb_channels, room,
                                                 track.encoder->sample_fmt, 0) >= 0) {
            const int got = swr_convert(track.resampler, out, room, const_cast<const uint8_t**>(silence->extended_data), int(gap));
            if (got > 0) av_audio_fifo_write(track.fifo, reinterpret_cast<void**>(out), got);
            av_freep(&out[0]);
            av_freep(&out);
          }
        }
        av_frame_free(&silence);
        track.taken += gap;
      }
    }
    count = std::min(count, track.wanted - track.taken);
    if (count > 0) {
      const int bytesPerSample = av_get_bytes_per_sample(AVSampleFormat(frame_->format));
      const bool planar = av_sample_fmt_is_planar(AVSampleFormat(frame_->format));
      const int channels = frame_->ch_layout.nb_channels;
      const uint8_t* in[64];
      for (int c = 0; c < (planar ? std::min(channels, 64) : 1); ++c)
        in[c] = frame_->extended_data[c] + size_t(skip) * bytesPerSample * (planar ? 1 : channels);
      const int room = swr_get_out_samples(track.resampler, int(count));
      uint8_t** out = nullptr;
      if (av_samples_alloc_array_and_samples(&out, nullptr, track.encoder->ch_layout.nb_channels, room,
                                             track.encoder->sample_fmt, 0) < 0) {
        av_frame_unref(frame_);
        error = "out of memory converting the sound";
        return false;
      }
      const int got = swr_convert(track.resampler, out, room, in, int(count));
      if (got > 0) av_audio_fifo_write(track.fifo, reinterpret_cast<void**>(out), got);
      av_freep(&out[0]);
      av_freep(&out);
      track.taken += count;
    }
    av_frame_unref(frame_);
    if (!encodeFrom(track, false, error)) return false;
  }
}

bool AudioCarrier::encodeFrom(Track& track, bool last, std::string& error) {
  AVCodecContext* e = track.encoder;
  const int size = e->frame_size > 0 ? e->frame_size : 1024;
  while (av_audio_fifo_size(track.fifo) >= size || (last && av_audio_fifo_size(track.fifo) > 0)) {
    const int n = std::min(size, av_audio_fifo_size(track.fifo));
    AVFrame* f = av_frame_alloc();
    f->nb_samples = n;
    f->format = e->sample_fmt;
    f->sample_rate = e->sample_rate;
    av_channel_layout_copy(&f->ch_layout, &e->ch_layout);
    if (av_frame_get_buffer(f, 0) < 0) {
      av_frame_free(&f);
      error = "out of memory encoding the sound";
      return false;
    }
    av_audio_fifo_read(track.fifo, reinterpret_cast<void**>(f->data), n);
    f->pts = track.encodedPts;
    track.encodedPts += n;
    const int rc = avcodec_send_frame(e, f);
    av_frame_free(&f);
    if (rc < 0) {
      error = "cannot encode the sound: " + avError(rc);
      return false;
    }
    if (!sendToEncoder(track, false, error)) return false;
  }
  return true;
}

bool AudioCarrier::sendToEncoder(Track& track, bool flush, std::string& error) {
  if (flush) avcodec_send_frame(track.encoder, nullptr);
  AVPacket* out = av_packet_alloc();
  for (;;) {
    int rc = avcodec_receive_packet(track.encoder, out);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) break;
    if (rc < 0) {
      av_packet_free(&out);
      error = "cannot encode the sound: " + avError(rc);
      return false;
    }
    av_packet_rescale_ts(out, track.encoder->time_base, track.out->time_base);
    out->stream_index = track.out->index;
    rc = av_interleaved_write_frame(output_, out);
    if (rc < 0) {
      av_packet_free(&out);
      error = "cannot write the sound: " + avError(rc);
      return false;
    }
  }
  av_packet_free(&out);
  return true;
}

bool AudioCarrier::finish(std::string& error) {
  if (tracks_.empty()) return true;
  if (!readUpTo(duration_ + 1.0, error)) return false;
  for (auto& t : tracks_) {
    if (t->copy) continue;
    if (!decodePacket(*t, true, error)) return false;
    // The resampler's last samples, then the encoder's.
    uint8_t** out = nullptr;
    const int room = swr_get_out_samples(t->resampler, 0);
    if (room > 0 && av_samples_alloc_array_and_samples(&out, nullptr, t->encoder->ch_layout.nb_channels, room,
                                                      t->encoder->sample_fmt, 0) >= 0) {
      const int got = swr_convert(t->resampler, out, room, nullptr, 0);
      const int64_t wantedOut = av_rescale(t->wanted, t->encoder->sample_rate, t->decoder->sample_rate);
      const int64_t have = t->encodedPts + av_audio_fifo_size(t->fifo);
      const int keep = int(std::max<int64_t>(0, std::min<int64_t>(got, wantedOut - have)));
      if (keep > 0) av_audio_fifo_write(t->fifo, reinterpret_cast<void**>(out), keep);
      av_freep(&out[0]);
      av_freep(&out);
    }
    if (!encodeFrom(*t, true, error) || !sendToEncoder(*t, true, error)) return false;
  }
  return true;
}
