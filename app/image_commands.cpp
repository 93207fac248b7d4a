#include "app/commands.h"

void addImageCommands(CLI::App& app) { (void)app; }
