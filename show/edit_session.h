#pragma once
// The editing session of one show: where the user stands (current picture and time, selected key),
// what the user can take back (undo ring), the clipboard, the show's file and whether it changed
// since it was stored, and the editor's views while they are open. Key edits and undo work on the
// show handed to them.
#include <cstdint>
#include <string>

#include "platform/file_spec.h"
#include "show/key_frame.h"

class Show;
class ShowViews;

constexpr int kClipboardEmpty = -9999;

class EditSession {
 public:
  EditSession() { clipboard.time = kClipboardEmpty; }
  EditSession(const EditSession&) = delete;
  EditSession& operator=(const EditSession&) = delete;

  // Makes `time`, limited to the show's length, the current time and gives the stage's working
  // states the pictures' states at that time; with redraw the stage and the timeline are drawn anew.
  void showAt(const Show& show, int time, bool redraw);
  void setCurrentPicture(const Show& show, int index);

  // Key editing on the current picture's track (setKeyNow, findKeyNear, shiftKeys, moveLaterKeys) or
  // on a given picture's, each recorded in the undo ring.
  int setKeyNow(Show& show, bool autoAddKeys);
  void deleteKey(Show& show, int keyIndex, int picture);
  void sortKeys(Show& show, int picture);
  int findKeyNear(const Show& show, int time) const;
  int shiftKeys(Show& show, int after, int delta);
  // Gives key keyIndex of a picture a new time and moves it to its place in time order (after the
  // keys of equal time that stood before it, before those that stood after it), recorded so that
  // undo puts it back where it was. Returns the key's new index, or -1 when there is no such key.
  int moveKey(Show& show, int keyIndex, int time, int picture);
  // shiftKeys for the editor's Shift drags: the track stays in time order and every moved key is
  // recorded with both of its places. `followed` (a key of the current picture, moved by nobody
  // here) is updated to where that key stands afterwards.
  void moveLaterKeys(Show& show, int after, int delta, int& followed);
  // place: where the entry's record goes back into the track when applied (the key at `code` is
  // taken out first), or -1 for the plain exchange.
  void pushUndo(const KeyFrame& record, int code, int picture, int place = -1);
  void undo(Show& show);
  void redo(Show& show);
  int keySnapDistance() const;

  // The editor's views, while they are open (null otherwise).
  void setViews(ShowViews* views) { views_ = views; }
  ShowViews* views() const { return views_; }

  // One second of show time in frames at the current frame rate.
  int framesPerSecond() const { return int((int64_t(frameRate) + 50) / 100); }

  // The editing clock: the current time in frames and the frame rate in hundredths of a frame per
  // second (the host's, from its last call).
  int32_t currentTime = 0;
  int32_t frameRate = 2997;
  int32_t currentPicture = 0;
  int32_t selectedKey = -1;
  KeyFrame clipboard;
  uint8_t modified = 0;

  int32_t undoPosition = -1;
  int32_t undoCount = 0;
  int32_t redoCount = 0;
  KeyFrame undoRing[32] = {};
  // What an entry's bookkeeping half-words displaced: the key's own values there, and where its
  // record goes back in the track. Undo gives back the keys byte for byte with them.
  struct UndoPlace {
    uint16_t keyTag = 0;
    uint16_t keyFlags = 0;
    int16_t place = -1;
  };
  UndoPlace undoPlaces[32] = {};

  FileSpec showFile;
  // The folder of the show file the show came from, when the host or the editor knows it: a picture
  // stored with a relative path is looked for there before the current folder. The stored path is
  // kept as it was.
  std::string showFolder;
  // True once the show in memory has come from a stored block (the render action reloads until then).
  bool loadedFromBlock = false;

 protected:
  // Forgets the history: no undo or redo, unmodified, no show file, not from a block.
  void clearHistory();

 private:
  // Exchanges an undo entry with the show (undo and redo both apply the entry at the position).
  void applyUndoEntry(Show& show, int position);

  ShowViews* views_ = nullptr;
};
