// Windows' own startup switch for the gadget's Run value. Task Manager's Startup
// page and Settings' Startup apps never touch the Run value: they keep a binary
// record of the same name under
// HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run,
// whose first byte is 02 or 06 while the entry is enabled and anything else
// once the user disabled it (not documented; so on Windows 8 to 11). Without a
// record the entry is enabled. These rules decide what the menu item shows and
// what choosing it changes; the registry itself is read and written elsewhere.
#pragma once

#include <cstdint>
#include <vector>

// The record as the registry holds it.
struct StartupRecord {
    bool present;
    bool binary;                // of the registry's binary type
    std::vector<uint8_t> data;
};

// Only a record that plainly says enabled (or none at all) lets Windows start
// the entry; one that is empty or of another type is not taken as enabled, and
// choosing the item then clears it.
bool RecordLetsWindowsStart(const StartupRecord& record);

// Checked when the Run value names this very copy and Windows will start it.
bool StartupShownChecked(bool run_value_names_this_copy, const StartupRecord& record);

// What choosing the item changes, from the state it was shown in.
struct StartupChange {
    bool delete_record;  // first: a record that keeps Windows from starting the gadget
    bool write_run_value;
    bool delete_run_value;  // the record is left alone: the Run value is what starts it
};
StartupChange StartupChoice(bool shown_checked, const StartupRecord& record);
