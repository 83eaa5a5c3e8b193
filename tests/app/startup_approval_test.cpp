#include "app/startup_approval.h"

#include <gtest/gtest.h>

namespace {

// As Task Manager leaves them: a flag byte, three zero bytes and when it was changed.
StartupRecord Record(uint8_t flag) {
    return {true, true, {flag, 0, 0, 0, 0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0x01}};
}

const struct {
    const char* what;
    StartupRecord record;
    bool starts;
} kRecords[] = {
    {"missing", {false, false, {}}, true},
    {"02", Record(0x02), true},
    {"06", Record(0x06), true},
    {"03", Record(0x03), false},
    {"07", Record(0x07), false},
    {"00", Record(0x00), false},
    {"only the flag byte", {true, true, {0x02}}, true},
    {"empty", {true, true, {}}, false},
    {"not binary", {true, false, {0x02, 0, 0, 0}}, false},
};

TEST(StartupApproval, CheckedOnlyWhenWindowsStartsThisCopyAndChoosingItMakesItSo) {
    for (const auto& c : kRecords) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(StartupShownChecked(true, c.record), c.starts);
        EXPECT_FALSE(StartupShownChecked(false, c.record));
        const StartupChange on = StartupChoice(false, c.record);
        EXPECT_TRUE(on.write_run_value && !on.delete_run_value);
        EXPECT_EQ(on.delete_record, !c.starts);
        const StartupChange off = StartupChoice(true, c.record);
        EXPECT_TRUE(off.delete_run_value && !off.write_run_value && !off.delete_record);
    }
}

}  // namespace
