#pragma once
// A fresh headless screen, window layer, settings folder and show for each editor test, with the
// editor's context registered. Tests then create the windows they need and work them through the
// screen's input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "editor/editor_context.h"
#include "platform/messages.h"
#include "platform/platform_state.h"
#include "platform/screen/headless_backend.h"
#include "platform/screen/screen.h"
#include "platform/settings_file.h"
#include "show/show_state.h"

class EditorTest : public ::testing::Test {
 protected:
  // Settings lines ("Key=value") written before the window layer reads them.
  virtual std::string initialSettings() const { return ""; }

  void SetUp() override {
    configDir = std::filesystem::path(::testing::TempDir()) /
                ("km-editor-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(configDir);
    std::filesystem::create_directories(configDir);
    setenv("KESTRELMOVE_CONFIG_DIR", configDir.c_str(), 1);
    if (!initialSettings().empty()) {
      FILE* f = std::fopen((configDir / "Kestrelmove.ini").c_str(), "wb");
      std::string text = "[Kestrelmove]\r\n" + initialSettings();
      std::fwrite(text.data(), 1, text.size(), f);
      std::fclose(f);
    }
    ws::startScreen(std::make_unique<ws::HeadlessBackend>(), 1024, 768);
    platformInit(nullptr, "Kestrelmove", 101);
    show = std::make_unique<ShowState>(settings());
    context.show = show.get();
    setEditorContext(&context);
  }

  void TearDown() override {
    setEditorContext(nullptr);
    show.reset();
    platformExit();
    ws::stopScreen();
    std::filesystem::remove_all(configDir);
  }

  // Dispatches everything queued, paints included, as a message loop would.
  static void pump() {
    WindowMessage m;
    while (peekMessage(m)) dispatch(m);
  }

  std::filesystem::path configDir;
  std::unique_ptr<ShowState> show;
  EditorContext context;
};
