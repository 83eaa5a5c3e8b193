/* Imports the multimedia timer, the performance-data helper and the
 * accessibility library the ordinary way (as the gadget once did the first two), so the system looks for them in the program's
 * folder first: it shows that a planted library there is found and reported. */
#include <windows.h>
#include <mmsystem.h>
#include <pdh.h>
#include <oleacc.h>

int main(void) {
    PDH_HQUERY query = NULL;
    PdhOpenQueryA(NULL, 0, &query);
    LresultFromObject(&IID_IAccessible, 0, NULL);
    return (int)(timeGetTime() & 0);
}
