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

namespace {

[[noreturn]] void leave(int code, const std::string& message) {
  std::fprintf(stderr, "kestrelmove: %s\n", message.c_str());
  throw CLI::RuntimeError(code);
}

void addJobOptions(CLI::App& command, RenderOptions& o) {
  command.add_option("show", o.show, "The show file (.kmv)")->required();
  command.add_option("-o,--output", o.output,
                     "A movie (.mp4, .mov, .mkv, .avi) or an image-sequence pattern such as frame%05d.png "
                     "(.png, .bmp, .tga)")
      ->required();
  command.add_option("-i,--input", o.input, "The host video: a movie, a still image or a colour #RRGGBB (default black)");
  command.add_option("--size", o.size, "Output size WIDTHxHEIGHT (default: the input movie's size, else 640x480)");
  command.add_option("--rate", o.rate, "Frame rate: 29.97, 25 or 24")
      ->check(CLI::IsMember({"29.97", "25", "24"}))
      ->capture_default_str();
  command.add_option("--frames", o.frames,
                     "Host frames FIRST-LAST, inclusive (default: the input movie's frames, else the show's length)");
  command.add_flag("--fields", o.fields, "Interlaced output: each frame woven from two rendered fields, top field first");
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
