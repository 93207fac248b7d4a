#pragma once
// The host's render action: one frame of the show into the host's destination frame.
#include <cstdint>

#include "host/host_records.h"

class ImageBuffer;
struct PluginContext;

// The parameter block the record leads to (record -> project -> parameters -> block), or null when
// any link is missing.
uint8_t* parameterBlockOf(const ActionRecord& record);

// The change stamp of a stored show, read in the block's own byte order.
uint16_t storedChangeStamp(const uint8_t* block);

// Copies a 32-bit image into destination pixels of bytesPerPixel 3 or 4, rows at rowStep bytes.
void copyToDestination(const ImageBuffer& image, uint8_t* destination, int bytesPerPixel, int rowStep);

// Renders the record's frame. Returns 1, or 0 when the destination frame cannot be rendered into
// (no header or pixels, a size outside 1..8192, a depth other than 24 or 32 bits).
int32_t renderAction(PluginContext& context, const ActionRecord& record);
