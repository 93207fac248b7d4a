#pragma once
// How the editor names files to the user and remembers where they were: the bare name of a path for
// titles and the status strip, the folder part for the "InitialFolder" setting, and the filter of the
// picture dialogs. Folder separators are "\", ":" and "/", so that shows saved on Windows read alike.
#include <string>

#include "platform/file_spec.h"  // folderPart

// The part behind the last separator, cut at its first ".".
std::string bareName(const std::string& path);
// The open dialog's filter for pictures; the JPEG entries only when JPEG files can be read.
std::string pictureFilter(bool jpegAvailable);

constexpr const char* kShowFilter = "Kestrelmove Files (*.kmv)|*.kmv|All Files (*.*)|*.*|";
