// The plug-in's exported entry points. Each catches everything: no exception may reach the host.
#include <cstdio>
#include <cstring>

#include "host/edit_run.h"
#include "host/frame_timing.h"
#include "host/host_records.h"
#include "host/movie_making.h"
#include "host/pipl_resource.h"
#include "host/plugin_context.h"
#include "host/render_action.h"
#include "platform/platform_state.h"
#include "show/show_state.h"

namespace {

void copyText(char* field, size_t size, const char* text) {
  std::memset(field, 0, size);
  std::strncpy(field, text, size - 1);
}

void reportFailure(const char* where) { std::fprintf(stderr, "kestrelmove plug-in: %s failed unexpectedly\n", where); }

// Library attach and detach.
__attribute__((constructor)) void onAttach() {
  try {
    attachPlugin();
  } catch (...) {
    reportFailure("start-up");
  }
}

__attribute__((destructor)) void onDetach() {
  try {
    detachPlugin();
  } catch (...) {
    reportFailure("shut-down");
  }
}

}  // namespace

extern "C" {

KM_EXPORT int32_t vfExpress(PluginIdentity* identity) {
  if (!identity) return 1;
  std::memset(identity, 0, sizeof *identity);
  identity->interfaceVersion = 0x40000;
  copyText(identity->shortName, sizeof identity->shortName, "Kestrelmove");
  copyText(identity->name, sizeof identity->name, "Kestrelmove");
  copyText(identity->menuName, sizeof identity->menuName, "&Kestrelmove");
  copyText(identity->groupName, sizeof identity->groupName, "Marrowlane");
  copyText(identity->groupMenuName, sizeof identity->groupMenuName, "&Marrowlane");
  identity->parameterSize = KM_PARAMETER_BLOCK_SIZE;
  identity->hostField280 = 0;
  identity->hostField284 = 21;
  return 1;
}

KM_EXPORT int32_t vfGetInfo(int32_t, int32_t, int32_t request, InfoRecord* info) {
  try {
    PluginContext* context = pluginContext();
    if (!context) return 0;
    switch (request) {
      case KM_INFO_RESET:
        std::memset(context->spareBlock, 0, sizeof context->spareBlock);
        // Clearing the first byte breaks the stored show's magic number, so it is never loaded again.
        if (info && info->parameters && info->parameters->parameterBlock) info->parameters->parameterBlock[0] = 0;
        context->editor.newShow();
        return 1;
      case KM_INFO_MAKE_MOVIE:
        return makeMovie(*context, info);
      default:
        return 1;
    }
  } catch (...) {
    reportFailure("vfGetInfo");
    return 0;
  }
}

KM_EXPORT int32_t vfAction(int32_t, ActionRecord* record) {
  try {
    PluginContext* context = pluginContext();
    // Without its state (a failed start-up) or a record the plug-in does nothing, and says so.
    if (!context || !record) return 0;
    context->show->frameRate = frameRateFromCode(record->frameRateCode);
    context->currentAction = record;
    // The host's record lives only for this call; nothing may reach it afterwards.
    struct ForgetRecord {
      PluginContext* context;
      ~ForgetRecord() { context->currentAction = nullptr; }
    } forget{context};
    switch (record->action) {
      case KM_ACTION_EDIT:
        return editRun(*context, *record);
      case KM_ACTION_RENDER:
        return renderAction(*context, *record);
      default:
        return 1;
    }
  } catch (...) {
    reportFailure("vfAction");
    return 0;
  }
}

KM_EXPORT const uint8_t* kmPiplBytes(size_t* size) {
  try {
    const std::vector<uint8_t>& bytes = piplBytes();
    if (size) *size = bytes.size();
    return bytes.data();
  } catch (...) {
    if (size) *size = 0;
    return nullptr;
  }
}

KM_EXPORT int32_t kmPluginStatus(KmPluginStatus* status) {
  PluginContext* context = pluginContext();
  if (!status || !context) return 0;
  const ShowState& show = *context->show;
  status->frameRate = show.frameRate;
  status->pictureCount = show.pictureCount;
  status->changeStamp = show.changeStamp;
  status->showLoads = context->showLoads;
  status->lastTime = context->lastTime;
  status->lastField = context->lastField;
  status->lastLineFlag = context->lastLineFlag;
  status->outputWidth = context->output.width();
  status->outputHeight = context->output.height();
  status->workRight = platformState().workRight;
  status->workBottom = platformState().workBottom;
  return 1;
}

KM_EXPORT int32_t kmEditScriptStatus(KmEditScriptStatus* status) {
  PluginContext* context = pluginContext();
  if (!status || !context) return 0;
  *status = context->script;
  return 1;
}

}  // extern "C"
