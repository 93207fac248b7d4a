// Stand-in until Advanced Options is built.
#include "editor/shell/advanced_options.h"

void advancedOptions() {}
