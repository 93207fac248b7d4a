#include "image/jpeg_library.h"

#include <dlfcn.h>

#include <cstdlib>

const char* jpegLibraryName() {
  const char* name = std::getenv("KESTRELMOVE_TURBOJPEG");
  return name && *name ? name : "libturbojpeg.so.0";
}

std::mutex& jpegLibraryLock() {
  static std::mutex lock;
  return lock;
}

bool jpegLibraryAvailable() {
  const std::lock_guard<std::mutex> guard(jpegLibraryLock());
  void* handle = dlopen(jpegLibraryName(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return false;
  dlclose(handle);
  return true;
}
