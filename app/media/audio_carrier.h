#pragma once
// The sound of a movie: every audio stream of a file carried into the movie being written, cut to
// the stretch that matches the rendered frames. A stream is copied when the container takes its codec
// and re-encoded (AAC where the container takes it, else the container's own choice) otherwise.
#include <memory>
#include <string>
#include <vector>

struct AVFormatContext;

class AudioCarrier {
 public:
  AudioCarrier();
  ~AudioCarrier();
  AudioCarrier(const AudioCarrier&) = delete;
  AudioCarrier& operator=(const AudioCarrier&) = delete;

  // Opens `path` and adds an output stream to `output` (whose header is not written yet) for each of
  // its audio streams. The stretch starts `start` seconds after the file's first video frame (its
  // first sound when it has no video) and lasts `duration` seconds. A file without audio adds
  // nothing; false with the reason when the file or an encoder cannot be used.
  bool open(const std::string& path, double start, double duration, AVFormatContext* output, std::string& error);
  // Writes the sound up to `seconds` of the movie, so that it interleaves with the pictures.
  bool writeUpTo(double seconds, std::string& error);
  // Writes the rest of the stretch and drains the encoders.
  bool finish(std::string& error);
  int streamCount() const;

 private:
  struct Track;
  bool readUpTo(double seconds, std::string& error);
  bool copyPacket(Track& track, std::string& error);
  bool decodePacket(Track& track, bool draining, std::string& error);
  bool encodeFrom(Track& track, bool last, std::string& error);
  bool sendToEncoder(Track& track, bool flush, std::string& error);

  std::string path_;
  AVFormatContext* input_ = nullptr;
  AVFormatContext* output_ = nullptr;
  std::vector<std::unique_ptr<Track>> tracks_;
  double base_ = 0;      // seconds of the file's timeline where host frame 0 lies
  double start_ = 0;     // the stretch in movie seconds after base_
  double duration_ = 0;
  bool ended_ = false;
  struct AVPacket* packet_ = nullptr;
  struct AVFrame* frame_ = nullptr;
};
