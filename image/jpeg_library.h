#pragma once
// JPEG decoding comes from libjpeg-turbo's TurboJPEG library, loaded at run time so that the program
// runs (without JPEG support) where it is missing.

#include <mutex>

// Whether the library can be loaded now; it is released again at once.
bool jpegLibraryAvailable();

// Held while the library is loaded, looked up or released: shows are built and pictures read on
// several threads at once, and the loader's own lock is one that race checkers cannot see.
std::mutex& jpegLibraryLock();

// The name the library is loaded by; KESTRELMOVE_TURBOJPEG overrides it (tests use a bad name to see
// the program without JPEG support).
const char* jpegLibraryName();
