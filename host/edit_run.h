#pragma once
// The host's edit action: the show from the host's block goes into the editor, the editor runs in a
// modal loop over the plug-in's own windows until it posts its quit code, and on "apply" the show is
// stored back into the block.
#include <cstdint>

#include "host/host_records.h"

struct PluginContext;

// Runs one edit for the record. Returns 1 when the changes were applied, 0 when they were discarded.
int32_t editRun(PluginContext& context, const ActionRecord& record);

// The modal loop: sleeps 10 ms, takes the next message, and with filtering on drops every message
// for a window that is not the plug-in's own; returns the quit message's code.
int modalLoop(bool filtering);

// What follows the loop: with quit code 0 and a block the show is stored into it (1, or 0 when it
// does not fit and nothing was stored); otherwise the spare block is put back from the backup and
// the result is 1 for code 0 without a block, else 0.
int32_t finishEditRun(PluginContext& context, uint8_t* block, int quitCode);
