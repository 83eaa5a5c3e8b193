// Translucency through the layered-window service, which is looked up at run
// time so the gadget still starts on systems that do not have it; and the cut
// shape of the single-processor window.
#pragma once

#include <windows.h>

#include <cstdint>

#include "meter/meter_layout.h"

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

// The window-level effects on any window; MainWindow applies them with its own
// fields. Without the service, MakeTranslucent leaves the window opaque.
void MakeTranslucent(HWND window, uint8_t alpha, LayeredWindowApi& api);
void MakeOpaque(HWND window);

// Cuts away the empty bottom-left cell of a one-processor window (240 x 24 at
// 96 DPI, the scale's size otherwise). The system owns `window_region` once it
// is set; the two source regions stay the caller's.
void ApplyCutShape(HWND window, HRGN& window_region, HRGN& full_region, HRGN& cut_region,
                   const MeterScale& scale = kUnscaled);
// Makes the window rectangular again and deletes (and nulls) the source regions.
void DropCutShape(HWND window, HRGN& full_region, HRGN& cut_region);
