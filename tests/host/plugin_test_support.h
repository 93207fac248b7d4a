#pragma once
// What the plug-in tests share: the plug-in loaded with dlopen as a host loads it (a fresh copy for
// each test), a small show with one moving picture stored into a parameter block, and the same show
// rendered directly through renderShow to compare with.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/host_records.h"
#include "image/image_buffer.h"
#include "image/open_file.h"
#include "platform/settings_file.h"
#include "render/render_show.h"
#include "render/show_render_options.h"
#include "show/show_state.h"

namespace plugintest {

namespace fs = std::filesystem;

// A private folder for the settings file and picture files, removed when the tests end.
struct ScratchFolder {
  fs::path path;
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "km-host-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return;
    path = pattern;
    setenv("KESTRELMOVE_CONFIG_DIR", pattern.c_str(), 1);
  }
  ~ScratchFolder() {
    std::error_code ec;
    if (!path.empty()) fs::remove_all(path, ec);
  }
};

inline const fs::path& scratchFolder() {
  static const ScratchFolder folder;
  return folder.path;
}

class LoadedPlugin {
 public:
  LoadedPlugin() {
    scratchFolder();
    handle_ = dlopen(KM_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
      ADD_FAILURE() << "cannot load " << KM_PLUGIN_PATH << ": " << dlerror();
      return;
    }
    express = reinterpret_cast<VfExpressProc>(dlsym(handle_, "vfExpress"));
    getInfo = reinterpret_cast<VfGetInfoProc>(dlsym(handle_, "vfGetInfo"));
    action = reinterpret_cast<VfActionProc>(dlsym(handle_, "vfAction"));
    pipl = reinterpret_cast<KmPiplBytesProc>(dlsym(handle_, "kmPiplBytes"));
    statusProc = reinterpret_cast<KmPluginStatusProc>(dlsym(handle_, "kmPluginStatus"));
    EXPECT_TRUE(express && getInfo && action && pipl && statusProc);
  }
  ~LoadedPlugin() {
    if (handle_) dlclose(handle_);
  }
  LoadedPlugin(const LoadedPlugin&) = delete;
  LoadedPlugin& operator=(const LoadedPlugin&) = delete;

  KmPluginStatus status() const {
    KmPluginStatus s{};
    EXPECT_EQ(statusProc(&s), 1);
    return s;
  }

  VfExpressProc express = nullptr;
  VfGetInfoProc getInfo = nullptr;
  VfActionProc action = nullptr;
  KmPiplBytesProc pipl = nullptr;
  KmPluginStatusProc statusProc = nullptr;

 private:
  void* handle_ = nullptr;
};

// A 16 x 16 picture file of opaque colours that differ from pixel to pixel.
inline std::string pictureFile() {
  const fs::path path = scratchFolder() / "picture.tga";
  if (fs::exists(path)) return path.string();
  ImageBuffer image(16, 16, 32);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      uint8_t* p = image.row(y) + 4 * x;
      p[0] = uint8_t(16 * x);
      p[1] = uint8_t(16 * y);
      p[2] = uint8_t(200 - 8 * x);
      p[3] = 255;
    }
  FileSpec spec;
  spec.setPath(path.string());
  OpenFile file;
  EXPECT_TRUE(file.open(spec, "wb"));
  EXPECT_TRUE(image.write(file, 1));
  EXPECT_TRUE(file.close());
  return path.string();
}

// A show whose one picture moves across the stage over frames 0 to 20 and turns as it goes.
inline std::unique_ptr<ShowState> movingShow(SettingsFile& settings) {
  auto show = std::make_unique<ShowState>(settings);
  FileSpec file;
  file.setPath(pictureFile());
  const int slot = show->loadPicture(file, -1);
  EXPECT_EQ(slot, 0);
  KeyFrame a, b;
  a.x = 100, a.y = 150, a.width = 200, a.height = 160, a.rotation = 0, a.time = 0;
  b.x = 520, b.y = 330, b.width = 260, b.height = 200, b.rotation = 40, b.time = 20;
  show->putKey(0, a, 0);
  show->putKey(1, b, 0);
  show->slots[0].keyCount = 2;
  return show;
}

// The moving show stored into a 64000-byte parameter block.
inline std::vector<uint8_t> movingShowBlock() {
  SettingsFile settings;
  auto show = movingShow(settings);
  std::vector<uint8_t> block(KM_PARAMETER_BLOCK_SIZE, 0);
  EXPECT_GT(show->storeShow(block.data(), block.size()), 0);
  return block;
}

// The host's records around one render call.
struct RenderRecords {
  HostParameters parameters{};
  HostProject project{};
  FrameHeader sourceHeader{};
  FrameHeader destinationHeader{};
  std::vector<uint8_t> source;
  std::vector<uint8_t> destination;
  ActionRecord record{};

  RenderRecords(uint8_t* block, int width, int height, int destinationBits) {
    parameters.parameterBlock = block;
    project.parameters = &parameters;
    sourceHeader.size = destinationHeader.size = 40;
    sourceHeader.width = destinationHeader.width = width;
    sourceHeader.height = destinationHeader.height = height;
    sourceHeader.bitCount = 24;
    destinationHeader.bitCount = uint16_t(destinationBits);
    source.resize(size_t(width) * height * 3);
    for (size_t i = 0; i < source.size(); ++i) source[i] = uint8_t(i * 7 + 3);
    const int step = (width * destinationBits / 8 + 3) & ~3;
    destination.assign(size_t(step) * height, 0x5A);
    record.action = KM_ACTION_RENDER;
    record.project = &project;
    record.sourceHeader = &sourceHeader;
    record.sourcePixels = source.data();
    record.destinationHeader = &destinationHeader;
    record.destinationPixels = destination.data();
  }
};

// The host frame as the renderer's background, as the plug-in's frame input gives it.
class SourceFrameInput : public FrameInput {
 public:
  SourceFrameInput(const std::vector<uint8_t>& pixels, int width, int height)
      : pixels_(pixels), width_(width), height_(height) {}
  bool fetchFrame(int, ImageBuffer& into) override {
    if (!into.create(width_, height_, 32)) return false;
    for (int i = 0; i < width_ * height_; ++i) std::memcpy(into.pixels() + 4 * i, pixels_.data() + 3 * i, 3);
    return true;
  }

 private:
  const std::vector<uint8_t>& pixels_;
  int width_, height_;
};

// The block's show rendered directly at (time, field, lineFlag) over the records' source frame.
inline ImageBuffer renderDirect(const std::vector<uint8_t>& block, const RenderRecords& r, int time, int field,
                                int lineFlag) {
  SettingsFile settings;
  auto show = std::make_unique<ShowState>(settings);
  EXPECT_TRUE(show->loadShow(block.data(), block.size(), false));
  ImageBuffer out(r.destinationHeader.width, r.destinationHeader.height, 32);
  SourceFrameInput input(r.source, r.sourceHeader.width, r.sourceHeader.height);
  ImageBuffer background(8, 8, 32);
  EXPECT_TRUE(renderShow(*show, renderOptionsOf(*show), time, field, lineFlag, out, &input, background));
  return out;
}

// The destination frame's bytes compared with a direct rendering, pixel by pixel.
inline void expectDestinationMatches(const RenderRecords& r, const ImageBuffer& expected) {
  const int b = r.destinationHeader.bitCount / 8;
  const int step = (r.destinationHeader.width * b + 3) & ~3;
  int mismatches = 0;
  for (int i = 0; i < expected.height(); ++i)
    for (int j = 0; j < expected.width(); ++j)
      if (std::memcmp(r.destination.data() + size_t(i) * step + b * j, expected.row(i) + 4 * j, b) != 0 &&
          ++mismatches <= 3)
        ADD_FAILURE() << "row " << i << " column " << j << " differs";
  EXPECT_EQ(mismatches, 0);
}

}  // namespace plugintest
