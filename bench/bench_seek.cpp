// Random access into movies, as the editor and the chunked renders ask for frames: the time to open
// the movie, then per request the time and the frames decoded, for frames chosen at random, a jump to
// the last frame, the editor's five clicks on the timeline, a scrub drag (the cursor moved forward a
// few frames at a time) and playback (five seconds frame after frame from the middle). Frames come
// at the stage's size unless --size says otherwise. A movie's index is read on opening, as the editor
// has it read, and counts in the time to open.
//
// Usage: bench_seek [--random N] [--only random,end,clicks,drag,play] [--size WxH] [--threads N] movie...
// Built from an older tree too (to compare builds): the frames decoded are then not known ("-").
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/media/video_source.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

template <typename Source>
long long decodedBy(const Source& source) {
  if constexpr (requires { source.framesDecoded(); })
    return static_cast<long long>(source.framesDecoded());
  else
    return -1;
}

// As the editor does on opening: a movie's index is read now, not at the first jump.
template <typename Source>
bool readIndex(Source& source, std::string& error) {
  if constexpr (requires { source.expectJumps(error); })
    return source.expectJumps(error);
  else
    return true;
}

struct Requests {
  const char* name;
  std::vector<int> frames;
};

// Asks for each frame in turn on a freshly opened source; prints the mean and worst time per request
// and the frames decoded per request.
bool measure(const std::string& movie, const Requests& requests, int width, int height, int threads) {
  std::string error;
  const Clock::time_point opening = Clock::now();
  auto source = openMovieSource(movie, error);
  if (!source) {
    std::fprintf(stderr, "bench_seek: %s\n", error.c_str());
    return false;
  }
  if (width > 0) source->setOutputSize(width, height);
  source->setDecodeThreads(threads);
  if (!readIndex(*source, error)) {
    std::fprintf(stderr, "bench_seek: %s\n", error.c_str());
    return false;
  }
  const double open = secondsSince(opening);
  // The editor shows frame 0 on opening: requests are measured from there.
  if (!source->frame(0, error)) {
    std::fprintf(stderr, "bench_seek: %s\n", error.c_str());
    return false;
  }
  double total = 0, worst = 0;
  const long long before = decodedBy(*source);
  for (const int n : requests.frames) {
    const Clock::time_point start = Clock::now();
    if (!source->frame(n, error)) {
      std::fprintf(stderr, "bench_seek: frame %d: %s\n", n, error.c_str());
      return false;
    }
    const double took = secondsSince(start);
    total += took;
    worst = std::max(worst, took);
  }
  const double count = double(requests.frames.size());
  const long long decoded = decodedBy(*source);
  std::printf("%-28s %-7s %5zu requests  open %6.3f s  total %7.3f s  mean %6.3f s  worst %6.3f s  ",
              movie.substr(movie.find_last_of('/') + 1).c_str(), requests.name, requests.frames.size(), open,
              total, total / count, worst);
  if (decoded >= 0)
    std::printf("decoded/request %7.1f\n", double(decoded - before) / count);
  else
    std::printf("decoded/request       -\n");
  std::fflush(stdout);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Random access into movies: time and frames decoded per request"};
  std::vector<std::string> movies;
  int randomRequests = 10, threads = 1;
  std::string size = "640x480";
  std::vector<std::string> only;
  app.add_option("movies", movies, "Movies to read")->required();
  app.add_option("--random", randomRequests, "Frames asked for at random per movie");
  app.add_option("--size", size, "Size of the frames asked for, WIDTHxHEIGHT, or 'natural'");
  app.add_option("--threads", threads, "Decoder threads");
  app.add_option("--only", only, "Only these kinds of requests: random, end, clicks, drag, play")->delimiter(',');
  CLI11_PARSE(app, argc, argv);
  int width = 0, height = 0;
  if (size != "natural" && std::sscanf(size.c_str(), "%dx%d", &width, &height) != 2) {
    std::fprintf(stderr, "bench_seek: size '%s' is not WIDTHxHEIGHT\n", size.c_str());
    return 2;
  }
  for (const std::string& movie : movies) {
    std::string error;
    auto probe = openMovieSource(movie, error);
    if (!probe || probe->frameCount() <= 0) {
      std::fprintf(stderr, "bench_seek: %s: %s\n", movie.c_str(), probe ? "no frame count" : error.c_str());
      return 1;
    }
    const int last = probe->frameCount() - 1;
    probe.reset();
    std::mt19937 random(23);
    Requests atRandom{"random", {}};
    for (int i = 0; i < randomRequests; ++i) atRandom.frames.push_back(std::uniform_int_distribution<int>(0, last)(random));
    Requests end{"end", {last}};
    Requests clicks{"clicks", {148, 48, 248, 123, 23}};
    // A drag over two seconds of the timeline from the middle, 6 frames per step.
    Requests drag{"drag", {}};
    for (int n = last / 2; n < std::min(last, last / 2 + 60); n += 6) drag.frames.push_back(n);
    Requests play{"play", {}};
    for (int n = last / 2; n < std::min(last, last / 2 + 150); ++n) play.frames.push_back(n);
    for (const Requests* r : {&atRandom, &end, &clicks, &drag, &play}) {
      if (!only.empty() && std::find(only.begin(), only.end(), r->name) == only.end()) continue;
      if (!measure(movie, *r, width, height, threads)) return 1;
    }
  }
  return 0;
}
