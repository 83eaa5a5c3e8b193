// Process entry of the gadget. The program takes no command line.
#include <windows.h>

#include "app/win32_main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return RunGadget(instance); }
