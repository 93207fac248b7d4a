#pragma once
// The show document: up to 30 pictures, each with its own track of keys, over a background, and what
// is stored with them. It knows nothing of the editor, the settings or the views: the renderer and the
// stored form read a show through this type alone.
#include <cstddef>
#include <cstdint>

#include "image/image_buffer.h"
#include "platform/file_spec.h"
#include "show/key_frame.h"

struct StoredShow;

constexpr int kSlotCount = 32;
constexpr int kMaxPictures = 30;
constexpr int kMaxKeys = 128;
constexpr int kScratchSlot = 31;

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

class Show {
 public:
  Show() = default;
  Show(const Show&) = delete;
  Show& operator=(const Show&) = delete;

  // State of one picture at a time: x, y, width, height and amount interpolated, rotation along
  // straight lines, easeCode held, every other field 0.
  void stateAt(KeyFrame& out, int picture, int time, bool halfFrame) const;
  void getKey(int keyIndex, KeyFrame& out, int picture) const;

  // The show as its stored form, and the bytes that form takes.
  StoredShow toStored() const;
  size_t storedSize() const;

  PictureSlot slots[kSlotCount];
  int32_t pictureCount = 0;
  // Frames; set from the host for each edit run.
  int32_t showLength = 1800;
  // The stage's shape (0.75 for 4:3): key positions and sizes are in stage units of this stage.
  float aspect = 0.75f;
  uint16_t changeStamp = 0;
  FileSpec soundTrackFile;
  FileSpec backgroundFile;
  // The picture drawn under the pictures in background mode 1; a blank 8 x 8 one in an empty show.
  ImageBuffer backgroundPicture{16, 16, 8};
  // 1 the background picture, 2 the host video, other values none.
  int32_t backgroundMode = 2;
  // How the show's pictures are prepared when loaded; stored with the show, so a show keeps them
  // whatever the settings of the machine that opens it say.
  uint8_t videoColours = 1;
  uint8_t alphaBlur = 1;

 protected:
  // Empties the show: every slot blank with its one key, no pictures, no files, a blank background
  // picture, stamp 0.
  void clearDocument();
};
