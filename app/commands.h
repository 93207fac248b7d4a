#pragma once
// Sub-commands of the kestrelmove program. Each group adds its commands to the application.
#include <CLI/CLI.hpp>

void addShowCommands(CLI::App& app);   // show dump|build|state
void addImageCommands(CLI::App& app);  // image info|convert
void addRenderCommands(CLI::App& app); // render, movie, info, demo
void addEditCommand(CLI::App& app);    // edit

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitBadInput = 2;
// edit: the input script ran out while the editor was still open.
constexpr int kExitScriptEndedOpen = 3;
