#pragma once
// The process-wide state of the window layer: the module instance, the icon of every window class, the
// five standard fonts, the work area and the product name, set up by platformInit.
#include "platform/screen/font.h"
#include "platform/screen/win_defs.h"

using FontHandle = ws::FontRef;

struct PlatformState {
  void* instance = nullptr;
  int iconId = 0;
  // Character heights 8, 10 and 12 normal, 13 bold and 20 normal.
  FontHandle fonts[5];
  int workRight = 0;
  int workBottom = 0;
  char productName[64] = {};
};

PlatformState& platformState();
// Deletes the state, for a library that is about to be unloaded (its memory would otherwise be
// reachable from nowhere); a later platformState() makes a fresh one.
void releasePlatformState();

// Stores the instance and icon, creates the fonts, reads the work area and the settings, empties the
// window list, and routes the core's messages, cursor and beep to this layer. Returns 1.
int platformInit(void* instance, const char* productName, int iconId);
// Deletes the fonts, writes the settings and gives the core's messages back to the console.
void platformExit();

// The standard font of a character height (8, 10, 12, 20; 13 is the bold one), or null.
FontHandle standardFont(int height);
