#pragma once
// The one owner of a show while the plug-in, the editor or a tool works on it: the document (Show),
// the editing session (EditSession) and the user's switches (ShowSwitches), with the stage's size.
// Its operations are the ones that need more than one of these; code that needs only the document
// takes a `const Show&`.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file_spec.h"
#include "show/edit_session.h"
#include "show/key_frame.h"
#include "show/show.h"
#include "show/show_switches.h"

class SettingsFile;

class ShowState : public Show, public EditSession, public ShowSwitches {
 public:
  // Reads its switches from the settings and starts an empty show.
  explicit ShowState(SettingsFile& settings);
  ShowState(const ShowState&) = delete;
  ShowState& operator=(const ShowState&) = delete;

  void newShow();

  void showAt(int time, bool redraw) { EditSession::showAt(*this, time, redraw); }
  void setCurrentPicture(int index) { EditSession::setCurrentPicture(*this, index); }
  void putKey(int keyIndex, const KeyFrame& record, int picture);

  // Stored shows. storeShow writes into area (capacity bytes) and returns the length written at
  // offset 4; a show that does not fit is refused: nothing is written, the show is unchanged and the
  // result is 0 (storedSize says what it would need). loadShow reads a stored show of size bytes;
  // a block that is not a sound stored show is refused (false, with the problem in error) and the
  // show stays as it was.
  long storeShow(uint8_t* area, size_t capacity);
  bool loadShow(const uint8_t* area, size_t size, bool redraw, std::string* error = nullptr);
  // A stored form put into the show (what loadShow does once the bytes are read): its pictures are
  // loaded and its history starts anew.
  void applyStored(const StoredShow& stored);

  // Key editing and undo, on this show.
  int setKeyNow() { return EditSession::setKeyNow(*this, autoAddKeys != 0); }
  void deleteKey(int keyIndex, int picture) { EditSession::deleteKey(*this, keyIndex, picture); }
  void sortKeys(int picture) { EditSession::sortKeys(*this, picture); }
  int findKeyNear(int time) const { return EditSession::findKeyNear(*this, time); }
  int shiftKeys(int after, int delta) { return EditSession::shiftKeys(*this, after, delta); }
  int moveKey(int keyIndex, int time, int picture) { return EditSession::moveKey(*this, keyIndex, time, picture); }
  void moveLaterKeys(int after, int delta, int& followed) { EditSession::moveLaterKeys(*this, after, delta, followed); }
  void undo() { EditSession::undo(*this); }
  void redo() { EditSession::redo(*this); }

  // Picture slots.
  int loadPicture(const FileSpec& file, int slot);
  // Where a picture's file is opened from: beside the show file when its path is relative and a file
  // of that name lies there, else the path as stored.
  FileSpec locatePicture(const FileSpec& file) const;
  int deletePicture(int index);
  int copyPicture(int target, int source);
  int movePicture(int to, int from);

  // The stage's size in stage units: 480 high and as wide as the aspect makes it. Keys are placed
  // and drawn in these units.
  int stageWidth() const { return stageWidth_; }
  int stageHeight() const { return stageHeight_; }
  // Sets the show's aspect (0.75 for 4:3) and the stage's size with it.
  void setStageAspect(float shape);
  // A stage of any size (tests and benchmarks draw on small ones); the aspect stays.
  void setStageSize(int width, int height) { stageWidth_ = width, stageHeight_ = height; }

 private:
  SettingsFile& settings_;
  int stageWidth_ = 640;
  int stageHeight_ = 480;
};
