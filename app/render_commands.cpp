// The host program's commands: render, movie, info and demo. Each drives the plug-in through its
// entry points as a host application would.
#include <cstdio>
#include <filesystem>
#include <thread>

#include "app/command_guard.h"
#include "app/commands.h"
#include "app/contact_sheet.h"
#include "app/demo_show.h"
#include "app/pipl_text.h"
#include "app/plugin_library.h"
#include "app/render_job.h"
#include "app/render_limits.h"

namespace {

[[noreturn]] void leave(int code, const std::string& message) {
  std::fprintf(stderr, "kestrelmove: %s\n", message.c_str());
  throw CLI::RuntimeError(code);
}

// The stage, the sound, the encoder and what a run may replace or report.
void addMovieOptions(CLI::App& command, RenderOptions& o) {
  command.add_option("--aspect", o.aspect,
                     "Stage for this run: 4:3 or 16:9 (default: 16:9 when the output's display aspect is wider "
                     "than 1.5)")
      ->check(CLI::IsMember({"4:3", "16:9"}));
  command.add_flag("--no-audio", o.noAudio, "Leave the input's sound (or the show's sound track) out of the movie");
  command.add_option("--audio", o.audio, "A sound file for the movie (instead of the input's or the show's)");
  command.add_option("--codec", o.encoder.codec, "Video encoder, as FFmpeg names it (default libx264, else mpeg4)");
  // FFmpeg's spelling "-c:v NAME" reads here as the short option c with the value ":v" and then the name.
  command
      .add_option_function<std::vector<std::string>>(
          "-c",
          [&o](const std::vector<std::string>& values) {
            if (values.size() != 2 || (values[0] != ":v" && values[0] != "v"))
              throw CLI::ValidationError("-c:v", "is written -c:v CODEC");
            o.encoder.codec = values[1];
          },
          "-c:v CODEC: the same as --codec")
      ->expected(2);
  command.add_option("--crf", o.encoder.crf, "Constant rate factor of the encoder (default 18 for H.264 and H.265)")
      ->check(CLI::Range(0, 63));
  command.add_option("--preset", o.encoder.preset, "Encoder preset (default fast for H.264 and H.265)");
  command.add_option("--pix-fmt", o.encoder.pixelFormat,
                     "Pixel format such as yuv420p or yuv422p10le (default yuv420p; a 10-bit input keeps its own)");
  command.add_flag("-y,--overwrite", o.overwrite, "Replace an existing output (for a sequence: its existing frames)");
  command.add_flag("--progress", o.progressLines,
                   "One line per finished frame on standard error: frame=N done=K total=T fps=F");
}

void addJobOptions(CLI::App& command, RenderOptions& o) {
  command.add_option("show", o.show, "The show file (.kmv)")->required();
  command.add_option("-o,--output", o.output,
                     "A movie (.mp4, .mov, .mkv, .avi, .ts, .webm, ...) or an image-sequence pattern such as "
                     "frame%05d.png (.png, .bmp, .tga)")
      ->required();
  command.add_option("-i,--input", o.input,
                     "The host video: a movie (recognised by its content), a still image or a colour #RRGGBB "
                     "(default black)");
  command.add_option("--size", o.size, "Output size WIDTHxHEIGHT (default: the input movie's size, else 640x480)");
  command.add_option("--rate", o.rate,
                     "Frame rate, a decimal or a fraction such as 25, 29.97 or 30000/1001 (default: the input "
                     "movie's, else 29.97)");
  command.add_option("--frames", o.frames,
                     "Host frames FIRST-LAST, inclusive (default: the input movie's frames, else the show's length)");
  command.add_flag("--fields", o.fields, "Interlaced output: each frame woven from two rendered fields, top field first");
  addMovieOptions(command, o);
  addRenderLimitOptions(command, o);
  command.add_flag("--allow-missing", o.allowMissing,
                   "Render pictures that cannot be loaded as the placeholder picture instead of failing");
}

void printSummary(const RenderSummary& s, const std::string& output) {
  std::printf("%d frames written to %s in %.2f s (%.1f frames per second)\n", s.frames, output.c_str(), s.seconds,
              s.seconds > 0 ? s.frames / s.seconds : 0.0);
}

void runJobCommand(const RenderOptions& options, bool throughMovieLibrary) {
  RenderJob job;
  std::string error;
  if (!prepareRender(options, job, error)) leave(kExitBadInput, error);
  RenderSummary summary;
  const bool ok = throughMovieLibrary ? runMovie(job, defaultPluginPath(), summary, error)
                                      : runRender(job, defaultPluginPath(), summary, error);
  if (!ok) leave(kExitFailure, error);
  printSummary(summary, options.output);
}

void runInfo() {
  std::string error;
  auto plugin = PluginLibrary::open(defaultPluginPath(), error);
  if (!plugin) leave(kExitFailure, error);
  PluginIdentity id{};
  plugin->express(&id);
  std::printf("plug-in          %s\n", plugin->path().c_str());
  std::printf("movie library    %s\n", plugin->movieLibraryPath().c_str());
  std::printf("identity (vfExpress)\n");
  std::printf("  interface      0x%x\n", unsigned(id.interfaceVersion));
  std::printf("  short name     %.16s\n", id.shortName);
  std::printf("  name           %.64s\n", id.name);
  std::printf("  menu name      %.64s\n", id.menuName);
  std::printf("  group          %.64s\n", id.groupName);
  std::printf("  group menu     %.64s\n", id.groupMenuName);
  std::printf("  parameters     %d bytes\n", id.parameterSize);
  std::printf("  at 280, 284    %d, %d\n", id.hostField280, id.hostField284);
  if (!plugin->pipl) return;
  size_t size = 0;
  const uint8_t* bytes = plugin->pipl(&size);
  PiplContents pipl;
  if (!decodePipl(bytes, size, pipl, error)) leave(kExitFailure, "PiPL: " + error);
  std::printf("PiPL 16000: %zu bytes, version %u, %zu properties\n", size, pipl.version, pipl.properties.size());
  for (const PiplProperty& p : pipl.properties)
    std::printf("  %s %s  %s\n", p.vendor.c_str(), p.key.c_str(), describePiplData(p).c_str());
}

void runDemo(const std::string& folder, int threads) {
  RenderJob job;
  std::string error;
  if (!buildDemoShow(folder, job.block, error)) leave(kExitBadInput, error);
  constexpr int kWidth = 640, kHeight = 480;
  job.source = makeGradientSource(kWidth, kHeight);
  job.output.path = (std::filesystem::path(folder) / "demo.mp4").string();
  job.output.width = kWidth;
  job.output.height = kHeight;
  job.firstFrame = 0;
  job.lastFrame = kDemoFrames - 1;
  job.threads = threads;
  job.output.threads = threads;
  // The demo's folder is its own: a second run renders it again.
  job.output.overwrite = true;
  job.stageAspect = stageAspectFor(kWidth, kHeight, 0, 1);
  ContactSheet sheet(kWidth / 4, kHeight / 4, 5);
  job.onFrame = [&](int frame, const HostFrame& out) {
    if (frame % 30 == 0) sheet.add(out);
  };
  RenderSummary summary;
  if (!runRender(job, defaultPluginPath(), summary, error)) leave(kExitFailure, error);
  const std::string sheetPath = (std::filesystem::path(folder) / "contact-sheet.png").string();
  if (!writePng(sheetPath, sheet.compose(), error)) leave(kExitFailure, "cannot write '" + sheetPath + "': " + error);
  printSummary(summary, job.output.path);
  std::printf("contact sheet of every 30th frame: %s\n", sheetPath.c_str());
  std::printf("the show: %s\n", (std::filesystem::path(folder) / "demo.kmv").string().c_str());
}

}  // namespace

void addRenderCommands(CLI::App& app) {
  static RenderOptions renderOptions, movieOptions;
  CLI::App* render = app.add_subcommand("render", "Render a show over host video into a movie or an image sequence");
  addJobOptions(*render, renderOptions);
  render->add_option("--threads", renderOptions.threads, "Frames rendered at once, each by its own copy of the plug-in")
      ->check(CLI::Range(1, 64))
      ->capture_default_str();
  render->callback(guarded([] { runJobCommand(renderOptions, false); }));

  CLI::App* movie = app.add_subcommand("movie", "The same job through the plug-in's movie making and the movie library");
  addJobOptions(*movie, movieOptions);
  movie->callback(guarded([] { runJobCommand(movieOptions, true); }));

  CLI::App* info = app.add_subcommand("info", "Show the plug-in's identity, its PiPL and where the libraries are");
  info->callback(guarded([] { runInfo(); }));

  static std::string demoFolder = "demo-output";
  static int demoThreads = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
  CLI::App* demo = app.add_subcommand("demo", "Render the built-in demo show to DIR/demo.mp4 and DIR/contact-sheet.png");
  demo->add_option("-o,--output", demoFolder, "Folder for the demo's pictures, show, movie and contact sheet")
      ->capture_default_str();
  demo->add_option("--threads", demoThreads, "Frames rendered at once")->check(CLI::Range(1, 64))->capture_default_str();
  demo->callback(guarded([] { runDemo(demoFolder, demoThreads); }));
}
