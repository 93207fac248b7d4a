#pragma once
// Sub-commands of the kestrelmove program. Each group adds its commands to the application.
#include <CLI/CLI.hpp>

void addShowCommands(CLI::App& app);   // show dump|build|state
void addImageCommands(CLI::App& app);  // image info|convert
void addRenderCommands(CLI::App& app); // render, movie, info, demo

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitBadInput = 2;
