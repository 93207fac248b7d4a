#pragma once
// Whole-file reads and replacing writes for show files. A write goes to a temporary file in the same
// folder, which is renamed over the target only once every byte is on disk, so that a failed save
// never leaves a cut-short show behind.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads at most `limit` bytes of the file; `truncated` tells whether the file held more. False with
// the system's reason in error when the file cannot be opened or read.
bool readFileBytes(const std::string& path, size_t limit, std::vector<uint8_t>& out, bool& truncated,
                   std::string& error);
// False with the system's reason in error; the target is then as it was before.
bool writeFileReplacing(const std::string& path, const uint8_t* data, size_t size, std::string& error);
