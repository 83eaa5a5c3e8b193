// Translucency: the whole window see-through at the opacity the settings store,
// through the layered-window service, which is looked up at run time so the
// gadget still starts on systems that do not have it.
#pragma once

#include <windows.h>

#include <cstdint>

using SetLayeredWindowAttributesFunction = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

class LayeredWindowApi {
public:
    LayeredWindowApi();
    ~LayeredWindowApi();
    bool available() const;
    // 0 when the service is missing; the window then simply stays opaque.
    BOOL set_layered_attributes(HWND window, COLORREF key, uint8_t alpha, DWORD flags);

    HMODULE module = nullptr;

private:
    SetLayeredWindowAttributesFunction find() const;
    LayeredWindowApi(const LayeredWindowApi&) = delete;
    LayeredWindowApi& operator=(const LayeredWindowApi&) = delete;
};

// The window-level effects on any window. Without the service, MakeTranslucent
// leaves the window opaque: Windows draws a layered window only once it has
// its attributes.
void MakeTranslucent(HWND window, uint8_t alpha, LayeredWindowApi& api);
void MakeOpaque(HWND window);

// The option and its opacity (255 is opaque), and their effect on a window.
// The window's other extended styles are left as they are either way.
class Translucency {
public:
    bool on() const;
    uint8_t alpha() const;
    // As the settings say; nothing changes on any window until apply or toggle.
    void set(bool on, uint8_t alpha);
    // Makes `window` translucent when the option is on.
    void apply(HWND window, LayeredWindowApi& api);
    // Switches the option, and `window` with it.
    void toggle(HWND window);

private:
    bool on_ = false;
    uint8_t alpha_ = 128;
};
