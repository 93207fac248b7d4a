#include "host/plugin_context.h"

#include <dlfcn.h>

#include "host/run_overrides.h"
#include "platform/platform_state.h"
#include "platform/settings_file.h"
#include "render/render_show.h"
#include "show/show_state.h"

namespace {
PluginContext* gContext = nullptr;

// The loaded copy of this library, as the window layer keeps its module: several copies may live in
// one process, each with its own.
void* thisLibrary() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&attachPlugin), &info) && info.dli_fbase) return info.dli_fbase;
  return nullptr;
}
}  // namespace

PluginContext::PluginContext(SettingsFile& s) : settings(s) {
  show = std::make_unique<ShowState>(settings);
  renderer = std::make_unique<FrameRenderer>(1);
  applyRunOverrides(*show);
  show->fastDisplay = 0;
  editor.show = show.get();
  setEditorContext(&editor);
}

PluginContext::~PluginContext() {
  setEditorContext(nullptr);
  show->setViews(nullptr);
}

PluginContext* pluginContext() { return gContext; }

void attachPlugin() {
  if (gContext) return;
  // The window layer reads the settings; it opens no window until the editor shows one, so that a
  // render from the command line stays on the console.
  platformInit(thisLibrary(), "Kestrelmove", 101);
  gContext = new PluginContext(settings());
}

void detachPlugin() {
  if (!gContext) return;
  delete gContext;
  gContext = nullptr;
  // Deletes the fonts and writes the settings.
  platformExit();
  // The library may be unloaded next: nothing of it stays behind on the heap.
  releasePlatformState();
  releaseSettings();
}
