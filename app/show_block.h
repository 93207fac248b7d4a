#pragma once
// The host's parameter block: 64000 bytes that hold a stored show, read from a show file.
#include <cstdint>
#include <string>
#include <vector>

#include "host/host_records.h"
#include "show/stored_show.h"

struct ShowBlock {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(KM_PARAMETER_BLOCK_SIZE, 0);
  uint8_t* data() { return bytes.data(); }
  // The show as readShowBlock parsed it (the pictures' files and where their records start).
  StoredShow show;
};

// Reads a show file into the block. Returns false with a one-line reason when the file cannot be read,
// does not parse as a complete stored show (the same test as "show dump"), or does not fit the block.
bool readShowBlock(const std::string& path, ShowBlock& block, std::string& error);

// The show's length in frames as the last store recorded it (in the first key of the first picture),
// else one frame past the last key; at least 1.
int storedShowLength(const ShowBlock& block);
