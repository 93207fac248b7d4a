#pragma once
// JPEG decoding comes from libjpeg-turbo's TurboJPEG library, loaded at run time so that the program
// runs (without JPEG support) where it is missing.

// Whether the library can be loaded now; it is released again at once.
bool jpegLibraryAvailable();

// The name the library is loaded by; KESTRELMOVE_TURBOJPEG overrides it (tests use a bad name to see
// the program without JPEG support).
const char* jpegLibraryName();
