// Renders the benchmark scene's 60-frame motion to memory and prints frames per second; with
// --ffmpeg-dir it also writes the scene's pictures as raw BGRA files and the FFmpeg filter graph
// that draws the same pictures along the same straight paths (compare_ffmpeg.sh runs both).
#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_scene.h"
#include "image/image_buffer.h"
#include "render/render_show.h"
#include "render/show_render_options.h"

namespace {

// One ordinary picture's chain: the still picture repeated, scaled, turned, faded and laid over the
// frame so far. FFmpeg's expressions use t in seconds at 30 frames per second.
std::string pictureChain(const ScenePicture& p, int input, int index, double kx, double ky, const std::string& below,
                         const std::string& above) {
  const double span = (kSceneFrames - 1) / 30.0;
  auto lerp = [span](double a, double b, double scale) {
    std::ostringstream s;
    s << "(" << a * scale << "+(" << (b - a) * scale << ")*min(t/" << span << "\\,1))";
    return s.str();
  };
  std::ostringstream g;
  g << "[" << input << ":v]loop=loop=-1:size=1:start=0,setpts=N/30/TB,"
    << "scale=w='" << lerp(p.w0, p.w1, kx) << "':h='" << lerp(p.h0, p.h1, ky) << "':eval=frame,"
    << "rotate=a='" << lerp(p.r0, p.r1, 0.0174532) << "':ow='hypot(iw\\,ih)':oh='hypot(iw\\,ih)':c=none,"
    << "colorchannelmixer=aa=" << (100 - p.amount) / 100.0 << "[p" << index << "];"
    << "[" << below << "][p" << index << "]overlay=x='" << lerp(p.x0, p.x1, kx) << "-w/2':y='"
    << lerp(p.y0, p.y1, ky) << "-h/2':format=rgb:eof_action=pass[" << above << "]";
  return g.str();
}

bool writeFfmpegFiles(const BenchScene& scene, const std::string& dir, int width, int height) {
  const double kx = width / 640.0, ky = height / 480.0;
  std::ostringstream graph;
  // The background picture, scaled to the output as the renderer does: nearest neighbour.
  const std::string groundFile = dir + "/background.bgra";
  const std::vector<uint8_t> ground = BenchScene::backgroundBytes();
  std::ofstream groundOut(groundFile, std::ios::binary);
  groundOut.write(reinterpret_cast<const char*>(ground.data()), std::streamsize(ground.size()));
  if (!groundOut) {
    std::fprintf(stderr, "bench_render_frames: cannot write %s\n", groundFile.c_str());
    return false;
  }
  graph << "[0:v]loop=loop=-1:size=1:start=0,setpts=N/30/TB,scale=" << width << ":" << height
        << ":flags=neighbor,format=bgra[v];";
  std::string below = "v";
  int input = 1, index = 0;
  for (const ScenePicture& p : scene.pictures()) {
    if (p.brushCode >= 1000) continue;
    const std::string file = dir + "/picture" + std::to_string(index) + ".bgra";
    const std::vector<uint8_t> bytes = BenchScene::pictureBytes(p.image);
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "bench_render_frames: cannot write %s\n", file.c_str());
      return false;
    }
    const std::string above = "v" + std::to_string(index);
    if (index) graph << ";";
    graph << pictureChain(p, input, index, kx, ky, below, above);
    below = above;
    ++input;
    ++index;
  }
  const std::string graphFile = dir + "/graph.txt";
  std::ofstream g(graphFile);
  g << graph.str() << ";[" << below << "]format=bgra[out]\n";
  if (!g) {
    std::fprintf(stderr, "bench_render_frames: cannot write %s\n", graphFile.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Renders the renderer benchmark scene to memory and prints frames per second."};
  int width = 720, height = 480, frames = kSceneFrames, threads = 1, repeat = 3;
  bool noBrushes = false;
  std::string ffmpegDir, frameFile;
  int frameToWrite = 30;
  int bandThreads = 1;
  app.add_option("--width", width, "output width in pixels")->check(CLI::Range(1, ImageBuffer::kMaxSide));
  app.add_option("--height", height, "output height in pixels")->check(CLI::Range(1, ImageBuffer::kMaxSide));
  app.add_option("--frames", frames, "frames to render (the motion repeats every 60)")->check(CLI::PositiveNumber);
  app.add_option("--threads", threads, "threads, each rendering whole frames")->check(CLI::Range(1, 256));
  app.add_option("--repeat", repeat, "runs; the fastest is reported")->check(CLI::Range(1, 100));
  app.add_option("--band-threads", bandThreads, "threads drawing bands of each frame (with --threads 1)")
      ->check(CLI::Range(1, 256));
  app.add_flag("--no-brushes", noBrushes, "leave the six brushes out (the part FFmpeg can also draw)");
  app.add_option("--ffmpeg-dir", ffmpegDir, "write the pictures and the FFmpeg filter graph into this folder");
  app.add_option("--write-frame", frameFile, "also write one frame of the scene as a BMP file, to look at");
  app.add_option("--frame", frameToWrite, "the frame --write-frame writes")->check(CLI::Range(0, kSceneFrames - 1));
  CLI11_PARSE(app, argc, argv);

  const BenchScene scene(!noBrushes);
  if (!ffmpegDir.empty() && !writeFfmpegFiles(scene, ffmpegDir, width, height)) return 1;

  if (!frameFile.empty()) {
    ImageBuffer frame(width, height, 32), background;
    renderShow(scene.show(), renderOptionsOf(scene.show()), frameToWrite, 0, 0, frame, nullptr, background);
    FileSpec file;
    file.setPath(frameFile);
    if (!frame.saveWithMessages(file, 0)) return 1;
  }

  std::vector<ImageBuffer> outputs(static_cast<size_t>(threads), ImageBuffer(width, height, 32));
  std::vector<ImageBuffer> backgrounds(static_cast<size_t>(threads));
  double best = 1e300;
  for (int run = 0; run < repeat; ++run) {
    const auto start = std::chrono::steady_clock::now();
    if (bandThreads > 1) {
      FrameRenderer renderer(bandThreads);
      for (int f = 0; f < frames; ++f)
        renderer.render(scene.show(), renderOptionsOf(scene.show()), f % kSceneFrames, 0, 0, outputs[0], nullptr,
                        backgrounds[0]);
    }
    if (bandThreads == 1 && threads == 1) {
      // One renderer for the whole run, as a long render on one thread has (it keeps the scaled
      // background from frame to frame).
      std::vector<RenderJob> jobs;
      for (int f = 0; f < frames; ++f) jobs.push_back({f % kSceneFrames, 0, 0, &outputs[0], nullptr, &backgrounds[0]});
      renderFrames(scene.show(), renderOptionsOf(scene.show()), jobs, 1);
    }
    for (int first = 0; bandThreads == 1 && threads > 1 && first < frames; first += threads) {
      std::vector<RenderJob> jobs;
      for (int t = 0; t < threads && first + t < frames; ++t)
        jobs.push_back({(first + t) % kSceneFrames, 0, 0, &outputs[size_t(t)], nullptr, &backgrounds[size_t(t)]});
      renderFrames(scene.show(), renderOptionsOf(scene.show()), jobs, threads);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (seconds < best) best = seconds;
  }
  if (bandThreads > 1) std::printf("band threads %d, ", bandThreads);
  std::printf("frames %d size %dx%d threads %d brushes %s seconds %.4f fps %.2f\n", frames, width, height, threads,
              noBrushes ? "no" : "yes", best, frames / best);
  return 0;
}
