// The commands that read or write files or change the set of pictures: New, Load and Save Show, the
// quick save of Ctrl+S, Load, Change and Delete Picture.
#include <filesystem>
#include <string>
#include <vector>

#include "editor/editor_context.h"
#include "editor/shell/editor_window.h"
#include "editor/shell/file_names.h"
#include "editor/shell/show_file.h"
#include "editor/timeline/timeline_view.h"
#include "platform/dialogs.h"
#include "platform/settings_file.h"
#include "platform/ui_hooks.h"
#include "show/show_state.h"
#include "show/stored_show.h"

namespace {

// Where the file dialogs start: the folder of the file chosen last.
FileSpec startFolder() {
  FileSpec f;
  f.setPath(settings().getText("InitialFolder", ""));
  f.volume = int16_t(settings().getInteger("InitialVrefnum", 0));
  f.folderId = int32_t(settings().getInteger("InitialParID", 0));
  return f;
}

void rememberFolder(const FileSpec& chosen) {
  settings().setText("InitialFolder", folderPart(chosen.pathText()).c_str());
  settings().setInteger("InitialVrefnum", chosen.volume);
  settings().setInteger("InitialParID", chosen.folderId);
}

void tellFileProblem(const char* what, const std::string& path, const std::string& problem) {
  const std::string text = std::string(what) + " " + path + ": " + problem;
  showMessageBox(text.c_str(), kNoCode);
}

}  // namespace

bool EditorWindow::askToSave() {
  ShowState& show = *editorContext().show;
  if (!show.modified) return true;
  const int answer = askYesNoCancel("Do you want to save current show?", "New Show");
  if (answer < 0) return false;
  if (answer == 1) saveShowCommand();
  return true;
}

void EditorWindow::newShow() {
  if (!askToSave()) return;
  ShowState& show = *editorContext().show;
  setShowTitle(nullptr);
  editorContext().newShow();
  relayoutViews();
  show.showAt(0, false);
  if (TimelineView* timeline = editorContext().timeline) timeline->displayMode = TimelineView::kCollapsed;
  repaintViews();
}

void EditorWindow::loadShowCommand() {
  ShowState& show = *editorContext().show;
  const int picture = show.currentPicture;
  if (!askToSave()) return;
  const FileSpec start = startFolder();
  FileSpec chosen;
  if (chooseFileToOpen(handle_, &chosen, kShowFilter, &start, false)) {
    const std::string path = chosen.pathText();
    // The whole file is read and checked before anything of the current show is given up.
    std::vector<uint8_t> bytes;
    bool tooLong = false;
    std::string problem;
    StoredShow stored;
    if (!readFileBytes(path, kMaxStoredShowSize, bytes, tooLong, problem)) {
      tellFileProblem("Could not read the show file", path, problem);
    } else if (tooLong) {
      tellFileProblem("Could not load the show file", path, "it is larger than any show can be");
    } else if (!parseStoredShow(bytes.data(), bytes.size(), stored, problem)) {
      tellFileProblem("Could not load the show file", path, problem);
    } else {
      editorContext().newShow();
      std::error_code ec;
      show.showFolder = std::filesystem::absolute(std::filesystem::path(path), ec).parent_path().string();
      show.showFile = chosen;
      // As a show read from a file: the time goes back to the start and the views follow.
      show.loadShow(bytes.data(), bytes.size(), true);
      setShowTitle(chosen.path);
    }
    rememberFolder(chosen);
  }
  // A loaded show starts at its first picture; the menus tell that picture's options.
  refreshPictureMenu(show.currentPicture == picture ? picture : show.currentPicture);
  relayoutViews();
  paint();
}

bool EditorWindow::writeShowFile(const char* path) {
  ShowState& show = *editorContext().show;
  std::vector<uint8_t> buffer(kMaxStoredShowSize);
  const uint8_t wasModified = show.modified;
  const long length = show.storeShow(buffer.data(), buffer.size());
  std::string problem;
  if (length <= 0) {
    problem = "the show could not be stored";
  } else if (writeFileReplacing(path, buffer.data(), size_t(length), problem)) {
    return true;
  }
  // Storing cleared the flag; the file does not hold the show, so the work still counts as unsaved.
  show.modified = wasModified;
  tellFileProblem("Could not write the show file", path, problem);
  return false;
}

void EditorWindow::saveShowCommand() {
  ShowState& show = *editorContext().show;
  FileSpec chosen = show.showFile;
  const FileSpec start = startFolder();
  if (!chooseFileToSave(handle_, &chosen, kShowFilter, ".kmv", &start)) return;
  writeShowFile(chosen.path);
  show.showFile = chosen;
  setShowTitle(chosen.path);
  rememberFolder(chosen);
}

void EditorWindow::quickSave() {
  ShowState& show = *editorContext().show;
  if (show.showFile.empty()) {
    saveShowCommand();
    return;
  }
  const int t = show.currentTime;
  show.showAt(0, true);
  writeShowFile(show.showFile.path);
  show.showAt(t, true);
}

void EditorWindow::loadPictureCommand(bool change) {
  ShowState& show = *editorContext().show;
  const FileSpec start = startFolder();
  const std::string filter = pictureFilter(show.jpegAvailable != 0);
  FileSpec chosen;
  if (chooseFileToOpen(handle_, &chosen, filter.c_str(), &start, false)) {
    int p;
    if (change) {
      show.loadPicture(chosen, show.currentPicture);
      p = show.currentPicture;
    } else {
      p = show.loadPicture(chosen, -1);
    }
    rememberFolder(chosen);
    if (p >= 0 && p < kSlotCount) {
      show.getKey(0, editorContext().views.workingStates()[p], p);
      if (!change) {
        show.copyPicture(kScratchSlot, p);
        show.copyPicture(p, 0);
        show.copyPicture(0, kScratchSlot);
      }
    }
  }
  show.setCurrentPicture(0);
  relayoutViews();
  show.showAt(0, false);
  repaintViews();
}

void EditorWindow::deletePictureCommand() {
  ShowState& show = *editorContext().show;
  if (askYesNo("Are you sure?", "Delete Picture")) show.deletePicture(show.currentPicture);
  relayoutViews();
  show.showAt(show.currentTime, false);
  repaintViews();
}
