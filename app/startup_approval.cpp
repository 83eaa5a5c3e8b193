#include "app/startup_approval.h"

namespace {

// The two first bytes seen on enabled entries; 03 and 07 are their disabled forms.
constexpr uint8_t kEnabled = 0x02;
constexpr uint8_t kEnabledToo = 0x06;

}  // namespace

bool RecordLetsWindowsStart(const StartupRecord& record) {
    if (!record.present) return true;
    if (!record.binary || record.data.empty()) return false;
    return record.data[0] == kEnabled || record.data[0] == kEnabledToo;
}

bool StartupShownChecked(bool run_value_names_this_copy, const StartupRecord& record) {
    return run_value_names_this_copy && RecordLetsWindowsStart(record);
}

StartupChange StartupChoice(bool shown_checked, const StartupRecord& record) {
    if (shown_checked) return {false, false, true};
    return {!RecordLetsWindowsStart(record), true, false};
}
