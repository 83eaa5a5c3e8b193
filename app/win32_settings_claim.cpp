#include "app/win32_settings_claim.h"

#include <cstdio>

#include "platform/win32_platform.h"
#include "resources/resource_ids.h"

namespace {

// How long one gadget may take to answer; SMTO_ABORTIFHUNG gives up at once on
// one the system already counts as hung.
constexpr UINT kAnswerLimit = 1000;
constexpr DWORD kRetryPause = 200;

std::string MutexName(uint64_t key) {
    char name[64];
    std::snprintf(name, sizeof name, "Local\\VorneltGauge.%016llx",
                  static_cast<unsigned long long>(key));
    return name;
}

// Asks every gadget window in turn; only the one that uses the file answers.
bool BringForward(uint64_t key) {
    const UINT message = RegisterWindowMessageA(VG_BRING_FORWARD_MESSAGE);
    if (message == 0) return false;
    for (HWND window = FindWindowExA(nullptr, nullptr, VG_WINDOW_CLASS, nullptr); window != nullptr;
         window = FindWindowExA(nullptr, window, VG_WINDOW_CLASS, nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        // The program just started holds the foreground and may hand it on.
        AllowSetForegroundWindow(process);
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutA(window, message, static_cast<WPARAM>(key & 0xFFFFFFFFu),
                                static_cast<LPARAM>(static_cast<uint32_t>(key >> 32)),
                                SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerLimit, &answer) &&
            answer == static_cast<DWORD_PTR>(kBroughtForward)) {
            return true;
        }
    }
    return false;
}

}  // namespace

SettingsFileClaim::SettingsFileClaim(uint64_t key) : key_(key) {
    mutex_ = platform.threads.create_mutex(nullptr, TRUE, MutexName(key).c_str());
    const DWORD error = GetLastError();
    held_ = mutex_ != nullptr && error != ERROR_ALREADY_EXISTS;
    // A gadget running elevated made the claim, and a normal start may not
    // even open it: held all the same.
    denied_ = mutex_ == nullptr && error == ERROR_ACCESS_DENIED;
}

SettingsFileClaim::~SettingsFileClaim() {
    if (held_) ReleaseMutex(mutex_);
    if (mutex_ != nullptr) CloseHandle(mutex_);
}

StartOutcome SettingsFileClaim::claim_or_bring_forward(DWORD limit_ms) {
    // Without the kernel object nothing tells gadgets apart: run as if alone.
    if ((mutex_ == nullptr && !denied_) || held_) return StartOutcome::kClaimed;
    const DWORD start = platform.clock.time();
    for (;;) {
        if (BringForward(key_)) return StartOutcome::kBroughtForward;
        // The holder may still be creating its window, or be ending; a claim
        // that cannot be opened cannot be waited for either, only asked again.
        if (denied_) {
            platform.clock.sleep(kRetryPause);
        } else if (take(kRetryPause)) {
            return StartOutcome::kClaimed;
        }
        if (platform.clock.time() - start >= limit_ms) return StartOutcome::kUnreachable;
    }
}

bool SettingsFileClaim::take(DWORD wait_ms) {
    const DWORD result = WaitForSingleObject(mutex_, wait_ms);
    // An abandoned claim belonged to a gadget that ended without letting go.
    held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    return held_;
}
