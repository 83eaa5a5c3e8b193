/* A stand-in for a system library dropped beside the gadget: built as
 * winmm.dll, pdh.dll and oleacc.dll, it exports the entry points the gadget looks up,
 * which all fail, and leaves NAME.loaded beside itself when a process loads it. */
#define WIN32_LEAN_AND_MEAN /* no declarations of the entry points this file defines */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH + 8];
        DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            lstrcpyA(path + length, ".loaded");
            HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, NULL);
            if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
        }
    }
    return TRUE;
}

#define FAILED_CALL ((LONG)0xC0000BB8L) /* any failure status of the helper */

__declspec(dllexport) DWORD WINAPI timeGetTime(void) { return 0; }
__declspec(dllexport) LONG WINAPI PdhOpenQueryA(LPCSTR s, DWORD_PTR u, HANDLE* q) {
    (void)s; (void)u; (void)q; return FAILED_CALL;
}
__declspec(dllexport) LONG WINAPI PdhAddCounterA(HANDLE q, LPCSTR p, DWORD_PTR u, HANDLE* c) {
    (void)q; (void)p; (void)u; (void)c; return FAILED_CALL;
}
__declspec(dllexport) LONG WINAPI PdhAddEnglishCounterA(HANDLE q, LPCSTR p, DWORD_PTR u, HANDLE* c) {
    (void)q; (void)p; (void)u; (void)c; return FAILED_CALL;
}
__declspec(dllexport) LONG WINAPI PdhCollectQueryData(HANDLE q) { (void)q; return FAILED_CALL; }
__declspec(dllexport) LONG WINAPI PdhGetRawCounterValue(HANDLE c, LPDWORD t, void* v) {
    (void)c; (void)t; (void)v; return FAILED_CALL;
}
__declspec(dllexport) LONG WINAPI PdhCalculateCounterFromRawValue(HANDLE c, DWORD f, void* n,
                                                                  void* o, void* v) {
    (void)c; (void)f; (void)n; (void)o; (void)v; return FAILED_CALL;
}
__declspec(dllexport) LONG WINAPI PdhCloseQuery(HANDLE q) { (void)q; return FAILED_CALL; }
__declspec(dllexport) LRESULT WINAPI LresultFromObject(const GUID* i, WPARAM w, void* o) {
    (void)i; (void)w; (void)o; return (LRESULT)E_FAIL;
}
__declspec(dllexport) HRESULT WINAPI AccessibleObjectFromWindow(HWND h, DWORD d, const GUID* i,
                                                                void** o) {
    (void)h; (void)d; (void)i; (void)o; return E_FAIL;
}
