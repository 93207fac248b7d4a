#pragma once
// The plug-in's process-wide objects, kept together in one place: the show, the record of the last
// vfAction call, the spare and backup parameter areas and the render action's output image. They
// exist from library attach to library detach; core code gets what it needs as parameters.
#include <cstdint>
#include <memory>

#include "editor/editor_context.h"
#include "host/host_records.h"
#include "image/image_buffer.h"

class FrameRenderer;
class ShowState;
class SettingsFile;

struct PluginContext {
  explicit PluginContext(SettingsFile& settings);
  ~PluginContext();
  PluginContext(const PluginContext&) = delete;
  PluginContext& operator=(const PluginContext&) = delete;

  SettingsFile& settings;
  std::unique_ptr<ShowState> show;
  // The record of the most recent vfAction call; the frame input reads it. Valid only during the call.
  const ActionRecord* currentAction = nullptr;
  // The plug-in's own parameter area: zeroed by the reset request, the parameter data of movie making
  // when the host gives none.
  uint8_t spareBlock[KM_PARAMETER_BLOCK_SIZE] = {};
  uint8_t backupBlock[KM_PARAMETER_BLOCK_SIZE] = {};
  ImageBuffer output{16, 16, 8};
  // The host frame of the render action's last frame, under its pictures.
  ImageBuffer renderBackground{8, 8, 32};
  // Draws the render action's frames, kept between them with what it works out once per output size
  // (and the scaled background picture, while that stays the same).
  std::unique_ptr<FrameRenderer> renderer;
  // The editor's process-wide objects (its windows exist only during an edit run), registered with
  // the editor from attach to detach.
  EditorContext editor;
  // How the last edit's input script went (kmEditScriptStatus).
  KmEditScriptStatus script{};

  // Diagnostics (kmPluginStatus).
  int32_t showLoads = 0;
  int32_t lastTime = 0;
  int32_t lastField = 0;
  int32_t lastLineFlag = 0;
};

// The context between attach and detach, null otherwise.
PluginContext* pluginContext();

// Library attach and detach: start the window layer (fonts, work area, settings read) and create the
// show with an empty new show; destroy the show and shut the window layer down (settings written).
void attachPlugin();
void detachPlugin();
