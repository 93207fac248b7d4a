#pragma once
// The pictures of a show about to be rendered: where each one's file is, and whether it loads. A
// relative path is looked up in the show file's folder first, then in the current folder, then by its
// bare name in the "AltImageFolder" setting's folder, as the plug-in does. The host keeps the path it
// found in its parameter block, so that the plug-in opens the same file.
#include <string>
#include <vector>

#include "app/show_block.h"

struct PictureProblem {
  std::string path;    // as stored in the show
  std::string reason;  // the reader's message, or why no file was found
};

// Resolves every picture path of block.show (read from showPath) and loads each picture once with the
// system's readers. Returns the pictures that cannot be loaded, in slot order.
std::vector<PictureProblem> resolveShowPictures(ShowBlock& block, const std::string& showPath);

// One line naming every picture that cannot be loaded.
std::string describePictureProblems(const std::string& showPath, const std::vector<PictureProblem>& problems);
