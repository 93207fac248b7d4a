#include "frei0r/filter_instance.h"

#include <cstdio>
#include <cstring>

#include "frei0r/rgba_frames.h"
#include "frei0r/show_file_loading.h"
#include "render/render_show.h"
#include "show/show_file.h"
#include "show/show_state.h"
#include "show/stored_show.h"

FilterInstance::FilterInstance(unsigned width, unsigned height)
    : width_(width),
      height_(height),
      usableSize_(width >= 1 && height >= 1 && width <= unsigned(ImageBuffer::kMaxSide) &&
                  height <= unsigned(ImageBuffer::kMaxSide)),
      output_(16, 16, 8),
      background_(16, 16, 8) {
  // Read once here, never in update: the file is the user's, and the filter only takes its switches
  // (video colours, field swap, the alternate image folder) as the plug-in would.
  settings_.readSettings();
  // A picture that cannot be loaded becomes the placeholder, as "render --allow-missing" shows it;
  // the filter names such pictures itself when the show loads.
  settings_.setInteger("ShowPicError", 0);
  if (usableSize_) {
    output_.create(int(width), int(height), 32);
    background_.create(int(width), int(height), 32);
  } else {
    complain(std::to_string(width) + " x " + std::to_string(height) +
             " frames are outside the 1 to 8192 pixels a side the filter renders; frames pass through unchanged");
  }
  rebuildShow();
}

FilterInstance::~FilterInstance() = default;

void FilterInstance::complain(const std::string& text) const { std::fprintf(stderr, "kestrelmove: %s\n", text.c_str()); }

void FilterInstance::rebuildShow() {
  aspectMode_ = aspectModeFor(aspect_, width_, height_, fields_);
  settings_.setInteger("AspectMode", aspectMode_);
  show_ = std::make_unique<ShowState>(settings_);
  showLoaded_ = false;
  if (!showPath_.empty()) loadShowFile();
}

void FilterInstance::loadShowFile() {
  showLoaded_ = false;
  ShowFile file;
  std::string error;
  if (!readShowFile(showPath_, file, error)) {
    complain(showPath_ + ": " + error + "; frames pass through unchanged");
    return;
  }
  StoredShow& stored = file.show;
  const PictureTrouble trouble = resolvePicturePaths(stored, showPath_, settings_.getText("AltImageFolder", ""));
  const std::vector<std::string>& missing = trouble.missing;
  if (!missing.empty()) {
    std::string names;
    for (const std::string& m : missing) names += (names.empty() ? "'" : ", '") + m + "'";
    complain(showPath_ + ": " + std::to_string(missing.size()) +
             (missing.size() == 1 ? " picture cannot be found: " : " pictures cannot be found: ") + names +
             "; rendering the placeholder picture instead");
  }
  if (!trouble.unreadable.empty()) {
    std::string names;
    for (const std::string& u : trouble.unreadable) names += (names.empty() ? "" : ", ") + u;
    complain(showPath_ + ": " + std::to_string(trouble.unreadable.size()) +
             (trouble.unreadable.size() == 1 ? " picture cannot be loaded: " : " pictures cannot be loaded: ") +
             names + "; rendering the placeholder picture instead");
  }
  show_->newShow();
  show_->applyStored(stored);
  showLoaded_ = true;
}

void FilterInstance::setDouble(int index, double value) {
  if (index != kParamRate) return;
  if (!(value > 0) || value > 1000) {
    complain("rate " + std::to_string(value) + " is not a frame rate; it stays " + std::to_string(rate_));
    return;
  }
  rate_ = value;
}

void FilterInstance::setText(int index, const char* text) {
  const std::string value = text ? text : "";
  switch (index) {
    case kParamShow:
      // MLT sets every parameter before every frame: only a new path loads.
      if (value == showPath_) return;
      showPath_ = value;
      showLoaded_ = false;
      if (!showPath_.empty()) loadShowFile();
      return;
    case kParamAspect: {
      if (value == aspectText_) return;
      AspectChoice choice = aspect_;
      if (!parseAspect(value, choice)) {
        complain("aspect '" + value + "' is not one of 4:3, 16:9, auto; it stays " + aspectText_);
        return;
      }
      aspectText_ = value;
      aspect_ = choice;
      break;
    }
    case kParamFields: {
      if (value == fieldsText_) return;
      FieldChoice choice = fields_;
      if (!parseFields(value, choice)) {
        complain("fields '" + value + "' is not one of progressive, top, bottom; it stays " + fieldsText_);
        return;
      }
      fieldsText_ = value;
      fields_ = choice;
      break;
    }
    case kParamTimeUnit: {
      if (value == timeUnitText_) return;
      TimeUnit unit = timeUnit_;
      if (!parseTimeUnit(value, unit)) {
        complain("time unit '" + value + "' is not one of seconds, milliseconds; it stays " + timeUnitText_);
        return;
      }
      timeUnitText_ = value;
      timeUnit_ = unit;
      return;
    }
    default: return;
  }
  // The stage's size comes with the ShowState's construction; a new aspect (the fields also decide
  // "auto") builds the show again.
  if (aspectModeFor(aspect_, width_, height_, fields_) != aspectMode_) rebuildShow();
}

double FilterInstance::doubleValue(int index) const { return index == kParamRate ? rate_ : 0.0; }

const char* FilterInstance::textValue(int index) const {
  switch (index) {
    case kParamShow: return showPath_.c_str();
    case kParamAspect: return aspectText_.c_str();
    case kParamFields: return fieldsText_.c_str();
    case kParamTimeUnit: return timeUnitText_.c_str();
    default: return "";
  }
}

void FilterInstance::passThrough(const uint32_t* in, uint32_t* out) const {
  if (in && out && in != out) std::memmove(out, in, size_t(width_) * height_ * 4);
}

void FilterInstance::update(double time, const uint32_t* in, uint32_t* out) {
  if (!in || !out) return;
  if (!showLoaded_ || !usableSize_) {
    passThrough(in, out);
    return;
  }
  // The host's frame is the show's background (the host video); the renderer copies it into the
  // output before it draws the pictures.
  copyFrameToImage(in, width_, height_, background_);
  const FieldArguments field = fieldArguments(fields_);
  const ShowState& show = *show_;
  renderShow(show, frameNumberAt(time, timeUnit_, rate_), field.fieldMode, field.lineFlag, output_, nullptr,
             background_);
  copyImageToFrame(output_, width_, height_, out);
}
