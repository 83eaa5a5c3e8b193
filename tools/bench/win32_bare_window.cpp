// The floor the shown gadget is measured against: a window of the gadget's size
// and kind (a topmost borderless tool window) that does nothing each frame but
// copy one unchanging bitmap into itself, the naive way: GetDC, BitBlt,
// ReleaseDC. It paces its frames as the gadget does (the finer system timer held,
// one message per turn, a frame when the queue is empty, then a sleep for the
// rest of the frame's budget), so what differs between the two is what a frame
// does, not how often it runs.
//
//   bare_window.exe [WIDTH HEIGHT [X Y [FRAMES_PER_SECOND]]]   (default 240 24 200 200 30)
//
// Sizes are in the display's own pixels. It runs until it is closed or killed.
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <cstdlib>

namespace {

LRESULT CALLBACK BareWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

int Argument(int argc, char** argv, int index, int fallback) {
    if (index >= argc) return fallback;
    const int value = std::atoi(argv[index]);
    return value > 0 ? value : fallback;
}

// Per-monitor scaling is the gadget's business; this window is told its size in
// the display's pixels, so it must not be scaled by the system either.
void AskNotToBeScaled() {
    using SetAware = BOOL(WINAPI*)();
    HMODULE user32 = GetModuleHandleA("user32.dll");
    const auto set_aware = reinterpret_cast<SetAware>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "SetProcessDPIAware")));
    if (set_aware != nullptr) set_aware();
}

}  // namespace

int main(int argc, char** argv) {
    const int width = Argument(argc, argv, 1, 240);
    const int height = Argument(argc, argv, 2, 24);
    const int x = Argument(argc, argv, 3, 200);
    const int y = Argument(argc, argv, 4, 200);
    const int frame_rate = Argument(argc, argv, 5, 30);
    AskNotToBeScaled();

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = BareWindowProc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    window_class.lpszClassName = "VorneltBareWindow";
    if (!RegisterClassA(&window_class)) return 1;
    // The gadget's styles: a popup without frame, topmost, kept off the taskbar.
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "VorneltBareWindow",
                                "Bare window", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, x, y,
                                width, height, nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) return 1;

    // The bitmap: a 32-bit top-down DIB section like the gadget's back buffer,
    // painted once in a panel grey with a darker band so that it is not blank.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory_dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(memory_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory_dc == nullptr || bitmap == nullptr || bits == nullptr) return 1;
    HGDIOBJ old_bitmap = SelectObject(memory_dc, bitmap);
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            pixels[row * width + column] = column < width / 2 ? 0xFF333333u : 0xFFCCCCCCu;
        }
    }
    GdiFlush();
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);

    timeBeginPeriod(1);
    const DWORD budget = static_cast<DWORD>(1000 / frame_rate);
    DWORD frame_start = timeGetTime();
    for (;;) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
            continue;
        }
        HDC dc = GetDC(hwnd);
        BitBlt(dc, 0, 0, width, height, memory_dc, 0, 0, SRCCOPY);
        ReleaseDC(hwnd, dc);
        const DWORD elapsed = timeGetTime() - frame_start;
        Sleep(elapsed < budget ? budget - elapsed : 1);
        frame_start = timeGetTime();
    }
    timeEndPeriod(1);
    SelectObject(memory_dc, old_bitmap);
    DeleteObject(bitmap);
    DeleteDC(memory_dc);
    return 0;
}
