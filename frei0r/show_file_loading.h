#pragma once
// Reading a show file for the filter: the stored show checked whole before anything changes, and its
// picture paths resolved as the host program resolves them for a render.
#include <string>
#include <vector>

struct StoredShow;

// Reads and parses the show file at `path`. On failure returns false with a one-line reason.
bool readShowFile(const std::string& path, StoredShow& out, std::string& error);

// Points every relative picture path that names a file in the show file's folder at that file (else
// the path stays as stored, for the current folder and the alternate image folder, where the picture
// loader looks by the bare name).
struct PictureTrouble {
  std::vector<std::string> missing;     // stored paths of the pictures found in none of the folders
  std::vector<std::string> unreadable;  // "'stored path' (reason)" of files found that no reader takes
};
PictureTrouble resolvePicturePaths(StoredShow& show, const std::string& showPath, const std::string& alternateFolder);
