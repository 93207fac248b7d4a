#include "frei0r/show_file_loading.h"

#include <filesystem>

#include "image/picture_check.h"
#include "image/picture_location.h"
#include "show/stored_show.h"

namespace fs = std::filesystem;

PictureTrouble resolvePicturePaths(StoredShow& show, const std::string& showPath, const std::string& alternateFolder) {
  PictureTrouble trouble;
  const std::string showFolder = fs::path(showPath).parent_path().string();
  for (StoredPicture& picture : show.pictures) {
    const std::string stored = picture.file.pathText();
    // The plug-in takes no picture from a path this short.
    const std::string found = stored.size() < 3 ? "" : locatePicture(stored, showFolder, alternateFolder);
    if (found.empty()) {
      trouble.missing.push_back(stored);
      continue;
    }
    if (found != stored && found.size() < sizeof picture.file.path) picture.file.setPath(found);
    // A file that is there but that no reader takes is named with the reader's reason.
    const std::string problem = pictureLoadProblem(found);
    if (!problem.empty()) trouble.unreadable.push_back("'" + stored + "' (" + problem + ")");
  }
  return trouble;
}
