#include "app/demo_show.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <memory>

#include "platform/resource_store.h"
#include "platform/settings_file.h"
#include "show/show_state.h"

namespace fs = std::filesystem;

namespace {

struct Key {
  int time;
  float x, y, width, height, rotation, amount;
};

bool writeResource(int number, const fs::path& path, std::string& error) {
  const ResourceBytes bytes = findResource(ResourceKind::data, number);
  if (!bytes) {
    error = "the program carries no demo picture " + std::to_string(number);
    return false;
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  const bool ok = f && std::fwrite(bytes.bytes, 1, bytes.size, f) == bytes.size;
  if (f && std::fclose(f) != 0) return false;
  if (!ok) error = "cannot write '" + path.string() + "'";
  return ok;
}

bool addPicture(ShowState& show, const fs::path& path, int brushCode, std::initializer_list<Key> keys,
                std::string& error) {
  FileSpec file;
  file.setPath(path.string());
  const int before = show.pictureCount;
  const int slot = show.loadPicture(file, -1);
  if (show.pictureCount != before + 1 || slot < 0) {
    error = "cannot load the demo picture '" + path.string() + "'";
    return false;
  }
  int i = 0;
  for (const Key& k : keys) {
    KeyFrame key;
    key.x = k.x;
    key.y = k.y;
    key.width = k.width;
    key.height = k.height;
    key.rotation = k.rotation;
    key.amount = k.amount;
    key.time = k.time;
    show.putKey(i++, key, slot);
  }
  show.slots[slot].keyCount = i;
  show.slots[slot].brushCode = brushCode;
  return true;
}

}  // namespace

bool buildDemoShow(const std::string& folder, ShowBlock& block, std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) {
    error = "cannot make the folder '" + folder + "': " + ec.message();
    return false;
  }
  const fs::path dir = fs::absolute(folder);
  const fs::path logo = dir / "logo.tga", photo = dir / "photo.bmp", brush = dir / "brush.tga";
  if (!writeResource(kDemoLogoResource, logo, error) || !writeResource(kDemoPhotoResource, photo, error) ||
      !writeResource(kDemoBrushResource, brush, error))
    return false;

  // A private settings text: the demo looks the same whatever the user has set.
  SettingsFile settings;
  auto owned = std::make_unique<ShowState>(settings);
  ShowState& show = *owned;
  const int last = kDemoFrames - 1;
  // Slot 0 is drawn last, on top: the logo flies in, spins and fades out.
  if (!addPicture(show, logo, kBrushNone,
                  {{0, -120, 110, 220, 110, -30, 0},
                   {45, 320, 110, 220, 110, 0, 0},
                   {90, 320, 110, 260, 130, 360, 0},
                   {last, 320, 60, 160, 80, 360, 100}},
                  error))
    return false;
  // Slot 1: a soft brush that blurs what lies below it, sweeping across the photo.
  if (!addPicture(show, brush, kBrushBlur,
                  {{0, 170, 300, 150, 150, 0, 90}, {75, 470, 280, 190, 190, 0, 90}, {last, 320, 320, 120, 120, 0, 60}},
                  error))
    return false;
  // Slot 2: the photo, slowly turning and growing over the background.
  if (!addPicture(show, photo, kBrushNone,
                  {{0, 320, 300, 300, 225, -6, 20}, {last, 320, 290, 400, 300, 6, 0}}, error))
    return false;

  if (show.storeShow(block.data(), block.bytes.size()) <= 0) {
    error = "the demo show does not fit the parameter block";
    return false;
  }
  const fs::path saved = dir / "demo.kmv";
  std::FILE* f = std::fopen(saved.c_str(), "wb");
  uint32_t length = 0;
  std::memcpy(&length, block.data() + 4, 4);
  const bool ok = f && std::fwrite(block.data(), 1, length, f) == length;
  if (f && std::fclose(f) != 0) return false;
  if (!ok) {
    error = "cannot write '" + saved.string() + "'";
    return false;
  }
  return true;
}
