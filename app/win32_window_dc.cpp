#include "app/win32_window_dc.h"

#include "platform/win32_platform.h"

WindowDc::~WindowDc() { release(); }

HDC WindowDc::renew(HWND window) {
    release();
    if (window == nullptr) return nullptr;
    dc_ = platform.window_manager.get_dc(window);
    if (dc_ != nullptr) window_ = window;
    return dc_;
}

void WindowDc::release() {
    if (dc_ != nullptr) platform.window_manager.release_dc(window_, dc_);
    dc_ = nullptr;
    window_ = nullptr;
}

HDC WindowDc::dc() const { return dc_; }
