#include "host/plugin_context.h"

#include "platform/settings_file.h"
#include "show/show_state.h"

namespace {
PluginContext* gContext = nullptr;
}

PluginContext::PluginContext(SettingsFile& s) : settings(s) {
  show = std::make_unique<ShowState>(settings);
  show->fastDisplay = 0;
}

PluginContext::~PluginContext() = default;

PluginContext* pluginContext() { return gContext; }

void attachPlugin() {
  if (gContext) return;
  settings().readSettings();
  gContext = new PluginContext(settings());
}

void detachPlugin() {
  if (!gContext) return;
  delete gContext;
  gContext = nullptr;
  settings().writeSettings();
}
