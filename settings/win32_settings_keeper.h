// The keeper of the settings file: the one file this run keeps its settings
// in, its key, whether the file must be left alone, and a save that another
// program kept out, waiting for its retry.
//
// Contract: the file is decided once, before the keeper exists (RunGadget
// takes SettingsFileToSave; tests give a file of their own), and never changes;
// a keeper without a file keeps nothing. A file that was there but could not be
// read at load is the user's: nothing is saved over it for the rest of the run.
// A save that finds the file busy keeps the change and tries again once a
// second (the VG_SAVE_RETRY_TIMER of the window it was given) until it is in,
// and whenever asked to save what is pending (the session's end, say). At the
// end of the run the last save waits a little for the file (save_at_exit).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "settings/settings_text.h"

class SettingsKeeper {
public:
    explicit SettingsKeeper(std::wstring file = std::wstring());

    const std::wstring& file() const;
    // SettingsFileKey of the file: what the gadget's claim and its
    // bring-forward message name it by.
    uint64_t key() const;

    // The settings stored in `path` (the file, or the one it starts from while
    // the file does not exist yet), and the file's whole text for the meter in
    // `text`; a position on no monitor counts as not found.
    StoredSettings load(const std::wstring& path, uint32_t processor_count, std::string& text);
    // Writes `options` with `window`'s restored rectangle, followed by
    // `meter_text`, unless the file is withheld.
    void save(HWND window, const StoredSettings& options, const std::string& meter_text);
    // save, when a change is still waiting.
    void save_if_pending(HWND window, const StoredSettings& options, const std::string& meter_text);
    // The retry timer's tick: the waiting change is tried again, and the timer
    // stops once nothing waits.
    void retry(HWND window, const StoredSettings& options, const std::string& meter_text);
    // The last save of the run: while the file keeps the change out it is
    // tried again every kExitRetryMs, for at most `limit_ms` (through the
    // platform table's clock and sleep); what is still kept out then is lost.
    void save_at_exit(HWND window, const StoredSettings& options, const std::string& meter_text,
                      DWORD limit_ms);
    static constexpr DWORD kExitRetryMs = 100;

    bool withheld() const;
    bool pending() const;
    bool retrying() const;

private:
    void stop_retrying(HWND window);

    std::wstring file_;
    uint64_t key_;
    bool withheld_ = false;
    bool pending_ = false;
    bool retrying_ = false;
};
