#pragma once
// Writing a file so that a failure never leaves it half written: the bytes go to a temporary file in
// the same folder, which is flushed to disk and only then renamed over the target. A replaced file
// keeps its permissions; a new one gets the usual ones for a new file.
#include <cstddef>
#include <cstdint>
#include <string>

// False with the system's reason in error (the temporary file removed, the target as it was).
bool writeFileSafely(const std::string& path, const uint8_t* data, size_t size, std::string& error);
