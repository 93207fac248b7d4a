#pragma once
// The switches the user sets for every show, read from the settings once when the owner is made and
// changed afterwards by the editor's options: how fields are ordered, whether keys are added by
// themselves, where pictures are looked for and how their problems are reported.
#include <cstdint>

#include "platform/file_spec.h"

class SettingsFile;

struct ShowSwitches {
  // The field order of interlaced output: which field comes first, and which line parity is the top.
  uint8_t fieldSwap = 0;
  uint8_t flopTopField = 0;
  // 1: the editor does not wait for host frames in previews (the last frame fetched stays).
  uint8_t fastDisplay = 0;
  uint8_t autoAddKeys = 1;
  // Whether the JPEG library could be loaded (the picture dialogs offer JPEG files then).
  uint8_t jpegAvailable = 0;
  // 1: loaders report pictures they cannot read in message boxes; 0: a placeholder takes their place.
  uint8_t showPictureErrors = 0;
  // Where pictures are looked for when their stored path fails.
  FileSpec alternateImageFolder;
  char rootVolume[256] = {};
};
