#include "frei0r/filter_instance.h"

#include <cstdio>
#include <cstring>

#include "frei0r/rgba_frames.h"
#include "frei0r/show_file_loading.h"
#include "render/render_show.h"
#include "render/show_render_options.h"
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
  if (!texts_[kParamShow].empty()) loadShowFile();
}

void FilterInstance::loadShowFile() {
  showLoaded_ = false;
  const std::string& path = texts_[kParamShow];
  ShowFile file;
  std::string error;
  if (!readShowFile(path, file, error)) {
    complain(path + ": " + error + "; frames pass through unchanged");
    return;
  }
  StoredShow& stored = file.show;
  const PictureTrouble trouble = resolvePicturePaths(stored, path, settings_.getText("AltImageFolder", ""));
  const std::vector<std::string>& missing = trouble.missing;
  if (!missing.empty()) {
    std::string names;
    for (const std::string& m : missing) names += (names.empty() ? "'" : ", '") + m + "'";
    complain(path + ": " + std::to_string(missing.size()) +
             (missing.size() == 1 ? " picture cannot be found: " : " pictures cannot be found: ") + names +
             "; rendering the placeholder picture instead");
  }
  if (!trouble.unreadable.empty()) {
    std::string names;
    for (const std::string& u : trouble.unreadable) names += (names.empty() ? "" : ", ") + u;
    complain(path + ": " + std::to_string(trouble.unreadable.size()) +
             (trouble.unreadable.size() == 1 ? " picture cannot be loaded: " : " pictures cannot be loaded: ") +
             names + "; rendering the placeholder picture instead");
  }
  show_->newShow();
  show_->applyStored(stored);
  showLoaded_ = true;
}

namespace {
// What a refused text is told it is not.
const char* const kAccepted[kParamCount] = {
    "", "a positive frame rate such as 25, 29.97 or 30000/1001", "one of 4:3, 16:9, auto",
    "one of progressive, top, bottom", "one of seconds, milliseconds"};
}  // namespace

bool FilterInstance::takeSetting(int index, const std::string& value) {
  switch (index) {
    case kParamRate: return parseFrameRate(value, rate_);
    case kParamAspect: return parseAspect(value, aspect_);
    case kParamFields: return parseFields(value, fields_);
    case kParamTimeUnit: return parseTimeUnit(value, timeUnit_);
    default: return false;
  }
}

void FilterInstance::setText(int index, const char* text) {
  if (index < 0 || index >= kParamCount) return;
  const std::string value = text ? text : "";
  // MLT sets every parameter before every frame: only a new text does anything.
  if (value == texts_[index]) return;
  if (index == kParamShow) {
    texts_[kParamShow] = value;
    showLoaded_ = false;
    if (!value.empty()) loadShowFile();
    return;
  }
  if (!takeSetting(index, value)) {
    if (value != refused_[index])
      complain(std::string(parameterDescription(index).name) + " '" + value + "' is not " + kAccepted[index] +
               "; it stays " + texts_[index]);
    refused_[index] = value;
    return;
  }
  texts_[index] = value;
  refused_[index].clear();
  // The stage's size comes with the ShowState's construction; a new aspect (the fields also decide
  // "auto") builds the show again.
  if (aspectModeFor(aspect_, width_, height_, fields_) != aspectMode_) rebuildShow();
}

const char* FilterInstance::textValue(int index) const {
  return index >= 0 && index < kParamCount ? texts_[index].c_str() : "";
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
  renderShow(show, renderOptionsOf(show), frameNumberAt(time, timeUnit_, rate_), field.fieldMode, field.lineFlag,
             output_, nullptr, background_);
  copyImageToFrame(output_, width_, height_, out);
}
