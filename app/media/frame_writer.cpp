#include "app/media/frame_writer.h"

#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
}

#include "app/media/image_sequence_writer.h"
#include "app/media/movie_writer.h"
#include "app/media/output_path.h"

bool isMoviePath(const std::string& path) {
  const std::string ext = extensionOf(path);
  if (ext.empty() || ext == ".png" || ext == ".bmp" || ext == ".tga" || hasFrameField(path)) return false;
  // Any container FFmpeg writes video into (.mp4, .mov, .mkv, .ts, .webm, .mpg, ...); its picture
  // formats are written by our own sequence writer or refused.
  const AVOutputFormat* format = av_guess_format(nullptr, path.c_str(), nullptr);
  if (!format || format->video_codec == AV_CODEC_ID_NONE || (format->flags & AVFMT_NOFILE)) return false;
  const std::string name = format->name;
  return name != "image2" && name.find("_pipe") == std::string::npos;
}

namespace {

// A folder under an output's name is no output to replace; writing there fails with its own message.
bool exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// Refuses to replace what is already there unless the user said so.
bool checkNothingReplaced(const OutputSettings& settings, std::string& error) {
  if (settings.overwrite) return true;
  if (!hasFrameField(settings.path)) {
    if (!exists(settings.path)) return true;
    error = "'" + settings.path + "' exists; -y or --overwrite replaces it";
    return false;
  }
  for (int frame = settings.firstFrame; frame <= settings.lastFrame; ++frame) {
    const std::string name = sequenceFileName(settings.path, frame);
    if (!exists(name)) continue;
    error = "'" + name + "' exists (frame " + std::to_string(frame) + " of the sequence); -y or --overwrite replaces it";
    return false;
  }
  return true;
}

}  // namespace

bool checkOutput(const OutputSettings& settings, std::string& error) {
  if (settings.width < 1 || settings.height < 1 || settings.width > 8192 || settings.height > 8192) {
    error = "the output size must be 1 to 8192 pixels each way";
    return false;
  }
  const size_t slash = settings.path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : settings.path.substr(0, slash);
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    error = "cannot write '" + settings.path + "': the folder '" + folder + "' does not exist";
    return false;
  }
  if (::access(folder.c_str(), W_OK) != 0) {
    error = "cannot write '" + settings.path + "': the folder '" + folder + "' is not writable";
    return false;
  }
  if (isMoviePath(settings.path)) {
    if (!checkNothingReplaced(settings, error)) return false;
    if (settings.width % 2 == 0 && settings.height % 2 == 0) return true;
    error = "movie sizes must be even (asked for " + std::to_string(settings.width) + "x" +
            std::to_string(settings.height) + ")";
    return false;
  }
  if (hasFrameField(settings.path)) {
    if (!validSequencePattern(settings.path, error)) return false;
    const std::string ext = extensionOf(settings.path);
    if (ext == ".png" || ext == ".bmp" || ext == ".tga") return checkNothingReplaced(settings, error);
    error = "image sequences are written as .png, .bmp or .tga, not '" + (ext.empty() ? settings.path : ext) + "'";
    return false;
  }
  const std::string ext = extensionOf(settings.path);
  if (ext == ".png" || ext == ".bmp" || ext == ".tga")
    error = "'" + settings.path + "' is an image; an image sequence needs a frame-number field such as frame%05d" + ext;
  else
    error = "cannot tell what to write for '" + settings.path + "': use a movie name such as .mp4, .mov, .mkv, .ts or .webm, or a pattern such as frame%05d.png";
  return false;
}

std::unique_ptr<FrameWriter> openFrameWriter(const OutputSettings& settings, std::string& error) {
  if (!checkOutput(settings, error)) return nullptr;
  if (isMoviePath(settings.path)) return openMovieWriter(settings, error);
  return openImageSequenceWriter(settings, error);
}
