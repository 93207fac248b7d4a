#pragma once
// What the filter's tests share: a scratch folder, running programs as a user would, a show with
// every brush saved as a show file with its pictures, and the filter loaded with dlopen.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "frei0r/frei0r_api.h"
#include "image/image_buffer.h"
#include "image/open_file.h"
#include "platform/settings_file.h"
#include "show/show_state.h"
#include "show/stored_show.h"

extern char** environ;

namespace frei0rtest {

namespace fs = std::filesystem;

// A private folder, also the settings folder of every program the tests run; removed at the end.
struct ScratchFolder {
  fs::path path;
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "km-frei0r-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return;
    path = pattern;
    setenv("KESTRELMOVE_CONFIG_DIR", pattern.c_str(), 1);
    setenv("FREI0R_PATH", KM_FREI0R_FOLDER, 1);
    // GStreamer's plug-in registry is kept here: nothing is written into the home folder, and the
    // filter just built is the one GStreamer lists.
    setenv("GST_REGISTRY", (path / "gstreamer-registry.bin").c_str(), 1);
    setenv("KESTRELMOVE_VIDEO", "headless", 1);
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

inline fs::path freshFolder(const std::string& name) {
  const fs::path folder = scratchFolder() / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

inline std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The settings file that the plug-in (and the filter) read, with the stage's "AspectMode".
inline void writeSettings(long aspectMode) {
  std::ofstream(scratchFolder() / "Kestrelmove.ini", std::ios::binary)
      << "[Kestrelmove]\r\nAspectMode=" << aspectMode << "\r\n";
}

// Standard error written while `work` runs.
template <typename Work>
inline std::string standardErrorOf(Work work) {
  const fs::path file = scratchFolder() / "captured-stderr.txt";
  std::fflush(stderr);
  const int saved = dup(2);
  const int into = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(into, 2);
  close(into);
  work();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  return readText(file);
}

inline size_t countOf(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

struct RunResult {
  int exitCode = -1;
  std::string err;
};

// Runs a program found on PATH (or at an absolute path) with standard output and error in files.
inline RunResult run(std::vector<std::string> args) {
  const fs::path outFile = scratchFolder() / "stdout.txt", errFile = scratchFolder() / "stderr.txt";
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  RunResult result;
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  result.err = readText(outFile) + readText(errFile);
  return result;
}

// --- The show with every brush.

inline void writeTarga(const ImageBuffer& image, const fs::path& path) {
  FileSpec spec;
  spec.setPath(path.string());
  OpenFile file;
  ASSERT_TRUE(file.open(spec, "wb"));
  ASSERT_TRUE(image.write(file, 1));
  ASSERT_TRUE(file.close());
}

// Pixels addressed top-down.
inline void put(ImageBuffer& image, int x, int y, int b, int g, int r, int a) {
  uint8_t* p = image.row(image.height() - 1 - y) + 4 * x;
  p[0] = uint8_t(b), p[1] = uint8_t(g), p[2] = uint8_t(r), p[3] = uint8_t(a);
}

// A soft disc: the brushes' mask, coloured so that a brush drawn as a picture would show.
inline ImageBuffer disc(int side) {
  ImageBuffer image(side, side, 32);
  const double c = (side - 1) / 2.0, radius = side / 2.0 - 2;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const double d = std::sqrt((x - c) * (x - c) + (y - c) * (y - c));
      const int a = d >= radius ? 0 : radius - d >= 3 ? 255 : int((radius - d) * 85);
      put(image, x, y, 0, 255, 0, a);
    }
  return image;
}

// A colour gradient with a fading edge.
inline ImageBuffer gradient(int width, int height) {
  ImageBuffer image(width, height, 32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int edge = std::min(std::min(x, y), std::min(width - 1 - x, height - 1 - y));
      put(image, x, y, 255 - (255 * x) / width, (255 * y) / height, 60 + (190 * x) / width, std::min(255, edge * 40));
    }
  return image;
}

inline KeyFrame keyAt(int time, float x, float y, float width, float height, float rotation, float amount) {
  KeyFrame k;
  k.x = x, k.y = y, k.width = width, k.height = height, k.rotation = rotation, k.amount = amount, k.time = time;
  return k;
}

// Writes folder/every_brush.kmv: one picture of each brush in front (blur, pixelate, darken, lighten,
// tint, no colour) over two ordinary pictures, every track moving between frames 0 and 10. The
// pictures lie beside the show and are stored by their bare names, so they are found through the
// show's folder. Returns the show file.
inline fs::path writeEveryBrushShow(const fs::path& folder) {
  writeTarga(disc(48), folder / "brush.tga");
  writeTarga(gradient(64, 48), folder / "gradient.tga");
  SettingsFile settings;
  settings.setTextBuffer("[Kestrelmove]\r\nShowPicError=0\r\n");
  ShowState show(settings);
  const int brushes[] = {kBrushBlur, kBrushPixelate, kBrushDarken, kBrushLighten, kBrushTint, kBrushNoColour};
  const float amounts[] = {60, 50, 70, 70, 100, 100};
  FileSpec brush, picture;
  brush.setPath((folder / "brush.tga").string());
  picture.setPath((folder / "gradient.tga").string());
  for (int b = 0; b < 8; ++b) {
    EXPECT_EQ(show.loadPicture(b < 6 ? brush : picture, -1), b);
    PictureSlot& slot = show.slots[b];
    slot.file.setPath(b < 6 ? "brush.tga" : "gradient.tga");
    slot.keyCount = 2;
    if (b < 6) {
      const float x = 120 + 200 * float(b % 3), y = b < 3 ? 130 : 350;
      slot.keys[0] = keyAt(0, x, y, 170, 170, 0, amounts[b]);
      slot.keys[1] = keyAt(10, x + 30, y + 10, 200, 150, 30, amounts[b]);
      slot.brushCode = brushes[b];
    } else if (b == 6) {
      slot.keys[0] = keyAt(0, 320, 400, 480, 140, -10, 30);
      slot.keys[1] = keyAt(10, 330, 300, 520, 200, 25, 0);
    } else {
      slot.keys[0] = keyAt(0, 190, 210, 280, 280, 20, 0);
      slot.keys[1] = keyAt(10, 430, 250, 220, 220, 70, 40);
    }
  }
  show.slots[4].tintColour = 0x00FF8000;
  std::vector<uint8_t> bytes(kMaxStoredShowSize);
  const long length = show.storeShow(bytes.data(), bytes.size());
  EXPECT_GT(length, 0);
  const fs::path path = folder / "every_brush.kmv";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), length);
  return path;
}

// --- The filter, loaded as a host loads it.

struct LoadedFilter {
  LoadedFilter() {
    scratchFolder();
    const std::string path = std::string(KM_FREI0R_FOLDER) + "/kestrelmove.so";
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      ADD_FAILURE() << "cannot load " << path << ": " << dlerror();
      return;
    }
    init = reinterpret_cast<decltype(init)>(dlsym(handle, "f0r_init"));
    deinit = reinterpret_cast<decltype(deinit)>(dlsym(handle, "f0r_deinit"));
    pluginInfo = reinterpret_cast<decltype(pluginInfo)>(dlsym(handle, "f0r_get_plugin_info"));
    paramInfo = reinterpret_cast<decltype(paramInfo)>(dlsym(handle, "f0r_get_param_info"));
    construct = reinterpret_cast<decltype(construct)>(dlsym(handle, "f0r_construct"));
    destruct = reinterpret_cast<decltype(destruct)>(dlsym(handle, "f0r_destruct"));
    setParam = reinterpret_cast<decltype(setParam)>(dlsym(handle, "f0r_set_param_value"));
    getParam = reinterpret_cast<decltype(getParam)>(dlsym(handle, "f0r_get_param_value"));
    update = reinterpret_cast<decltype(update)>(dlsym(handle, "f0r_update"));
    EXPECT_TRUE(init && deinit && pluginInfo && paramInfo && construct && destruct && setParam && getParam && update);
    if (init) {
      EXPECT_EQ(init(), 1);
    }
  }
  ~LoadedFilter() {
    if (deinit) deinit();
    if (handle) dlclose(handle);
  }
  void setText(f0r_instance_t instance, int index, const std::string& text) {
    const char* value = text.c_str();
    setParam(instance, const_cast<char**>(&value), index);
  }
  void setDouble(f0r_instance_t instance, int index, double value) { setParam(instance, &value, index); }

  void* handle = nullptr;
  int (*init)() = nullptr;
  void (*deinit)() = nullptr;
  void (*pluginInfo)(f0r_plugin_info_t*) = nullptr;
  void (*paramInfo)(f0r_param_info_t*, int) = nullptr;
  f0r_instance_t (*construct)(unsigned, unsigned) = nullptr;
  void (*destruct)(f0r_instance_t) = nullptr;
  void (*setParam)(f0r_instance_t, f0r_param_t, int) = nullptr;
  void (*getParam)(f0r_instance_t, f0r_param_t, int) = nullptr;
  void (*update)(f0r_instance_t, double, const uint32_t*, uint32_t*) = nullptr;
};

// An RGBA frame whose pixels all differ from their neighbours, changing with `seed`.
inline std::vector<uint32_t> patternFrame(unsigned width, unsigned height, int seed) {
  std::vector<uint32_t> frame(size_t(width) * height);
  uint8_t* p = reinterpret_cast<uint8_t*>(frame.data());
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x, p += 4) {
      p[0] = uint8_t(x * 3 + seed), p[1] = uint8_t(y * 5), p[2] = uint8_t((x ^ y) + 7 * seed), p[3] = 255;
    }
  return frame;
}

}  // namespace frei0rtest
