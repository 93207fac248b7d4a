// The show commands: dump a stored show as JSON, build one from JSON, and print the pictures' states
// at a frame. They read and write the stored bytes directly and never load the pictures, so they work
// on shows whose picture files are elsewhere.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>

#include "app/command_guard.h"
#include "app/commands.h"
#include "app/show_json.h"
#include "platform/safe_write.h"
#include "show/interpolation.h"
#include "show/show_file.h"
#include "show/stored_show.h"

namespace {

[[noreturn]] void leave(int code, const std::string& file, const std::string& message) {
  std::fprintf(stderr, "kestrelmove: %s: %s\n", file.c_str(), message.c_str());
  throw CLI::RuntimeError(code);
}

std::vector<uint8_t> readFile(const std::string& path, std::uintmax_t limit) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!readRegularFile(path, size_t(limit), bytes, error)) leave(kExitBadInput, path, error);
  return bytes;
}

// Writes through a temporary file beside the target, so that a failed write leaves no half file.
void writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string why;
  if (!writeFileSafely(path, bytes.data(), bytes.size(), why)) leave(kExitFailure, path, "could not be written: " + why);
}

// The same reading and the same check as render, movie, edit and the plug-in's own loading.
ShowFile readShow(const std::string& path) {
  ShowFile file;
  std::string error;
  if (!readShowFile(path, file, error)) leave(kExitBadInput, path, error);
  return file;
}

void printJson(const Json& json) {
  std::cout << json.dump(2) << '\n';
  std::cout.flush();
  if (!std::cout) throw CLI::RuntimeError(kExitFailure);
}

void runDump(const std::string& path) {
  const ShowFile file = readShow(path);
  Json json = storedShowToJson(file.show);
  if (!file.extraBytes.empty()) json["extraBytes"] = toHex(file.extraBytes.data(), file.extraBytes.size());
  printJson(json);
}

void runBuild(const std::string& input, const std::string& output) {
  const std::vector<uint8_t> text = readFile(input, 64 * kMaxShowFileSize);
  Json json;
  try {
    json = Json::parse(text.begin(), text.end());
  } catch (const Json::parse_error& e) {
    // The library's message names the line and column.
    std::string what = e.what();
    if (const auto at = what.find("] "); at != std::string::npos) what = what.substr(at + 2);
    leave(kExitBadInput, input, "not valid JSON: " + what);
  }
  StoredShow show;
  std::string error;
  if (!storedShowFromJson(json, show, error)) leave(kExitBadInput, input, error);
  std::vector<uint8_t> bytes = encodeStoredShow(show);

  // The bytes must read back as the show described; unusual hand-made data could say otherwise.
  StoredShow check;
  if (!parseStoredShow(bytes.data(), bytes.size(), check, error) || encodeStoredShow(check) != bytes)
    leave(kExitBadInput, input, "describes bytes that would not read back as the same show");

  if (const auto extra = json.find("extraBytes"); extra != json.end()) {
    std::vector<uint8_t> tail;
    if (!extra->is_string() || !fromHex(extra->get<std::string>(), tail))
      leave(kExitBadInput, input, "show.extraBytes: expected hex text");
    bytes.insert(bytes.end(), tail.begin(), tail.end());
  }
  writeFileAtomically(output, bytes);
}

void runState(const std::string& path, int frame, bool halfFrame) {
  const ShowFile file = readShow(path);
  Json json;
  json["frame"] = frame;
  json["halfFrame"] = halfFrame;
  json["pictures"] = Json::array();
  for (size_t i = 0; i < file.show.pictures.size(); ++i) {
    const StoredPicture& p = file.show.pictures[i];
    const KeyFrame state = trackStateAt(int(p.keys.size()), p.keys.data(), frame, halfFrame);
    Json pj;
    pj["index"] = i;
    // A path that is not UTF-8 is shown readable, its exact bytes beside it, as "show dump" does.
    const Json file = fileSpecToJson(p.file);
    pj["file"] = file["path"];
    if (file.contains("pathBytes")) pj["pathBytes"] = file["pathBytes"];
    addStateToJson(state, pj);
    json["pictures"].push_back(pj);
  }
  printJson(json);
}

}  // namespace

void addShowCommands(CLI::App& app) {
  CLI::App* show = app.add_subcommand("show", "Inspect and build stored shows (.kmv)");
  show->require_subcommand(1);

  auto dumpPath = std::make_shared<std::string>();
  CLI::App* dump = show->add_subcommand("dump", "Print a stored show as JSON, keeping every stored byte");
  dump->add_option("show", *dumpPath, "The show file (.kmv)")->required();
  dump->callback(guarded([dumpPath] { runDump(*dumpPath); }));

  auto buildInput = std::make_shared<std::string>();
  auto buildOutput = std::make_shared<std::string>();
  CLI::App* build = show->add_subcommand("build", "Write a stored show from JSON as 'show dump' prints it");
  build->add_option("json", *buildInput, "The show as JSON")->required();
  build->add_option("-o,--output", *buildOutput, "The show file to write (.kmv)")->required();
  build->callback(guarded([buildInput, buildOutput] { runBuild(*buildInput, *buildOutput); }));

  auto statePath = std::make_shared<std::string>();
  auto frame = std::make_shared<int>(0);
  auto halfFrame = std::make_shared<bool>(false);
  CLI::App* state = show->add_subcommand("state", "Print every picture's state at a frame as JSON");
  state->add_option("show", *statePath, "The show file (.kmv)")->required();
  state->add_option("--frame", *frame, "The frame number")->required();
  state->add_flag("--half-frame", *halfFrame, "Half a frame later (the second field of interlaced video)");
  state->callback(guarded([statePath, frame, halfFrame] { runState(*statePath, *frame, *halfFrame); }));
}
