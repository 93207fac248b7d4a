#include "app/media/image_sequence_writer.h"

#include <cstdio>
#include <vector>

#include "app/media/output_path.h"
#include "app/media/system_image_files.h"

namespace {

class ImageSequenceWriter : public FrameWriter {
 public:
  explicit ImageSequenceWriter(const OutputSettings& s) : settings_(s), extension_(extensionOf(s.path)) {}
  ~ImageSequenceWriter() override {
    if (!finished_) abandon();
  }

  bool write(int frameNumber, const HostFrame& frame) override {
    const std::string name = sequenceFileName(settings_.path, frameNumber);
    const std::string temporary = temporaryNameFor(name);
    std::string why;
    bool ok;
    if (extension_ == ".png") ok = writePng(temporary, toRgb(frame), why);
    else ok = writeSystemImage(temporary, frame, extension_ == ".bmp" ? SystemImageFormat::bmp : SystemImageFormat::targa, why);
    if (!ok) {
      std::remove(temporary.c_str());
      error_ = "cannot write '" + name + "': " + why;
      return false;
    }
    if (std::rename(temporary.c_str(), name.c_str()) != 0) {
      std::remove(temporary.c_str());
      error_ = "cannot write '" + name + "'";
      return false;
    }
    written_.push_back(name);
    return true;
  }

  bool finish() override {
    finished_ = true;
    return true;
  }

  // Frames already complete stay: each is a whole file under its own name, and removing them would
  // lose work a long render has already done.
  void abandon() override { finished_ = true; }

  std::string leftAfterStop() const override {
    if (written_.empty()) return "no frame of '" + settings_.path + "' written";
    const std::string count = std::to_string(written_.size()) + (written_.size() == 1 ? " frame" : " frames");
    if (written_.size() == 1) return count + " written before the stop: " + written_.front();
    return count + " written before the stop: " + written_.front() + " to " + written_.back();
  }

 private:
  OutputSettings settings_;
  std::string extension_;
  std::vector<std::string> written_;
  bool finished_ = false;
};

}  // namespace

RgbImage toRgb(const HostFrame& frame) {
  RgbImage image;
  image.width = frame.width();
  image.height = frame.height();
  image.rgb.resize(size_t(image.width) * image.height * 3);
  const int b = frame.bytesPerPixel();
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* in = frame.line(y);
    uint8_t* out = image.rgb.data() + size_t(y) * image.width * 3;
    for (int x = 0; x < image.width; ++x) {
      out[3 * x] = in[b * x + 2];
      out[3 * x + 1] = in[b * x + 1];
      out[3 * x + 2] = in[b * x];
    }
  }
  return image;
}

std::unique_ptr<FrameWriter> openImageSequenceWriter(const OutputSettings& settings, std::string& error) {
  if (!validSequencePattern(settings.path, error)) return nullptr;
  const std::string ext = extensionOf(settings.path);
  if (ext != ".png" && ext != ".bmp" && ext != ".tga") {
    error = "image sequences are written as .png, .bmp or .tga, not '" + (ext.empty() ? settings.path : ext) + "'";
    return nullptr;
  }
  if (ext != ".png" && !systemImageWritersAvailable()) {
    error = "this build cannot write " + ext + " files yet; use .png";
    return nullptr;
  }
  return std::make_unique<ImageSequenceWriter>(settings);
}
