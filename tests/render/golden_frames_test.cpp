// Golden frames: a small show with several pictures and one picture of every brush, rendered at a few
// times and as single fields, compared byte for byte with frames checked in under tests/data/golden/.
//
// The expected frames are PNG files (RGBA, 8 bits a channel) holding the output's blue, green, red and
// alpha bytes exactly. After a deliberate change to the renderer's output, regenerate them with
//   KM_UPDATE_GOLDEN=1 <build>/tests/render/render_tests --gtest_filter='Golden*'
// and review the new PNG files by eye before committing them. On a mismatch the actual frame is written
// to golden-actual/ in the test program's build folder.
#include <gtest/gtest.h>
#include <png.h>

#include <csetjmp>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/settings_file.h"
#include "render/render_show.h"
#include "render/show_render_options.h"
#include "show/show_state.h"
#include "tests/render/render_test_images.h"

namespace {

constexpr int kOutWidth = 160;
constexpr int kOutHeight = 120;

std::filesystem::path goldenPath(const std::string& name) {
  return std::filesystem::path(KM_TEST_DATA_DIR) / "golden" / (name + ".png");
}

bool updatingGolden() {
  const char* value = std::getenv("KM_UPDATE_GOLDEN");
  return value && std::string(value) == "1";
}

// --- PNG in and out. The output is bottom-up BGRA; the files hold RGBA top-down.

// Written with the strongest compression, as the files live in the repository.
std::string writePng(const std::filesystem::path& path, const ImageBuffer& image) {
  std::filesystem::create_directories(path.parent_path());
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return path.string() + ": cannot be created";
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::string problem;
  if (!png || !info) {
    problem = path.string() + ": out of memory";
  } else if (setjmp(png_jmpbuf(png))) {
    problem = path.string() + ": could not be written";
  } else {
    png_init_io(png, file);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, png_uint_32(image.width()), png_uint_32(image.height()), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int i = image.height() - 1; i >= 0; --i) png_write_row(png, image.row(i));
    png_write_end(png, nullptr);
  }
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0 && problem.empty()) problem = path.string() + ": could not be written";
  return problem;
}

// Reads an RGBA PNG into `image` (re-created at its size, 32 bits); returns the problem, empty when read.
std::string readPng(const std::filesystem::path& path, ImageBuffer& image) {
  png_image description{};
  description.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&description, path.c_str()))
    return path.string() + ": " + description.message +
           " (run with KM_UPDATE_GOLDEN=1 to write the expected frames)";
  if ((description.format & PNG_FORMAT_FLAG_ALPHA) == 0 || (description.format & PNG_FORMAT_FLAG_COLOR) == 0 ||
      (description.format & PNG_FORMAT_FLAG_LINEAR) != 0) {
    png_image_free(&description);
    return path.string() + ": not an 8-bit RGBA PNG";
  }
  const int width = int(description.width), height = int(description.height);
  if (!image.create(width, height, 32)) {
    png_image_free(&description);
    return path.string() + ": unusable size " + std::to_string(width) + " x " + std::to_string(height);
  }
  description.format = PNG_FORMAT_BGRA;
  // A negative row stride tells libpng that the buffer starts with the bottom row.
  if (!png_image_finish_read(&description, nullptr, image.pixels(), -image.rowStep(), nullptr))
    return path.string() + ": " + description.message;
  return {};
}

// --- Pictures made in code, addressed top-down. Each keeps a transparent one-pixel border, as loaded
// pictures have.

// A colour gradient square whose alpha fades in over eight pixels from the edge.
ImageBuffer gradientSquare() {
  constexpr int side = 64;
  ImageBuffer image = makeImage(side, side);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const int edge = std::min(std::min(x, y), std::min(side - 1 - x, side - 1 - y));
      setPixel(image, x, y, {255 - 2 * (x + y) < 0 ? 0 : 255 - 2 * (x + y), 4 * y, 4 * x, std::min(255, edge * 32)});
    }
  return image;
}

// Alpha of a disc of radius `outer` with a hole of radius `inner` (0 for none), soft over 2 pixels.
int ringAlpha(int x, int y, int side, double inner, double outer) {
  const double c = (side - 1) / 2.0;
  const double d = std::sqrt((x - c) * (x - c) + (y - c) * (y - c));
  const double fromEdge = std::min(outer - d, inner > 0 ? d - inner : outer);
  return fromEdge <= 0 ? 0 : fromEdge >= 2 ? 255 : int(fromEdge * 127.5);
}

// An orange-to-yellow ring.
ImageBuffer ring() {
  constexpr int side = 64;
  ImageBuffer image = makeImage(side, side);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) setPixel(image, x, y, {0, 96 + 2 * y, 255, ringAlpha(x, y, side, 18, 30)});
  return image;
}

// Purple and white stripes, four lines each, opaque inside the border.
ImageBuffer stripes() {
  constexpr int width = 48, height = 32;
  ImageBuffer image = makeImage(width, height);
  for (int y = 1; y < height - 1; ++y)
    for (int x = 1; x < width - 1; ++x)
      setPixel(image, x, y, (y / 4) % 2 ? Pixel{240, 240, 240, 255} : Pixel{160, 20, 120, 255});
  return image;
}

// A brush: a soft disc. Its colours are bright green so that a brush drawn as a picture would show.
ImageBuffer brushDisc() {
  constexpr int side = 48;
  ImageBuffer image = makeImage(side, side);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) setPixel(image, x, y, {0, 255, 0, ringAlpha(x, y, side, 0, 22)});
  return image;
}

// The background: coloured squares of 10 pixels, light diagonal lines and a dark grid, opaque, so that
// every brush has edges and colours to work on.
ImageBuffer detailedBackground() {
  constexpr Pixel palette[] = {{40, 60, 200, 255},  {200, 120, 40, 255}, {60, 180, 60, 255},
                               {30, 200, 230, 255}, {150, 40, 130, 255}, {90, 90, 90, 255}};
  ImageBuffer image = makeImage(kOutWidth, kOutHeight);
  for (int y = 0; y < kOutHeight; ++y)
    for (int x = 0; x < kOutWidth; ++x) {
      Pixel p = palette[(x / 10 + 3 * (y / 10)) % 6];
      if ((x + y) % 32 == 0) p = {250, 250, 250, 255};
      if (x % 40 == 0 || y % 40 == 0) p = {20, 20, 20, 255};
      setPixel(image, x, y, p);
    }
  return image;
}

KeyFrame keyAt(int time, float x, float y, float width, float height, float rotation, float amount) {
  KeyFrame k = placed(x, y, width, height, rotation, amount);
  k.time = time;
  return k;
}

struct GoldenFrame {
  const char* name;
  int time;
  int fieldMode;
  int lineFlag;
  bool flopTopField;
};

// Three progressive frames across the keys, and the field of odd lines (flop off) and of even lines
// (flop on) half a frame into the track.
const GoldenFrame kFrames[] = {
    {"frame_t0", 0, 0, 0, false},       {"frame_t4", 4, 0, 0, false},        {"frame_t10", 10, 0, 0, false},
    {"field_t4_flop_off", 4, 1, 1, false}, {"field_t4_flop_on", 4, 1, 1, true},
};

// The show on the default 640 x 480 stage: six brushes in front (slots 0..5, one of each kind, in a
// 3 x 2 grid) over four ordinary pictures (slots 6..9) over the background picture. Every track has
// keys at frames 0 and 10 and moves, turns, resizes or fades between them.
class GoldenFramesTest : public testing::Test {
 protected:
  GoldenFramesTest() : show(settings) {
    show.backgroundMode = 1;
    show.backgroundPicture = detailedBackground();

    const int brushes[] = {kBrushBlur, kBrushPixelate, kBrushDarken, kBrushLighten, kBrushTint, kBrushNoColour};
    const float amounts[] = {60, 50, 70, 70, 100, 100};
    for (int b = 0; b < 6; ++b) {
      const float x = 120 + 200 * float(b % 3), y = b < 3 ? 130 : 350;
      setTrack(b, brushDisc(), keyAt(0, x, y, 170, 170, 0, amounts[b]),
               keyAt(10, x + 30, y + 10, 200, 150, 30, amounts[b]));
      show.slots[b].brushCode = brushes[b];
    }
    show.slots[4].tintColour = 0x00FF8000;  // blue 255, green 128, red 0

    setTrack(6, stripes(), keyAt(0, 320, 400, 480, 140, -10, 40), keyAt(10, 330, 380, 520, 120, 5, 40));
    setTrack(7, ring(), keyAt(0, 470, 230, 260, 260, 0, 0), keyAt(10, 430, 250, 220, 220, 0, 30));
    setTrack(8, gradientSquare(), keyAt(0, 590, 240, 140, 90, 0, 60), keyAt(10, 600, 260, 160, 110, -40, 20));
    setTrack(9, gradientSquare(), keyAt(0, 190, 210, 280, 280, 20, 0), keyAt(10, 230, 230, 240, 240, 70, 0));
    show.pictureCount = 10;
  }

  void setTrack(int slot, ImageBuffer image, const KeyFrame& first, const KeyFrame& second) {
    show.slots[slot].image = std::move(image);
    show.slots[slot].keyCount = 2;
    show.slots[slot].keys[0] = first;
    show.slots[slot].keys[1] = second;
  }

  ImageBuffer outputFor(const GoldenFrame& frame) const {
    return makeImage(kOutWidth, frame.fieldMode ? kOutHeight / 2 : kOutHeight);
  }

  ImageBuffer render(const GoldenFrame& frame) {
    show.flopTopField = frame.flopTopField ? 1 : 0;
    ImageBuffer output = outputFor(frame);
    EXPECT_TRUE(renderShow(show, renderOptionsOf(show), frame.time, frame.fieldMode, frame.lineFlag, output, nullptr,
                           background));
    return output;
  }

  SettingsFile settings;
  ShowState show;
  ImageBuffer background{16, 16, 8};
};

// Compares actual with the golden frame `name`, byte for byte; on a difference reports the first
// differing pixel and how many differ, and keeps the actual frame for inspection.
void expectGolden(const std::string& name, const ImageBuffer& actual) {
  ImageBuffer expected;
  const std::string problem = readPng(goldenPath(name), expected);
  ASSERT_TRUE(problem.empty()) << problem;
  ASSERT_EQ(expected.width(), actual.width()) << name;
  ASSERT_EQ(expected.height(), actual.height()) << name;

  int differing = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < actual.height(); ++y)
    for (int x = 0; x < actual.width(); ++x)
      if (pixelOf(expected, x, y) != pixelOf(actual, x, y) && differing++ == 0) firstX = x, firstY = y;
  if (differing == 0) return;

  const std::filesystem::path kept = std::filesystem::path(KM_GOLDEN_ACTUAL_DIR) / (name + ".png");
  const std::string written = writePng(kept, actual);
  const Pixel e = pixelOf(expected, firstX, firstY), a = pixelOf(actual, firstX, firstY);
  ADD_FAILURE() << name << ": " << differing << " of " << actual.width() * actual.height()
                << " pixels differ; first at column " << firstX << ", line " << firstY << " (top-down): expected BGRA "
                << e[0] << "," << e[1] << "," << e[2] << "," << e[3] << ", got " << a[0] << "," << a[1] << "," << a[2]
                << "," << a[3] << "; actual frame " << (written.empty() ? "written to " + kept.string() : written);
}

}  // namespace

TEST_F(GoldenFramesTest, FramesMatchTheCheckedInOnes) {
  if (updatingGolden()) {
    for (const GoldenFrame& frame : kFrames) {
      const ImageBuffer actual = render(frame);
      const std::string problem = writePng(goldenPath(frame.name), actual);
      ASSERT_TRUE(problem.empty()) << problem;
      // The stored form must give back exactly the bytes rendered.
      expectGolden(frame.name, actual);
    }
    GTEST_SKIP() << "KM_UPDATE_GOLDEN=1: expected frames rewritten under " << goldenPath("").parent_path();
  }
  for (const GoldenFrame& frame : kFrames) {
    SCOPED_TRACE(frame.name);
    expectGolden(frame.name, render(frame));
  }
}

// Frames rendered together on several threads are the same frames.
TEST_F(GoldenFramesTest, FramesRenderedOnThreadsMatchToo) {
  if (updatingGolden()) GTEST_SKIP() << "expected frames are being rewritten";
  // renderFrames reads the show only; each field setting needs its own pass over the jobs.
  for (bool flop : {false, true}) {
    show.flopTopField = flop ? 1 : 0;
    std::vector<ImageBuffer> outputs, backgrounds;
    std::vector<const GoldenFrame*> frames;
    for (const GoldenFrame& frame : kFrames)
      if (frame.flopTopField == flop) frames.push_back(&frame);
    for (const GoldenFrame* frame : frames) {
      outputs.push_back(outputFor(*frame));
      backgrounds.emplace_back(16, 16, 8);
    }
    std::vector<RenderJob> jobs;
    for (size_t i = 0; i < frames.size(); ++i)
      jobs.push_back({frames[i]->time, frames[i]->fieldMode, frames[i]->lineFlag, &outputs[i], nullptr,
                      &backgrounds[i], false});
    renderFrames(show, renderOptionsOf(show), jobs, 2);
    for (size_t i = 0; i < frames.size(); ++i) {
      SCOPED_TRACE(frames[i]->name);
      EXPECT_TRUE(jobs[i].ok);
      expectGolden(frames[i]->name, outputs[i]);
    }
  }
}

// Checked-in frames that all look alike would hide a renderer that ignores the time or the field.
TEST(GoldenFrames, CheckedInFramesDifferFromEachOther) {
  std::vector<ImageBuffer> images(std::size(kFrames));
  for (size_t i = 0; i < images.size(); ++i) {
    const std::string problem = readPng(goldenPath(kFrames[i].name), images[i]);
    ASSERT_TRUE(problem.empty()) << problem;
  }
  for (size_t i = 0; i < images.size(); ++i)
    for (size_t j = i + 1; j < images.size(); ++j)
      EXPECT_FALSE(sameBytes(images[i], images[j])) << kFrames[i].name << " and " << kFrames[j].name;
}
