#pragma once
// The plug-in as the host program sees it: a shared library loaded with dlopen, its entry points found
// by name. The library is found through KESTRELMOVE_PLUGIN, beside the program, or on the library
// search path.
#include <memory>
#include <string>
#include <vector>

#include "host/host_records.h"

class PluginLibrary {
 public:
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  // Loads the library at path (any name the dynamic loader understands). Null with the reason in
  // error when it cannot be loaded or lacks an entry point.
  static std::unique_ptr<PluginLibrary> open(const std::string& path, std::string& error);

  // `count` independent copies of the library, each with its own show and state, so that each can
  // render on its own thread (the entry points are single-threaded by contract). The first is the
  // library at path itself; the others are loaded from private copies of the file.
  static std::vector<std::unique_ptr<PluginLibrary>> openCopies(const std::string& path, int count,
                                                               std::string& error);

  VfExpressProc express = nullptr;
  VfGetInfoProc getInfo = nullptr;
  VfActionProc action = nullptr;
  KmPiplBytesProc pipl = nullptr;
  KmPluginStatusProc status = nullptr;
  KmEditScriptStatusProc editScriptStatus = nullptr;

  // Where the library and its movie library were loaded from.
  std::string path() const;
  std::string movieLibraryPath() const;

 private:
  PluginLibrary() = default;
  void* handle_ = nullptr;
};

// The plug-in the program uses: $KESTRELMOVE_PLUGIN, else libkestrelmove.so beside the program, else
// the bare name for the loader's own search.
std::string defaultPluginPath();
