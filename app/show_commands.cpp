#include "app/commands.h"

void addShowCommands(CLI::App& app) { (void)app; }
