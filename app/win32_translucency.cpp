#include "app/win32_layered_window_api.h"
#include "app/win32_main_window.h"

namespace {

void SetLayeredStyle(HWND window, bool on) {
    const LONG style = GetWindowLongA(window, GWL_EXSTYLE);
    SetWindowLongA(window, GWL_EXSTYLE, on ? (style | WS_EX_LAYERED) : (style & ~WS_EX_LAYERED));
}

}  // namespace

LayeredWindowApi::LayeredWindowApi() : module(LoadLibraryA("user32.dll")) {}

LayeredWindowApi::~LayeredWindowApi() {
    if (module != nullptr) FreeLibrary(module);
}

SetLayeredWindowAttributesFunction LayeredWindowApi::find() const {
    if (module == nullptr) return nullptr;
    // Through the catch-all function type: FARPROC's own signature matches nothing.
    return reinterpret_cast<SetLayeredWindowAttributesFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "SetLayeredWindowAttributes")));
}

bool LayeredWindowApi::available() const { return find() != nullptr; }

BOOL LayeredWindowApi::set_layered_attributes(HWND window, COLORREF key, uint8_t alpha,
                                              DWORD flags) {
    const SetLayeredWindowAttributesFunction function = find();
    return function != nullptr ? function(window, key, alpha, flags) : 0;
}

void MakeTranslucent(HWND window, uint8_t alpha, LayeredWindowApi& api) {
    // Windows draws a layered window only once it has its attributes: without
    // the service the window stays as it is rather than vanish.
    if (!api.available()) return;
    SetLayeredStyle(window, true);
    api.set_layered_attributes(window, 0, alpha, LWA_ALPHA);
}

void MakeOpaque(HWND window) { SetLayeredStyle(window, false); }

void ApplyCutShape(HWND window, HRGN& window_region, HRGN& full_region, HRGN& cut_region,
                   const MeterScale& scale) {
    const int32_t height = 2 * scale.row_height;
    window_region = CreateRectRgn(0, 0, 0, 0);
    full_region = CreateRectRgn(0, 0, scale.width, height);
    cut_region = CreateRectRgn(0, scale.row_height, scale.slot_width, height);
    CombineRgn(window_region, full_region, cut_region, RGN_DIFF);
    SetWindowRgn(window, window_region, TRUE);
}

void DropCutShape(HWND window, HRGN& full_region, HRGN& cut_region) {
    // The system deletes the window region it was given; only the sources are ours.
    SetWindowRgn(window, nullptr, FALSE);
    if (full_region != nullptr) DeleteObject(full_region);
    if (cut_region != nullptr) DeleteObject(cut_region);
    full_region = nullptr;
    cut_region = nullptr;
}

void MainWindow::apply_translucency(LayeredWindowApi& api) { MakeTranslucent(hwnd, alpha, api); }

void MainWindow::toggle_translucency() {
    translucent = !translucent;
    if (!translucent) {
        MakeOpaque(hwnd);
        return;
    }
    LayeredWindowApi api;
    apply_translucency(api);
}

void MainWindow::apply_window_shape() {
    ApplyCutShape(hwnd, window_region, full_region, cut_region, scale());
}

void MainWindow::drop_window_shape() { DropCutShape(hwnd, full_region, cut_region); }
