#include "app/win32_tray.h"

#include "platform/win32_platform.h"
#include "resources/resource_ids.h"
#include "text/string_helpers.h"

namespace {

static_assert(IDI_TRAY_YELLOW == IDI_TRAY_GREEN + 1 && IDI_TRAY_RED == IDI_TRAY_GREEN + 2,
              "the pictures follow the levels");

// A fold may wait for a busy shell: up to four attempts, half a second apart.
constexpr int32_t kFoldAttempts = 5;
constexpr DWORD kFoldPause = 500;
constexpr UINT kFoldRetryMs = 1000;

// 0 green, 1 yellow, 2 red. Red starts at 0.8 as a float, a hair above the
// double 0.8.
int32_t MemoryLoadLevel(double load) {
    if (load >= static_cast<double>(0.8f)) return 2;
    if (load >= 0.5) return 1;
    return 0;
}

// A picture at the shell's small-icon size. The images run 16, 20, 24, 32, 40
// and 48 pixels; at 175 % and 225 % the shell wants 28 and 36, which Windows
// (where it can) scales down from the next larger image rather than up from a
// smaller, blurred one.
HICON LoadPicture(HINSTANCE module, WORD resource, int32_t size) {
    const auto scale_down = platform.window_manager.load_icon_with_scale_down;
    HICON icon = nullptr;
    if (scale_down != nullptr &&
        SUCCEEDED(scale_down(module, MAKEINTRESOURCEW(resource), size, size, &icon)) &&
        icon != nullptr) {
        return icon;
    }
    return static_cast<HICON>(
        LoadImageA(module, MAKEINTRESOURCEA(resource), IMAGE_ICON, size, size, 0));
}

}  // namespace

void Tray::prepare(HWND window, HINSTANCE module, const Face& face, int32_t icon_size) {
    module_ = module;
    face_ = &face;
    icon_size_ = icon_size;
    const HICON program = LoadPicture(module, IDI_PROGRAM, icon_size);
    icon_.configure(window, kTrayId, kTrayMessage, program, face.first_tray_tip);
    // The record owns the picture from now on and frees it when a level picture replaces it.
    icon_.adopt_icon(program);
}

bool Tray::show() {
    refused_updates_ = 0;
    return icon_.add(kFoldAttempts, kFoldPause);
}

void Tray::keep_trying() {
    if (trying_ || icon_.data.hWnd == nullptr) return;
    trying_ = SetTimer(icon_.data.hWnd, kFoldRetryTimer, kFoldRetryMs, nullptr) != 0;
}

void Tray::stop_trying() {
    if (trying_) KillTimer(icon_.data.hWnd, kFoldRetryTimer);
    trying_ = false;
}

bool Tray::trying() const { return trying_; }

bool Tray::retry() {
    if (!trying_ || !platform.shell.taskbar_exists() || !show()) return false;
    stop_trying();
    return true;
}

bool Tray::hide() { return icon_.remove() != 0; }

bool Tray::refresh() {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    // Without a reading the icon keeps its last picture and tip rather than
    // claiming that no memory is free.
    if (!platform.memory.status(&status) || status.ullTotalPhys == 0) return true;
    const double load = 1.0 - static_cast<double>(status.ullAvailPhys) /
                                  static_cast<double>(status.ullTotalPhys);
    const int32_t level = MemoryLoadLevel(load);
    bool sent = false, accepted = true;
    if (level != level_) {
        const HICON picture =
            LoadPicture(module_, static_cast<WORD>(IDI_TRAY_GREEN + level), icon_size_);
        sent = true;
        accepted = icon_.show_owned_icon(picture);
    }
    level_ = level;
    std::string tip = face_->free_memory_label + FormatByteSize(status.ullAvailPhys);
    // Every request wakes the shell, so an unchanged tip is not sent again.
    if (tip != icon_.shown_tip) {
        sent = true;
        accepted = icon_.set_tip(std::move(tip), true) != 0 && accepted;
    }
    if (!sent) return true;
    refused_updates_ = accepted ? 0 : refused_updates_ + 1;
    if (refused_updates_ < kLostAfterRefusals) return true;
    // A shell that refuses every update has most likely lost the icon (one
    // that restarted without telling, say).
    refused_updates_ = 0;
    icon_.added = 0;
    return false;
}

bool Tray::set_icon_size(int32_t size) {
    if (size == icon_size_) return false;
    icon_size_ = size;
    level_ = kNoLevel;
    return true;
}

int32_t Tray::level() const { return level_; }

int32_t Tray::icon_size() const { return icon_size_; }

TrayIcon& Tray::icon() { return icon_; }
