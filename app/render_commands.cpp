#include "app/commands.h"

void addRenderCommands(CLI::App& app) { (void)app; }
