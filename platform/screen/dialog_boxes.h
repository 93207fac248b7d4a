#pragma once
// The modal boxes the window system brings: message boxes, the one-value dialog and the open and save
// file dialogs. Each runs its own message loop until it is answered; a quit message ends it as if it
// had been cancelled and is posted again for the loop outside.
#include <string>
#include <utility>
#include <vector>

#include "platform/screen/win_defs.h"

namespace ws {

// MB_OK, MB_YESNO or MB_YESNOCANCEL with MB_ICON* and MB_TOPMOST; returns IDOK, IDYES, IDNO or IDCANCEL.
// Enter answers with the focused button (the first), Escape cancels where there is a Cancel (an OK box
// takes it as OK), Y and N answer Yes and No.
// With `unanswered`, tells whether the box ended only because input ran out (no one saw it).
int messageBox(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t type,
               bool* unanswered = nullptr);
// The message of an open message box (empty for other windows).
std::string dialogText(WindowHandle box);

// A title, two prompt lines and an edit field with OK (IDOK) and Cancel (IDCANCEL). The field's text is
// in `value` afterwards whichever button closed the dialog.
struct ValueRequest {
  std::string title, prompt, secondPrompt, value;
  size_t maxLength = 79;
};
int valueDialog(WindowHandle owner, ValueRequest& request);

struct FileFilter {
  std::string description;
  std::string patterns;  // "*.kmv" or "*.bmp;*.tga"
};

struct FileRequest {
  bool save = false;
  bool multiple = false;
  bool mustExist = true;         // open: the chosen files must exist
  bool overwritePrompt = false;  // save: ask before replacing a file
  std::vector<FileFilter> filters;
  std::string folder;            // where browsing starts (empty: the current folder)
  std::string fileName;          // the name field's start text; may hold a folder part
  std::string defaultExtension;  // appended to a typed name without one ("kmv" or ".kmv")
  std::string title;
  // Results: the folder and the chosen names (one unless multiple).
  std::string chosenFolder;
  std::vector<std::string> chosenNames;
};
bool fileDialog(WindowHandle owner, FileRequest& request);

// Filters from "Description|pattern|Description|pattern|" text.
std::vector<FileFilter> parseFilters(const std::string& text);
// Whether a file name matches one of the ';'-separated wildcard patterns (case-insensitive).
bool matchesPatterns(const std::string& name, const std::string& patterns);

}  // namespace ws
