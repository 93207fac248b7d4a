#pragma once
// The show: up to 30 pictures, each with its own track of keys, over a background, together with the
// editing state that belongs to it (current picture, undo ring, option switches, change stamp).
#include <cstddef>
#include <cstdint>
#include <string>

#include "image/image_buffer.h"
#include "platform/file_spec.h"
#include "show/key_frame.h"

class SettingsFile;
class ShowViews;
struct StoredShow;

constexpr int kSlotCount = 32;
constexpr int kMaxPictures = 30;
constexpr int kMaxKeys = 128;
constexpr int kScratchSlot = 31;
constexpr int kClipboardEmpty = -9999;

// Brush codes; the renderer reads them in ranges of 1000.
enum BrushCode : int32_t {
  kBrushNone = 0,
  kBrushBlur = 1000,
  kBrushPixelate = 2000,
  kBrushDarken = 3000,
  kBrushLighten = 4000,
  kBrushTint = 5000,
  kBrushNoColour = 6000,
};

struct PictureSlot {
  ImageBuffer image{16, 16, 8};
  FileSpec file;
  int32_t keyCount = 1;
  KeyFrame keys[kMaxKeys] = {};
  uint32_t tintColour = 255;
  int32_t brushCode = 0;
  uint32_t reserved[2] = {0, 0};
  uint8_t lock = 0;
};

class ShowState {
 public:
  // Reads its switches from the settings and starts an empty show.
  explicit ShowState(SettingsFile& settings);
  ShowState(const ShowState&) = delete;
  ShowState& operator=(const ShowState&) = delete;

  void newShow();

  // State of one picture at a time: x, y, width, height and amount interpolated, rotation along
  // straight lines, easeCode held, every other field 0.
  void stateAt(KeyFrame& out, int picture, int time, bool halfFrame) const;
  void showAt(int time, bool redraw);
  void setCurrentPicture(int index);
  void getKey(int keyIndex, KeyFrame& out, int picture) const;
  void putKey(int keyIndex, const KeyFrame& record, int picture);

  // Stored shows. storeShow writes into area (capacity bytes) and returns the length written at
  // offset 4; a show that does not fit is refused: nothing is written, the show is unchanged and the
  // result is 0 (storedSize says what it would need). loadShow reads a stored show of size bytes;
  // a block that is not a sound stored show is refused (false, with the problem in error) and the
  // show stays as it was.
  long storeShow(uint8_t* area, size_t capacity);
  size_t storedSize() const;
  bool loadShow(const uint8_t* area, size_t size, bool redraw, std::string* error = nullptr);
  // The show as its stored form, and a stored form put into the show (what loadShow does once the
  // bytes are read).
  StoredShow toStored() const;
  void applyStored(const StoredShow& stored);

  // Key editing and undo.
  int setKeyNow();
  void deleteKey(int keyIndex, int picture);
  void sortKeys(int picture);
  int findKeyNear(int time) const;
  int shiftKeys(int after, int delta);
  // Gives key keyIndex of a picture a new time and moves it to its place in time order (after the
  // keys of equal time that stood before it, before those that stood after it), recorded so that
  // undo puts it back where it was. Returns the key's new index, or -1 when there is no such key.
  int moveKey(int keyIndex, int time, int picture);
  // shiftKeys for the editor's Shift drags: the track stays in time order and every moved key is
  // recorded with both of its places. `followed` (a key of the current picture, moved by nobody
  // here) is updated to where that key stands afterwards.
  void moveLaterKeys(int after, int delta, int& followed);
  // place: where the entry's record goes back into the track when applied (the key at `code` is
  // taken out first), or -1 for the plain exchange.
  void pushUndo(const KeyFrame& record, int code, int picture, int place = -1);
  void undo();
  void redo();
  int keySnapDistance() const;

  // Picture slots.
  int loadPicture(const FileSpec& file, int slot);
  // Where a picture's file is opened from: beside the show file when its path is relative and a file
  // of that name lies there, else the path as stored.
  FileSpec locatePicture(const FileSpec& file) const;
  int deletePicture(int index);
  int copyPicture(int target, int source);
  int movePicture(int to, int from);

  // The editor's views, while they are open (null otherwise).
  void setViews(ShowViews* views) { views_ = views; }
  ShowViews* views() const { return views_; }

  int stageWidth() const { return stageImage.width(); }
  int stageHeight() const { return stageImage.height(); }
  // One second of show time in frames at the current frame rate.
  int framesPerSecond() const { return int((int64_t(frameRate) + 50) / 100); }

  PictureSlot slots[kSlotCount];
  ImageBuffer stageImage{16, 16, 8};
  ImageBuffer backgroundImage{16, 16, 8};
  uint8_t modified = 0;
  float aspect = 0.75f;
  int32_t showLength = 1800;
  char rootVolume[256] = {};
  int32_t pictureCount = 0;
  uint16_t changeStamp = 0;
  uint8_t fieldSwap = 0;
  KeyFrame clipboard;
  int32_t selectedKey = -1;
  int32_t undoPosition = -1;
  int32_t undoCount = 0;
  int32_t redoCount = 0;
  uint8_t videoColours = 1;
  uint8_t flopTopField = 0;
  uint8_t autoAddKeys = 1;
  uint8_t jpegAvailable = 0;
  FileSpec soundTrackFile;
  FileSpec backgroundFile;
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
  uint8_t showPictureErrors = 0;
  int32_t currentPicture = 0;
  FileSpec alternateImageFolder;
  // The folder of the show file the show came from, when the host or the editor knows it: a picture
  // stored with a relative path is looked for there before the current folder. The stored path is
  // kept as it was.
  std::string showFolder;
  int32_t backgroundMode = 2;
  uint8_t fastDisplay = 0;
  uint8_t alphaBlur = 1;
  // True once the show in memory has come from a stored block (the render action reloads until then).
  bool loadedFromBlock = false;

  // Process-wide editing clock: the current time in frames and the frame rate in hundredths of a
  // frame per second.
  int32_t currentTime = 0;
  int32_t frameRate = 2997;

 private:
  // Exchanges an undo entry with the show (undo and redo both apply the entry at the position).
  void applyUndoEntry(int position);

  SettingsFile& settings_;
  ShowViews* views_ = nullptr;
};
