// The frei0r entry points. Each catches whatever the core might throw (memory running out), since no
// exception may cross into the host; a frame that cannot be rendered passes through unchanged.
#include "frei0r/frei0r_api.h"

#include <cstring>
#include <new>

#include "frei0r/filter_instance.h"
#include "frei0r/filter_parameters.h"

namespace {
FilterInstance* instanceOf(f0r_instance_t instance) { return static_cast<FilterInstance*>(instance); }
bool validIndex(int index) { return index >= 0 && index < kParamCount; }
}  // namespace

#define KM_EXPORT __attribute__((visibility("default")))

extern "C" {

KM_EXPORT int f0r_init() { return 1; }

KM_EXPORT void f0r_deinit() {}

KM_EXPORT void f0r_get_plugin_info(f0r_plugin_info_t* info) {
  if (!info) return;
  info->name = "kestrelmove";
  info->author = "Kestrelmove";
  info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
  // FFmpeg maps this model to its rgba format and MLT hands its rgba images over as they are; both
  // keep the bytes in memory order, red first.
  info->color_model = F0R_COLOR_MODEL_RGBA8888;
  info->frei0r_version = FREI0R_MAJOR_VERSION;
  info->major_version = 0;
  info->minor_version = 1;
  info->num_params = kParamCount;
  info->explanation = "Puts a Kestrelmove show (.kmv) over the clip, with the frames of \"kestrelmove render\"";
}

KM_EXPORT void f0r_get_param_info(f0r_param_info_t* info, int index) {
  if (!info || !validIndex(index)) return;
  const ParameterDescription& p = parameterDescription(index);
  info->name = p.name;
  info->type = p.type;
  info->explanation = p.explanation;
}

KM_EXPORT f0r_instance_t f0r_construct(unsigned int width, unsigned int height) {
  try {
    return new FilterInstance(width, height);
  } catch (...) {
    return nullptr;
  }
}

KM_EXPORT void f0r_destruct(f0r_instance_t instance) { delete instanceOf(instance); }

KM_EXPORT void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
  if (!instance || !param || !validIndex(index)) return;
  // Every parameter is a string (filter_parameters.h says why).
  try {
    instanceOf(instance)->setText(index, *static_cast<f0r_param_string*>(param));
  } catch (...) {
  }
}

KM_EXPORT void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
  if (!instance || !param || !validIndex(index)) return;
  // The string stays the instance's own until the value changes, as frei0r asks.
  *static_cast<f0r_param_string*>(param) = const_cast<char*>(instanceOf(instance)->textValue(index));
}

KM_EXPORT void f0r_update(f0r_instance_t instance, double time, const uint32_t* inframe, uint32_t* outframe) {
  if (!instance) return;
  try {
    instanceOf(instance)->update(time, inframe, outframe);
  } catch (...) {
    instanceOf(instance)->passThrough(inframe, outframe);
  }
}

}  // extern "C"
