#include "host/movie_making.h"

#include <cstdlib>
#include <cstring>

#include "host/plugin_context.h"

int32_t parameterCallback(int32_t code, int32_t, uint8_t** slot, const ParameterTrackEntry* first,
                          const ParameterTrackEntry* second) {
  constexpr size_t kSize = KM_PARAMETER_BLOCK_SIZE;
  switch (int16_t(code)) {
    case KM_PARAMETERS_BLEND:
      if (!slot || !*slot || !first || !first->area || !second || !second->area) return 0;
      std::memmove(*slot, first->area, kSize);
      std::memmove(*slot, second->area, kSize);
      return 1;
    case KM_PARAMETERS_ALLOCATE:
      if (!slot) return 0;
      *slot = static_cast<uint8_t*>(std::calloc(1, kSize));
      return *slot ? 1 : 0;
    case KM_PARAMETERS_FREE:
      if (slot && *slot) {
        std::free(*slot);
        *slot = nullptr;  // the slot never points at freed memory
      }
      return 1;
    case KM_PARAMETERS_COPY:
      if (!slot || !*slot || !first || !first->area) return 0;
      std::memmove(*slot, first->area, kSize);
      return 1;
    default:
      return 1;
  }
}

int32_t progressCallback(int32_t) { return 1; }

int32_t makeMovie(PluginContext& context, InfoRecord* info) {
  if (!info) return 0;
  ParameterTrackEntry entries[2] = {{0, context.spareBlock}, {9, context.spareBlock}};
  ParameterTrackDescriptor descriptor{0, 9, 2, entries};
  const bool standIn = info->parameterTracks == nullptr;
  if (standIn) info->parameterTracks = &descriptor;
  const int32_t result = MakeFilm(info, parameterCallback, progressCallback, -1);
  if (standIn) info->parameterTracks = nullptr;
  return result;
}
