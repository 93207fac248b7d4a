#pragma once
// One instance of the frei0r filter: its own settings, its own show and its own buffers, so that
// instances on different threads never share anything that changes.
#include <cstdint>
#include <memory>
#include <string>

#include "frei0r/filter_parameters.h"
#include "image/image_buffer.h"
#include "platform/settings_file.h"

class ShowState;

class FilterInstance {
 public:
  FilterInstance(unsigned width, unsigned height);
  ~FilterInstance();
  FilterInstance(const FilterInstance&) = delete;
  FilterInstance& operator=(const FilterInstance&) = delete;

  // Parameter values as frei0r passes them (a double, or the text of a string parameter). A changed
  // show path loads the show there and then; an unknown choice text is refused with a message and
  // the value stays as it was.
  void setDouble(int index, double value);
  void setText(int index, const char* text);
  double doubleValue(int index) const;
  const char* textValue(int index) const;

  // Renders the show at the host's time over `in` into `out` (both width x height RGBA). Without a
  // usable show `out` receives `in` unchanged.
  void update(double time, const uint32_t* in, uint32_t* out);

  // Copies `in` to `out` unchanged.
  void passThrough(const uint32_t* in, uint32_t* out) const;

  bool hasShow() const { return showLoaded_; }

 private:
  // A fresh ShowState built from the instance's own settings with the stage of the current aspect.
  void rebuildShow();
  void loadShowFile();
  void complain(const std::string& text) const;

  unsigned width_, height_;
  bool usableSize_;
  std::string showPath_;
  double rate_ = kDefaultRate;
  std::string aspectText_ = "auto", fieldsText_ = "progressive", timeUnitText_ = "seconds";
  AspectChoice aspect_ = AspectChoice::automatic;
  FieldChoice fields_ = FieldChoice::progressive;
  TimeUnit timeUnit_ = TimeUnit::seconds;

  // The user's settings as read at construction, changed in memory only: never written back.
  SettingsFile settings_;
  long aspectMode_ = 0;
  std::unique_ptr<ShowState> show_;
  bool showLoaded_ = false;
  ImageBuffer output_;
  ImageBuffer background_;
};
