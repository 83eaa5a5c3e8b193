// Probe subcommands that load the gadget rather than look at it: a seeded storm
// of messages, the process's resource figures for long runs, and a hard kill.
#pragma once

#include <windows.h>

int StormSubcommand(HWND hwnd, int argc, char** argv);
int StatsSubcommand(HWND hwnd, int argc, char** argv);
int TerminateSubcommand(HWND hwnd, int argc, char** argv);
