#pragma once
// The host program is a renderer: its commands that load the plug-in must not open windows or wait
// on a message box that a user at a desktop would have to answer.

// The sub-command of a command line: its first argument that is not an option (null when none).
const char* subcommandOf(int argc, char** argv);

// Sets KESTRELMOVE_VIDEO=headless in this process's environment for render, movie, info, demo and
// image, unless the user has set KESTRELMOVE_VIDEO. Must run before the plug-in is loaded.
void keepRenderCommandsHeadless(int argc, char** argv);
