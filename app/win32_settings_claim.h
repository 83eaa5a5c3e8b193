// One gadget per settings file: the claim a running gadget holds on its file,
// and the request with which a second start brings that gadget forward instead
// of running beside it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// A gadget answers its bring-forward message (VG_BRING_FORWARD_MESSAGE) with
// kBroughtForward when it uses the settings file whose key is in wparam (low 32
// bits) and lparam (high 32 bits).
constexpr LRESULT kBroughtForward = 0x56474246;

enum class StartOutcome {
    kClaimed,         // this process runs the gadget for the file
    kBroughtForward,  // the gadget that uses the file came forward
    kUnreachable,     // a gadget holds the file but does not answer
};

// A named mutex in the session's namespace, held by the main thread of the one
// gadget that uses the file, and released when this object goes.
class SettingsFileClaim {
public:
    explicit SettingsFileClaim(uint64_t key);
    ~SettingsFileClaim();
    // Takes the claim, or brings forward the gadget that holds it. A gadget that
    // is ending gives the claim up; one that is hung is given up on after
    // `limit_ms`.
    StartOutcome claim_or_bring_forward(DWORD limit_ms);

private:
    SettingsFileClaim(const SettingsFileClaim&) = delete;
    SettingsFileClaim& operator=(const SettingsFileClaim&) = delete;
    bool take(DWORD wait_ms);

    uint64_t key_;
    HANDLE mutex_ = nullptr;
    bool held_ = false;
    bool denied_ = false;
};
