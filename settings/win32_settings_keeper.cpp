#include "settings/win32_settings_keeper.h"

#include "platform/win32_platform.h"
#include "resources/resource_ids.h"
#include "settings/win32_settings_file.h"
#include "settings/win32_settings_place.h"
#include "text/string_helpers.h"

namespace {

// Once a second: a sync client or an indexer seldom holds the file longer.
constexpr UINT kRetryMs = 1000;

}  // namespace

SettingsKeeper::SettingsKeeper(std::wstring file)
    : file_(std::move(file)), key_(SettingsFileKey(file_)) {}

const std::wstring& SettingsKeeper::file() const { return file_; }

uint64_t SettingsKeeper::key() const { return key_; }

StoredSettings SettingsKeeper::load(const std::wstring& path, uint32_t processor_count,
                                    std::string& text) {
    ReadOutcome read = ReadOutcome::kNoFile;
    const StoredSettings settings = LoadSettingsFile(path, processor_count, text, read);
    withheld_ = read == ReadOutcome::kFailed;
    return settings;
}

void SettingsKeeper::save(HWND window, const StoredSettings& options, const std::string& meter_text) {
    if (withheld_ || file_.empty()) return;
    pending_ = false;
    if (SaveSettingsFile(file_, window, options, meter_text) != SaveOutcome::kBusy) {
        if (retrying_) stop_retrying(window);
        return;
    }
    // Another program has the file (a sync client right after the last save,
    // say): the change waits and is tried again each second until it is in.
    pending_ = true;
    if (!retrying_ && window != nullptr) {
        retrying_ = SetTimer(window, kSaveRetryTimer, kRetryMs, nullptr) != 0;
    }
}

void SettingsKeeper::save_if_pending(HWND window, const StoredSettings& options,
                                     const std::string& meter_text) {
    if (pending_) save(window, options, meter_text);
}

void SettingsKeeper::retry(HWND window, const StoredSettings& options,
                           const std::string& meter_text) {
    save_if_pending(window, options, meter_text);
    if (!pending_) stop_retrying(window);
}

void SettingsKeeper::save_at_exit(HWND window, const StoredSettings& options,
                                  const std::string& meter_text, DWORD limit_ms) {
    save(window, options, meter_text);
    const DWORD start = platform.clock.time();
    while (pending_ && ElapsedTicks(start, platform.clock.time()) < limit_ms) {
        platform.clock.sleep(kExitRetryMs);
        save(window, options, meter_text);
    }
    if (retrying_) stop_retrying(window);
}

bool SettingsKeeper::withheld() const { return withheld_; }

bool SettingsKeeper::pending() const { return pending_; }

bool SettingsKeeper::retrying() const { return retrying_; }

void SettingsKeeper::stop_retrying(HWND window) {
    if (window != nullptr) KillTimer(window, kSaveRetryTimer);
    retrying_ = false;
}
