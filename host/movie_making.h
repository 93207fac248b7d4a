#pragma once
// Movie making: the plug-in hands the host's movie library (MakeFilm) its two callbacks; the library
// asks for parameter areas and renders the frames through vfAction.
#include <cstdint>

#include "host/host_records.h"

struct PluginContext;

// Parameter areas of KM_PARAMETER_BLOCK_SIZE bytes. Returns 1, or 0 when an area cannot be allocated
// or a copy is asked for without its areas.
int32_t parameterCallback(int32_t code, int32_t ignored, uint8_t** slot, const ParameterTrackEntry* first,
                          const ParameterTrackEntry* second);
// Always carries on.
int32_t progressCallback(int32_t progress);

// Calls MakeFilm; when the host gives no parameter track, one pointing at the spare block twice stands
// in for the duration of the call. Returns what MakeFilm returns (0 without an InfoRecord).
int32_t makeMovie(PluginContext& context, InfoRecord* info);
