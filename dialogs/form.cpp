// Stand-in until the form toolkit is built.
#include "dialogs/form.h"

int runForm(ws::WindowHandle, int, int, int, FormText*, FormText*, const char*) { return kFormCancelled; }
void drawForm(int, int, int, const FormText*, const FormText*, const char*, bool) {}
std::string fitText(const char* text, int) { return text ? text : ""; }
FileSpec& folderChooserFile() {
  static FileSpec file;
  return file;
}
