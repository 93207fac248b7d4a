#include "app/plugin_library.h"

#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

PluginLibrary::~PluginLibrary() {
  if (handle_) dlclose(handle_);
}

std::unique_ptr<PluginLibrary> PluginLibrary::open(const std::string& path, std::string& error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    error = "cannot load the plug-in '" + path + "': " + (why ? why : "unknown error");
    return nullptr;
  }
  std::unique_ptr<PluginLibrary> lib(new PluginLibrary);
  lib->handle_ = handle;
  lib->express = reinterpret_cast<VfExpressProc>(dlsym(handle, "vfExpress"));
  lib->getInfo = reinterpret_cast<VfGetInfoProc>(dlsym(handle, "vfGetInfo"));
  lib->action = reinterpret_cast<VfActionProc>(dlsym(handle, "vfAction"));
  lib->pipl = reinterpret_cast<KmPiplBytesProc>(dlsym(handle, "kmPiplBytes"));
  lib->status = reinterpret_cast<KmPluginStatusProc>(dlsym(handle, "kmPluginStatus"));
  lib->editScriptStatus = reinterpret_cast<KmEditScriptStatusProc>(dlsym(handle, "kmEditScriptStatus"));
  if (!lib->express || !lib->getInfo || !lib->action) {
    error = "'" + path + "' is not a Kestrelmove plug-in (vfExpress, vfGetInfo or vfAction missing)";
    return nullptr;
  }
  return lib;
}

std::vector<std::unique_ptr<PluginLibrary>> PluginLibrary::openCopies(const std::string& path, int count,
                                                                     std::string& error) {
  std::vector<std::unique_ptr<PluginLibrary>> copies;
  auto first = open(path, error);
  if (!first) return {};
  const std::string original = first->path();
  copies.push_back(std::move(first));
  if (count <= 1) return copies;

  // The loader keeps one copy per file, so each further instance comes from a file of its own. The
  // files are removed as soon as they are loaded; the movie library they need is already loaded.
  std::string pattern = (fs::temp_directory_path() / "kestrelmove-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    error = "cannot make a temporary folder for the plug-in copies";
    return {};
  }
  const fs::path folder = pattern;
  for (int i = 1; i < count; ++i) {
    const fs::path copy = folder / ("libkestrelmove-" + std::to_string(i) + ".so");
    std::error_code ec;
    fs::copy_file(original, copy, ec);
    std::unique_ptr<PluginLibrary> lib;
    if (!ec) lib = open(copy.string(), error);
    else error = "cannot copy the plug-in for thread " + std::to_string(i + 1) + ": " + ec.message();
    fs::remove(copy, ec);
    if (!lib) {
      fs::remove_all(folder, ec);
      return {};
    }
    copies.push_back(std::move(lib));
  }
  std::error_code ec;
  fs::remove_all(folder, ec);
  return copies;
}

std::string PluginLibrary::path() const {
  Dl_info info{};
  if (express && dladdr(reinterpret_cast<void*>(express), &info) && info.dli_fname) return info.dli_fname;
  return "";
}

std::string PluginLibrary::movieLibraryPath() const {
  void* makeFilm = handle_ ? dlsym(handle_, "MakeFilm") : nullptr;
  Dl_info info{};
  if (makeFilm && dladdr(makeFilm, &info) && info.dli_fname) return info.dli_fname;
  return "";
}

std::string defaultPluginPath() {
  if (const char* env = std::getenv("KESTRELMOVE_PLUGIN"); env && *env) return env;
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const fs::path beside = self.parent_path() / "libkestrelmove.so";
    if (fs::exists(beside, ec)) return beside.string();
  }
  return "libkestrelmove.so";
}
