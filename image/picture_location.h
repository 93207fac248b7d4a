#pragma once
// Where a show's picture file is, looked for as the plug-in looks for it: beside the show file (for a
// relative path), then as stored (the current folder for a relative path), then by its bare name in
// the alternate image folder (the "AltImageFolder" setting). The host program, the filter and the
// plug-in's loader share this order.
#include <string>

// The first of those places that holds a regular file, or empty. showFolder and alternateFolder may
// be empty (not looked in).
std::string locatePicture(const std::string& stored, const std::string& showFolder, const std::string& alternateFolder);
