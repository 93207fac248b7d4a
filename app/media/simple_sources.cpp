// Sources that need no decoding: a plain colour, a generated background and still images.
#include <cctype>
#include <cmath>
#include <cstring>

#include "app/media/frame_writer.h"
#include "app/media/output_path.h"
#include "app/media/system_image_files.h"
#include "app/media/video_source.h"
#include "image/image_buffer.h"

namespace {

class ColourSource : public VideoSource {
 public:
  ColourSource(int w, int h, uint8_t r, uint8_t g, uint8_t b) : red_(r), green_(g), blue_(b) { setOutputSize(w, h); }
  void setOutputSize(int w, int h) override {
    frame_.create(w, h, 24, false);
    for (size_t i = 0; i < frame_.pixels.size(); i += 3) {
      frame_.pixels[i] = blue_;
      frame_.pixels[i + 1] = green_;
      frame_.pixels[i + 2] = red_;
    }
  }
  const HostFrame* frame(int, std::string&) override { return &frame_; }
  bool framesStay() const override { return true; }

 private:
  uint8_t red_, green_, blue_;
  HostFrame frame_;
};

class GradientSource : public VideoSource {
 public:
  GradientSource(int w, int h) { setOutputSize(w, h); }
  void setOutputSize(int w, int h) override { frame_.create(w, h, 24, false); }
  const HostFrame* frame(int number, std::string&) override {
    const int w = frame_.width(), h = frame_.height();
    const double phase = number * 0.02;
    for (int y = 0; y < h; ++y) {
      uint8_t* line = frame_.line(y);
      const double v = double(y) / h;
      for (int x = 0; x < w; ++x) {
        const double u = double(x) / w;
        const double wave = 0.5 + 0.5 * std::sin(6.2831853 * (u * 0.7 + v * 0.3) + phase);
        line[3 * x + 2] = uint8_t(30 + 60 * v + 40 * wave);    // red
        line[3 * x + 1] = uint8_t(40 + 50 * wave);             // green
        line[3 * x] = uint8_t(90 + 100 * (1 - v) + 40 * wave); // blue
      }
    }
    return &frame_;
  }

 private:
  HostFrame frame_;
};

class StillSource : public VideoSource {
 public:
  explicit StillSource(const ImageBuffer& image) {
    frame_.create(image.width(), image.height(), 32, false);
    for (int i = 0; i < image.height(); ++i)
      std::memcpy(frame_.row(i), image.row(i), size_t(image.width()) * 4);
  }
  const HostFrame* frame(int, std::string&) override { return &frame_; }
  bool framesStay() const override { return true; }
  bool atOutputSize() const override { return false; }
  int naturalWidth() const override { return frame_.width(); }
  int naturalHeight() const override { return frame_.height(); }

 private:
  HostFrame frame_;
};

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = char(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

}  // namespace

const HostFrame* VideoSource::frameInto(int number, HostFrame& storage, std::string& error) {
  const HostFrame* made = frame(number, error);
  if (!made || framesStay()) return made;
  storage = *made;
  return &storage;
}

bool parseColour(const std::string& text, uint8_t& red, uint8_t& green, uint8_t& blue) {
  if (text.size() != 7 || text[0] != '#') return false;
  int v[6];
  for (int i = 0; i < 6; ++i)
    if ((v[i] = hexDigit(text[i + 1])) < 0) return false;
  red = uint8_t(v[0] * 16 + v[1]);
  green = uint8_t(v[2] * 16 + v[3]);
  blue = uint8_t(v[4] * 16 + v[5]);
  return true;
}

std::unique_ptr<VideoSource> makeColourSource(int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
  return std::make_unique<ColourSource>(width, height, red, green, blue);
}

std::unique_ptr<VideoSource> makeGradientSource(int width, int height) {
  return std::make_unique<GradientSource>(width, height);
}

std::unique_ptr<VideoSource> openStillSource(const std::string& path, std::string& error) {
  ImageBuffer image(16, 16, 8);
  std::string why;
  if (!readSystemImage(path, image, why)) {
    error = "cannot read input '" + path + "': " + why;
    return nullptr;
  }
  return std::make_unique<StillSource>(image);
}

std::unique_ptr<VideoSource> openVideoSource(const std::string& input, std::string& error) {
  if (!input.empty() && input[0] == '#') {
    uint8_t r, g, b;
    if (!parseColour(input, r, g, b)) {
      error = "input colour '" + input + "' is not of the form #RRGGBB";
      return nullptr;
    }
    return makeColourSource(16, 16, r, g, b);
  }
  if (probesAsMovie(input)) return openMovieSource(input, error);
  return openStillSource(input, error);
}
