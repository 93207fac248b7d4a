// Advanced Options: six switches of rendering and picture loading in one form over the stage, stored
// in the ShowState and the settings when confirmed, then every picture loaded again so that changed
// loading switches show at once (also after a cancel, which the loading does not tell apart).
#include "editor/shell/advanced_options.h"

#include <string>

#include "dialogs/form.h"
#include "dialogs/form_layout.h"
#include "editor/editor_context.h"
#include "editor/shell/editor_window.h"
#include "editor/stage/stage_view.h"
#include "editor/timeline/timeline_view.h"
#include "platform/dialogs.h"
#include "platform/settings_file.h"
#include "show/show_state.h"

namespace {

const char* onOff(bool on) { return on ? "1" : ""; }
bool isOn(const FormText& value) { return value[0] == '1'; }

// The window the form is drawn on: the stage's, or while there is none the editor's.
ws::WindowHandle formWindow(const EditorContext& c) {
  if (c.stage && c.stage->handle()) return c.stage->handle();
  if (c.editor && c.editor->handle()) return c.editor->handle();
  return 0;
}

}  // namespace

void advancedOptions() {
  EditorContext& c = editorContext();
  ShowState* show = c.show;
  if (!show) return;

  FormText labels[6] = {"@CFlop Field Order", "@CFlop Top Field", "@FAlternative Image Folder",
                        "@CShow Pic Errors", "@CVideoSafe Color?", "@CFeather Alpha?"};
  FormText values[6] = {};
  setFormText(values[0], onOff(show->fieldSwap));
  setFormText(values[1], onOff(show->flopTopField));
  const std::string folder = show->alternateImageFolder.pathText();
  folderChooserFile().setPath(folder);
  setFormText(values[2], folder);
  setFormText(values[3], onOff(show->showPictureErrors));
  setFormText(values[4], onOff(show->videoColours));
  setFormText(values[5], onOff(show->alphaBlur));

  if (runForm(formWindow(c), 50, 50, 6, labels, values, "Advanced Options") == kFormConfirmed) {
    show->fieldSwap = isOn(values[0]);
    show->flopTopField = isOn(values[1]);
    // The chooser holds the whole path (the row shows at most 63 characters of it); a folder the
    // user did not change comes back whole.
    show->alternateImageFolder.setPath(folderPart(folderChooserFile().pathText()));
    show->showPictureErrors = isOn(values[3]);
    show->videoColours = isOn(values[4]);
    show->alphaBlur = isOn(values[5]);
    SettingsFile& s = settings();
    s.setInteger("FlopTopField", show->flopTopField ? 1 : 0);
    s.setText("AltImageFolder", show->alternateImageFolder.path);
    s.setInteger("ShowPicError", show->showPictureErrors ? 1 : 0);
    s.setInteger("FieldSwap", show->fieldSwap ? 1 : 0);
    s.setInteger("VideoColors", show->videoColours ? 1 : 0);
    s.setInteger("AlphaBlur", show->alphaBlur ? 1 : 0);
  }

  setCursorKind(11);
  for (int i = 0; i < show->pictureCount; ++i) {
    const FileSpec file = show->slots[i].file;
    show->loadPicture(file, i);
  }
  if (c.editor) c.editor->paint();
  show->showAt(show->currentTime, false);
  if (c.timeline) c.timeline->paint();
  if (c.stage) c.stage->paint();
  setCursorKind(1);
}
