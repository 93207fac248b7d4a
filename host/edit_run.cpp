#include "host/edit_run.h"

#include <fcntl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "editor/script/script_player.h"
#include "editor/shell/editor_window.h"
#include "host/host_frame_input.h"
#include "host/plugin_context.h"
#include "host/render_action.h"
#include "platform/messages.h"
#include "platform/screen/screen.h"
#include "platform/window.h"
#include "show/show_state.h"

namespace {

// Windows the window system opens on behalf of the plug-in's own (the drop-down of a menu) belong
// to the plug-in as well: dropping their messages would leave an open menu unpainted.
bool belongsToPlugin(ws::WindowHandle h) {
  ws::Screen& s = ws::screen();
  for (int depth = 0; h && depth < 64; ++depth) {
    if (isOwnWindow(h)) return true;
    const ws::ScreenWindow* w = s.window(h);
    if (!w) return false;
    h = w->parent ? w->parent : w->owner;
  }
  return false;
}

void setScriptFailure(KmEditScriptStatus& status, const std::string& message) {
  status.outcome = KM_SCRIPT_FAILED;
  std::snprintf(status.message, sizeof status.message, "%s", message.c_str());
}

// The script the host handed over for this edit, parsed; none when it gave none. False when it
// cannot be read or parsed (the status says why).
bool loadHostScript(KmEditScriptStatus& status, std::optional<ScriptPlayer>& player) {
  status = KmEditScriptStatus{};
  const char* path = std::getenv("KESTRELMOVE_SCRIPT");
  if (!path || !*path) return true;
  // A pipe (a program choosing each next command from the read-outs) is read as the commands run.
  std::error_code ec;
  if (std::filesystem::is_fifo(path, ec)) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      setScriptFailure(status, std::string("cannot read the script '") + path + "'");
      return false;
    }
    player.emplace(ScriptPlayer::Stream{fd});
    return true;
  }
  std::vector<ScriptCommand> commands;
  std::string error;
  if (!readInputScript(path, commands, error)) {
    setScriptFailure(status, error);
    return false;
  }
  player.emplace(std::move(commands));
  return true;
}

void recordScriptOutcome(KmEditScriptStatus& status, const ScriptPlayer& player, int quitCode) {
  status.line = player.lastLine();
  status.remaining = int32_t(player.remaining());
  if (player.failed()) setScriptFailure(status, player.error());
  else if (quitCode == ws::Screen::kNoMoreInput && player.finished()) status.outcome = KM_SCRIPT_ENDED_OPEN;
  else status.outcome = KM_SCRIPT_DONE;
}

}  // namespace

int modalLoop(bool filtering) {
  ws::Screen& s = ws::screen();
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    WindowMessage m;
    if (!getMessage(m)) return int(int64_t(m.wParam));
    if (filtering && !belongsToPlugin(m.window)) {
      // A paint that is dropped must not come back at once, or the loop would never see anything
      // else.
      if (m.message == ws::WM_PAINT && s.isWindow(m.window)) s.validate(m.window);
      continue;
    }
    dispatch(m);
  }
}

int32_t finishEditRun(PluginContext& context, uint8_t* block, int quitCode) {
  if (quitCode == kQuitApply && block) {
    if (context.show->storeShow(block, KM_PARAMETER_BLOCK_SIZE) > 0) return 1;
    // The editor does not close on apply while the show does not fit; should it come to this anyway,
    // the host's block keeps what it held and the host hears "discarded", never "applied".
    std::fprintf(stderr, "kestrelmove: the show needs %zu bytes, more than the host's %d-byte block; nothing applied\n",
                 context.show->storedSize(), KM_PARAMETER_BLOCK_SIZE);
  }
  std::memcpy(context.spareBlock, context.backupBlock, sizeof context.spareBlock);
  return quitCode == kQuitApply && !block ? 1 : 0;
}

int32_t editRun(PluginContext& context, const ActionRecord& record) {
  std::optional<ScriptPlayer> player;
  if (!loadHostScript(context.script, player)) return 0;

  std::memcpy(context.backupBlock, context.spareBlock, sizeof context.backupBlock);
  uint8_t* block = parameterBlockOf(record);
  EditorContext& editor = context.editor;
  HostFrameInput frames(&record);
  editor.frameInput = &frames;
  // However the run ends, the screen must not keep asking a player that is gone, nor the stage a
  // record that lives only for this call.
  struct RunScope {
    EditorContext& editor;
    bool scripted;
    ~RunScope() {
      if (scripted) ws::screen().setInputDriver(nullptr);
      editor.editor = nullptr;
      editor.frameInput = nullptr;
      editor.viewsChanged();
    }
  } scope{editor, player.has_value()};
  // Installed before the show is loaded: a picture that cannot be read raises its message box there,
  // and the script answers it as a user would; with no input the box would end the run before the
  // editor opened.
  if (player) player->install(ws::screen());
  // A block without a show in it leaves the show as it was.
  if (block) context.show->loadShow(block, KM_PARAMETER_BLOCK_SIZE, false);
  context.show->showLength = record.length;

  int quitCode = kQuitDiscard;
  {
    auto window = std::make_unique<EditorWindow>(static_cast<ws::WindowHandle>(reinterpret_cast<uintptr_t>(record.parentWindow)));
    window->paint();
    quitCode = modalLoop(true);
  }
  if (player) recordScriptOutcome(context.script, *player, quitCode);
  return finishEditRun(context, block, quitCode);
}
