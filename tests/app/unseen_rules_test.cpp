#include "app/unseen_rules.h"

#include <gtest/gtest.h>

namespace {

constexpr WindowsVersion kVista{6, 0}, kWindows7{6, 1}, kWindows8{6, 2}, kWindows10{10, 0};

TEST(UnseenRules, TheDisplaySettingFollowsTheWindowsVersion) {
    DisplaySetting settings[2];
    for (const WindowsVersion old : {kVista, kWindows7}) {
        ASSERT_EQ(DisplaySettingsFor(old, settings), 1u);
        EXPECT_EQ(settings[0], DisplaySetting::kMonitorPower);
    }
    for (const WindowsVersion newer : {kWindows8, WindowsVersion{6, 3}, kWindows10}) {
        ASSERT_EQ(DisplaySettingsFor(newer, settings), 2u);
        EXPECT_EQ(settings[0], DisplaySetting::kSessionDisplay);
        EXPECT_EQ(settings[1], DisplaySetting::kConsoleDisplay);
    }
}

TEST(UnseenRules, TheSessionReportReadsTheLockFlagReversedOnlyOnWindows7) {
    const struct { int32_t flags; uint32_t connect; WindowsVersion version; bool locked, disconnected; } cases[] = {
        {kSessionFlagLock, 0, kWindows10, true, false},
        {kSessionFlagUnlock, 0, kWindows10, false, false},
        {kSessionFlagLock, 0, kWindows7, false, false},
        {kSessionFlagUnlock, 0, kWindows7, true, false},
        {-1, 0, kWindows10, false, false},  // unknown
        {-1, 0, kWindows7, false, false},
        {kSessionFlagUnlock, kConnectStateDisconnected, kWindows8, false, true},
        {kSessionFlagUnlock, 1, kWindows8, false, false},  // connected to a client
    };
    for (const auto& c : cases) {
        const SessionState state = SessionStateFromInfo(c.flags, c.connect, c.version);
        EXPECT_EQ(state.locked, c.locked) << c.flags << " on " << c.version.major << "." << c.version.minor;
        EXPECT_EQ(state.disconnected, c.disconnected) << c.connect;
    }
}

TEST(UnseenRules, OnlyServicesNotReadyYetAreAskedAgainForAMinute) {
    EXPECT_TRUE(RetrySessionRegistration(1702, 0));
    EXPECT_TRUE(RetrySessionRegistration(1702, 55000));
    EXPECT_FALSE(RetrySessionRegistration(1702, 60000));
    EXPECT_FALSE(RetrySessionRegistration(5, 0));  // access denied
}

}  // namespace
