#pragma once
// The sound track a show names, found as its pictures are: a path as stored (Windows separators
// allowed), else relative to the show file's folder, else to the current folder.
#include <string>

#include "app/show_block.h"

// The readable sound-track file of the show in `block` (read from showPath), or empty when the show
// has none or it cannot be found.
std::string showSoundTrackPath(const std::string& showPath, const ShowBlock& block);
