/* Keeps one thread busy for the given number of seconds (30 unless told), so
   that a test has a process using a known share of the machine: one whole
   processor. It ends on its own, so a test that dies leaves nothing spinning
   for long. */
#include <windows.h>

#include <stdlib.h>

int main(int argc, char** argv) {
    const DWORD seconds = argc > 1 ? (DWORD)strtoul(argv[1], NULL, 10) : 30;
    const DWORD start = GetTickCount();
    volatile unsigned long spins = 0;
    while (GetTickCount() - start < seconds * 1000) ++spins;
    return 0;
}
