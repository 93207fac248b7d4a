#pragma once
// The pictures of a show file loaded by the filter, resolved as the host program resolves them for a
// render (the file itself is read by show/show_file.h, with the checks every reader of shows makes).
#include <string>
#include <vector>

struct StoredShow;

// Points every picture path at the file found for it (image/picture_location.h).
struct PictureTrouble {
  std::vector<std::string> missing;     // stored paths of the pictures found in none of the folders
  std::vector<std::string> unreadable;  // "'stored path' (reason)" of files found that no reader takes
};
PictureTrouble resolvePicturePaths(StoredShow& show, const std::string& showPath, const std::string& alternateFolder);
