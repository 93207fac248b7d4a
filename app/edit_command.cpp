// kestrelmove edit: the host program as a host that edits. The show file's bytes go into the host's
// 64000-byte parameter block, the plug-in's edit action runs its editor (a real window when there is
// a display), the host answers the editor's frame requests with 640 x 480 frames of its input, and on
// apply the block is written back into the show file.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/command_guard.h"
#include "app/commands.h"
#include "app/media/frame_cache.h"
#include "app/media/frame_rate.h"
#include "app/media/output_path.h"
#include "app/media/video_source.h"
#include "app/plugin_library.h"
#include "app/render_job.h"
#include "app/show_block.h"
#include "platform/safe_write.h"

namespace {

namespace fs = std::filesystem;

constexpr int kEditWidth = 640, kEditHeight = 480;
constexpr int kDefaultLength = 300;
// The host's frame record: its own header, then the packed pixels this far past its start.
constexpr size_t kPixelOffset = 37;
// Frames recently shown, so that stepping back over them or playing a loop again decodes nothing.
constexpr size_t kCachedFrames = 64;

struct EditOptions {
  std::string show;
  std::string input;
  int length = 0;
  std::string rate = "29.97";
  std::string script;
  std::string screen;
};

[[noreturn]] void leave(int code, const std::string& message) {
  std::fprintf(stderr, "kestrelmove: %s\n", message.c_str());
  throw CLI::RuntimeError(code);
}

// What FrameFetch answers from: the input, and the one frame record handed out at a time.
struct EditHost {
  VideoSource* source = nullptr;
  std::vector<uint8_t> record = std::vector<uint8_t>(kPixelOffset + size_t(kEditWidth) * kEditHeight * 3, 0);
  FrameCache shown{kCachedFrames * kEditWidth * kEditHeight * 3};
};

// The source frame scaled (nearest pixel) into the record's 640 x 480 packed rows; both run bottom-up.
void fillRecord(const HostFrame& from, std::vector<uint8_t>& record) {
  uint8_t* out = record.data() + kPixelOffset;
  const int b = from.bytesPerPixel();
  for (int y = 0; y < kEditHeight; ++y) {
    const uint8_t* row = from.row(int(int64_t(y) * from.height() / kEditHeight));
    for (int x = 0; x < kEditWidth; ++x, out += 3)
      std::memcpy(out, row + size_t(int64_t(x) * from.width() / kEditWidth) * size_t(b), 3);
  }
}

int32_t fetchFrame(int32_t, int32_t frame, FrameHeader** header, intptr_t user) {
  auto* host = reinterpret_cast<EditHost*>(user);
  if (!header || !host) return 0;
  std::vector<uint8_t>& record = host->record;
  std::fill(record.begin() + kPixelOffset, record.end(), 0);
  if (host->source) {
    std::string error;
    const HostFrame* source = host->source->framesStay() ? nullptr : host->shown.find(frame);
    if (!source) {
      source = host->source->frame(frame, error);
      if (!source || source->empty() || source->bytesPerPixel() < 3) return 0;
      if (!host->source->framesStay()) source = &host->shown.keep(frame, *source);
    }
    fillRecord(*source, record);
  }
  // The head of the record says what follows; the plug-in only reads the pixels.
  const int32_t width = kEditWidth, height = kEditHeight;
  const uint16_t bits = 24;
  std::memcpy(record.data() + 4, &width, 4);
  std::memcpy(record.data() + 8, &height, 4);
  std::memcpy(record.data() + 14, &bits, 2);
  *header = reinterpret_cast<FrameHeader*>(record.data());
  return 1;
}

// The block as the show file's bytes: the stored show's own length, at offset 4 in its byte order.
std::vector<uint8_t> storedBytes(const ShowBlock& block) {
  const uint8_t* p = block.bytes.data();
  uint32_t length = 0;
  std::memcpy(&length, p + 4, 4);
  if (p[0] == 0x12 && p[1] == 0x34) length = __builtin_bswap32(length);
  length = std::min<uint32_t>(length, KM_PARAMETER_BLOCK_SIZE);
  return std::vector<uint8_t>(p, p + length);
}

// Written beside the show under a temporary name, synced and renamed, so the show file is never half
// written.
bool writeShowFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  std::string why;
  if (writeFileSafely(path, bytes.data(), bytes.size(), why)) return true;
  error = "cannot replace '" + path + "': " + why;
  return false;
}

void runEdit(const EditOptions& o) {
  ShowBlock block;
  std::string error;
  const bool exists = fs::exists(o.show);
  // A show file that does not exist yet is a new show, created on apply.
  if (exists && !readShowBlock(o.show, block, error)) leave(kExitBadInput, error);

  std::unique_ptr<VideoSource> source;
  if (!o.input.empty()) {
    if (!(source = openVideoSource(o.input, error)) || !source->expectJumps(error)) leave(kExitBadInput, error);
    source->setOutputSize(kEditWidth, kEditHeight);
    // A jump decodes from the keyframe before the frame: two threads take it in about two thirds of
    // the time (the frames are the same with any number).
    source->setDecodeThreads(2);
  }
  FrameRate rate;
  if (!parseFrameRate(o.rate, rate)) leave(kExitBadInput, "rate '" + o.rate + "' is not a positive frame rate");
  const int rateCode = rateCodeNearest(rate);
  int length = o.length;
  if (length <= 0) length = source && source->frameCount() > 0 ? source->frameCount() : kDefaultLength;
  if (!o.screen.empty()) {
    int w = 0, h = 0;
    if (!parseSize(o.screen, w, h) || w < 320 || h < 200)
      leave(kExitBadInput, "screen '" + o.screen + "' is not of the form WIDTHxHEIGHT (at least 320x200)");
    setenv("KESTRELMOVE_SCREEN_SIZE", o.screen.c_str(), 1);
  }
  if (!o.script.empty()) {
    // A named pipe is read as the commands run (scripts/soak-editor chooses each from the read-outs).
    if (!fs::is_regular_file(o.script) && !fs::is_fifo(o.script)) leave(kExitBadInput, "cannot read the script '" + o.script + "'");
    setenv("KESTRELMOVE_SCRIPT", o.script.c_str(), 1);
  } else {
    unsetenv("KESTRELMOVE_SCRIPT");
  }

  // Pictures with relative paths are looked for beside the show file first, as a render does.
  std::error_code folderError;
  const fs::path showFolder = fs::absolute(fs::path(o.show), folderError).parent_path();
  if (!folderError) setenv("KESTRELMOVE_SHOW_FOLDER", showFolder.c_str(), 1);
  else unsetenv("KESTRELMOVE_SHOW_FOLDER");

  auto plugin = PluginLibrary::open(defaultPluginPath(), error);
  if (!plugin) leave(kExitFailure, error);
  PluginIdentity identity{};
  plugin->express(&identity);

  EditHost host;
  host.source = source.get();
  HostParameters parameters{};
  parameters.parameterBlock = block.data();
  HostProject project{};
  project.parameters = &parameters;
  ActionRecord record{};
  record.action = KM_ACTION_EDIT;
  record.frameRateCode = rateCode;
  record.length = length;
  record.project = &project;
  record.frameFetch = fetchFrame;
  record.fetchUserValue = reinterpret_cast<intptr_t>(&host);
  const int32_t applied = plugin->action(0, &record);

  KmEditScriptStatus script{};
  if (plugin->editScriptStatus) plugin->editScriptStatus(&script);
  if (script.outcome == KM_SCRIPT_FAILED) leave(kExitBadInput, script.message);
  if (script.outcome == KM_SCRIPT_ENDED_OPEN)
    leave(kExitScriptEndedOpen, "the script ended with the editor open; nothing applied");
  if (script.outcome == KM_SCRIPT_DONE && script.remaining > 0)
    std::fprintf(stderr, "kestrelmove: the editor closed at line %d of the script; %d later commands did not run\n",
                 script.line, script.remaining);

  if (applied != 1) {
    std::printf("discarded: %s unchanged\n", o.show.c_str());
    return;
  }
  // The plug-in answers "applied" only once it has stored the show into the block.
  const uint8_t* p = block.bytes.data();
  if (!((p[0] == 0x34 && p[1] == 0x12) || (p[0] == 0x12 && p[1] == 0x34)))
    leave(kExitFailure, "the plug-in answered \"applied\" but left no show in the block; " + o.show + " unchanged");
  if (!writeShowFile(o.show, storedBytes(block), error)) leave(kExitFailure, error + "; the edit is not saved");
  std::printf("applied: %s written\n", o.show.c_str());
}

}  // namespace

void addEditCommand(CLI::App& app) {
  auto options = std::make_shared<EditOptions>();
  CLI::App* edit = app.add_subcommand("edit", "Opens the editor on a show file, as a host's edit action does");
  edit->add_option("show", options->show, "The show file (.kmv); one that does not exist yet is created on apply")
      ->required();
  edit->add_option("-i,--input", options->input,
                   "The host video the editor shows: a movie, a still image or a colour #RRGGBB (default black)");
  edit->add_option("--length", options->length,
                   "Show length in frames (default: the input movie's frame count, else 300)")
      ->check(CLI::Range(1, 10000000));
  edit->add_option("--rate", options->rate, "Frame rate of the input, as a decimal or a fraction (the plug-in times keys at the nearest of 29.97, 25 and 24)")
      ->check(CLI::IsMember({"29.97", "25", "24"}))
      ->capture_default_str();
  edit->add_option("--script", options->script, "An input script to replay into the editor (see the README)");
  edit->add_option("--screen", options->screen, "The screen's size WIDTHxHEIGHT (default: the display's usable area)");
  edit->callback(guarded([options] { runEdit(*options); }));
}
