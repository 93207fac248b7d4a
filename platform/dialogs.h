#pragma once
// The ready-made interactions of the window layer: message boxes, the one-value dialog, the file-open
// and file-save dialogs on FileSpecs, and the mouse cursor kinds. showMessage, setCursor and beep of
// platform/ui_hooks.h reach the boxes and cursors below once platformInit has run.
#include <string>

#include "platform/file_spec.h"
#include "platform/screen/win_defs.h"

// An information box with the text and an empty caption; the code is appended as "  [ %ld ]" unless
// it is -9999. Returns the box's result.
int showMessageBox(const char* text, long code);
// 1 Yes, 0 No, -1 Cancel (Escape and closing the box cancel).
int askYesNoCancel(const char* text, const char* caption);
bool askYesNo(const char* text, const char* caption);
// value: a buffer of at least 80 bytes; the field's text (at most 79 characters) comes back into it
// whichever button closed the dialog. The dialog belongs to `owner` (0: to no window). Returns 1.
int askValue(ws::WindowHandle owner, char* value, const char* title, const char* prompt, const char* secondPrompt);

// "Description|pattern|..." becomes the NUL-separated list (ending in two NULs) the dialogs take.
std::string filterList(const char* filter);

// Single choice: result is one FileSpec. Multiple choice: result is an array with room for one FileSpec
// per chosen file plus an empty one that ends it (`capacity` entries).
bool chooseFileToOpen(ws::WindowHandle owner, FileSpec* result, const char* filter, const FileSpec* initialFolder,
                      bool multiple, size_t capacity = 1);
bool chooseFileToSave(ws::WindowHandle owner, FileSpec* result, const char* filter, const char* defaultExtension,
                      const FileSpec* initialFolder);

// Cursor kinds 1-11 are the system's shapes, 12 and 13 the program's cursors 106 and 135; 14 and any
// other kind leave no cursor shown. The previous kind is remembered.
void setCursorKind(int kind);
int currentCursorKind();
int previousCursorKind();
