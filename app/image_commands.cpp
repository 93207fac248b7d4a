// "kestrelmove image": the image readers and writers from the command line.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

#include "app/command_guard.h"
#include "app/commands.h"
#include "app/image_png.h"
#include "image/image_buffer.h"
#include "image/image_readers.h"
#include "image/open_file.h"
#include "platform/ui_hooks.h"

namespace {

[[noreturn]] void leave(int code, const std::string& path, const std::string& message) {
  std::fprintf(stderr, "kestrelmove: %s: %s\n", path.c_str(), message.c_str());
  throw CLI::RuntimeError(code);
}

FileSpec specFor(const std::string& path) {
  if (path.size() >= sizeof(FileSpec::path)) leave(kExitBadInput, path, "path longer than 255 characters");
  FileSpec spec;
  spec.setPath(path);
  return spec;
}

struct ReadOutcome {
  ImageFormat format = ImageFormat::targa;
  int result = kReadFormatError;
};

// Reads a file with the reader its signature picks; exits when the file cannot be opened.
ReadOutcome readImage(const std::string& path, ImageBuffer& image) {
  OpenFile file;
  if (!file.open(specFor(path), "rb")) leave(kExitBadInput, path, "Can't open graphics file");
  uint8_t first[14] = {};
  const long count = file.read(first, sizeof first);
  ReadOutcome outcome;
  outcome.format = formatBySignature(first, count, file.spec().path);
  outcome.result = image.loadBySignature(file);
  return outcome;
}

std::string messageOf(int result) {
  const ReaderMessage m = readerMessage(result);
  return messageText(m.text.c_str(), m.code);
}

std::string lowerExtension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return ext;
}

void runInfo(const std::string& path) {
  ImageBuffer image;
  const ReadOutcome read = readImage(path, image);
  std::printf("file     %s\n", path.c_str());
  std::printf("reader   %s\n", formatName(read.format));
  std::printf("result   %d%s%s\n", read.result, read.result ? "  " : "", read.result ? messageOf(read.result).c_str() : "");
  if (read.result != kReadOk) leave(kExitBadInput, path, messageOf(read.result));
  std::printf("width    %d\n", image.width());
  std::printf("height   %d\n", image.height());
  std::printf("depth    %d\n", image.bitsPerPixel());
}

void runConvert(const std::string& input, const std::string& output) {
  const std::string ext = lowerExtension(output);
  if (ext != ".bmp" && ext != ".tga" && ext != ".png")
    leave(kExitBadInput, output, "the output must be a .bmp, .tga or .png file");
  ImageBuffer image;
  const ReadOutcome read = readImage(input, image);
  if (read.result != kReadOk) leave(kExitBadInput, input, messageOf(read.result));
  if (ext == ".png") {
    std::string error;
    if (!saveImageAsPng(image, output, error)) leave(kExitFailure, output, error);
  } else {
    OpenFile file;
    if (!file.open(specFor(output), "wb")) leave(kExitFailure, output, "Error opening graphics file");
    const bool written = image.write(file, ext == ".tga" ? 1 : 0);
    if (!file.close() || !written) leave(kExitFailure, output, "Error writing graphics file");
  }
  std::printf("%s: %s %d x %d, %d bits -> %s\n", input.c_str(), formatName(read.format), image.width(), image.height(),
              image.bitsPerPixel(), output.c_str());
}

}  // namespace

void addImageCommands(CLI::App& app) {
  CLI::App* image = app.add_subcommand("image", "Read and convert picture files with the system's own readers");
  image->require_subcommand(1);

  static std::string infoPath;
  CLI::App* info = image->add_subcommand(
      "info", "Show which reader takes a Photoshop, TIFF, BMP, Targa or JPEG file and what it reads");
  info->add_option("file", infoPath, "The picture file")->required();
  info->callback(guarded([] { runInfo(infoPath); }));

  static std::string input, output;
  CLI::App* convert = image->add_subcommand("convert", "Read any supported picture and write it as BMP, Targa or PNG");
  convert->add_option("input", input, "The picture file to read")->required();
  convert->add_option("output", output, "The file to write; its extension (.bmp, .tga, .png) picks the format")
      ->required();
  convert->callback(guarded([] { runConvert(input, output); }));
}
