// The probe's view of the gadget through accessibility, as a screen reader in
// another process has it.
#pragma once

#include <windows.h>

int AccessibleSubcommand(HWND hwnd, int argc, char** argv);
