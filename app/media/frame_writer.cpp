#include "app/media/frame_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include "app/media/image_sequence_writer.h"
#include "app/media/movie_writer.h"
#include "app/media/output_path.h"

bool isMoviePath(const std::string& path) {
  const std::string ext = extensionOf(path);
  return ext == ".mp4" || ext == ".mov" || ext == ".mkv" || ext == ".avi";
}

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
    if (settings.width % 2 == 0 && settings.height % 2 == 0) return true;
    error = "movie sizes must be even (asked for " + std::to_string(settings.width) + "x" +
            std::to_string(settings.height) + ")";
    return false;
  }
  if (hasFrameField(settings.path)) {
    if (!validSequencePattern(settings.path, error)) return false;
    const std::string ext = extensionOf(settings.path);
    if (ext == ".png" || ext == ".bmp" || ext == ".tga") return true;
    error = "image sequences are written as .png, .bmp or .tga, not '" + (ext.empty() ? settings.path : ext) + "'";
    return false;
  }
  const std::string ext = extensionOf(settings.path);
  if (ext == ".png" || ext == ".bmp" || ext == ".tga")
    error = "'" + settings.path + "' is an image; an image sequence needs a frame-number field such as frame%05d" + ext;
  else
    error = "cannot tell what to write for '" + settings.path + "': use .mp4, .mov, .mkv or .avi for a movie, or a pattern such as frame%05d.png";
  return false;
}

std::unique_ptr<FrameWriter> openFrameWriter(const OutputSettings& settings, std::string& error) {
  if (!checkOutput(settings, error)) return nullptr;
  if (isMoviePath(settings.path)) return openMovieWriter(settings, error);
  return openImageSequenceWriter(settings, error);
}
