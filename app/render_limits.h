#pragma once
// Bounds on what one render may take from the machine: how many frames a show may ask for by its own
// length, and how much memory the pictures of a show may take in the plug-in.
#include <cstdint>
#include <string>

#include "app/media/frame_rate.h"
#include "app/show_block.h"

namespace CLI {
class App;
}
struct RenderOptions;

// The longest render a show's own length may ask for; a longer one needs --frames.
constexpr double kLongestShowSeconds = 24 * 60 * 60;

// "1073741824", "512K", "64M", "4G" (1024-based, either case): false for anything else, for 0 and
// for sizes beyond 64 bits.
bool parseMemorySize(const std::string& text, uint64_t& bytes);
// Half of the machine's memory.
uint64_t defaultPictureMemory();
// "4 GiB", "300 MiB", "512 bytes": sizes as the messages give them.
std::string describeBytes(uint64_t bytes);

// False when frames (the show's own length) run longer than 24 hours at the output rate.
bool checkShowDuration(int64_t frames, const FrameRate& rate, std::string& error);

// Adds --max-picture-memory to a render or movie command.
void addRenderLimitOptions(CLI::App& command, RenderOptions& options);

// The memory the show's pictures take in one copy of the plug-in: 4 bytes per pixel of every
// record's picture, measured by loading each file once (pictures that cannot be loaded count nothing:
// the placeholder stands in). False, naming the largest pictures, when copies of the plug-in together
// would need more than the budget given by maxPictureMemory (empty: defaultPictureMemory()).
bool checkPictureMemory(const ShowBlock& block, const std::string& maxPictureMemory, int copies,
                        std::string& error);
