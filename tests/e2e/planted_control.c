/* Imports the multimedia timer and the performance-data helper the ordinary
 * way, as the gadget once did, so the system looks for them in the program's
 * folder first: it shows that a planted library there is found and reported. */
#include <windows.h>
#include <mmsystem.h>
#include <pdh.h>

int main(void) {
    PDH_HQUERY query = NULL;
    PdhOpenQueryA(NULL, 0, &query);
    return (int)(timeGetTime() & 0);
}
