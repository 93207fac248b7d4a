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

  // Parameter texts as frei0r passes them. A changed show path loads the show there and then; a text
  // the parameter does not take is refused with one message (not again while the host repeats it)
  // and the value stays as it was.
  void setText(int index, const char* text);
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
  // Takes the text of the rate, aspect, fields or time unit; false, changing nothing, for a text
  // that parameter does not take.
  bool takeSetting(int index, const std::string& value);

  unsigned width_, height_;
  bool usableSize_;
  // Each parameter's text as taken, and the last text refused for it.
  std::string texts_[kParamCount] = {"", kDefaultRateText, "auto", "progressive", "seconds"};
  std::string refused_[kParamCount];
  FrameRate rate_;
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
