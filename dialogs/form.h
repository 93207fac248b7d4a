#pragma once
// Forms described by two parallel arrays of texts: one label per row, whose prefix chooses the kind
// of control ("@C" check box, "@R" radio, "@S" slider, "@L" colour, "@F" folder, none: a text field
// edited in place), and one value per row in which the control keeps its state as text. A form is a
// panel drawn straight onto an existing window while its own message loop runs.
#include <string>

#include "platform/file_spec.h"
#include "platform/screen/win_defs.h"

constexpr int kFormTextSize = 64;
using FormText = char[kFormTextSize];

enum FormResult : int { kFormCancelled = 0, kFormConfirmed = 1, kFormApplied = 2 };

// n rows (a negative n: the same rows and an Apply button) at (x, y) in the window's client area.
// Values are updated in place as the user works, also when the form is cancelled.
int runForm(ws::WindowHandle window, int x, int y, int n, FormText* labels, FormText* values, const char* title);
// Draws the whole panel with the current values into the current drawing context.
void drawForm(int x, int y, int rows, const FormText* labels, const FormText* values, const char* title, bool withApply);

// The text, shortened with a trailing "..." until it fits `width` pixels in the current font.
std::string fitText(const char* text, int width);

// The place where the folder rows' open dialog puts its choice; callers may preset it.
FileSpec& folderChooserFile();
