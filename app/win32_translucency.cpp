#include "app/win32_translucency.h"

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
    // Without the service the window stays as it is rather than vanish.
    if (!api.available()) return;
    SetLayeredStyle(window, true);
    api.set_layered_attributes(window, 0, alpha, LWA_ALPHA);
}

void MakeOpaque(HWND window) { SetLayeredStyle(window, false); }

bool Translucency::on() const { return on_; }

uint8_t Translucency::alpha() const { return alpha_; }

void Translucency::set(bool on, uint8_t alpha) {
    on_ = on;
    alpha_ = alpha;
}

void Translucency::apply(HWND window, LayeredWindowApi& api) {
    if (on_) MakeTranslucent(window, alpha_, api);
}

void Translucency::toggle(HWND window) {
    on_ = !on_;
    if (!on_) {
        MakeOpaque(window);
        return;
    }
    LayeredWindowApi api;
    apply(window, api);
}
