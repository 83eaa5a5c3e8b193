#include "platform/win32_system_libraries.h"

#include <gtest/gtest.h>

#include "platform/win32_platform.h"

namespace {

TEST(SystemLibraries, FillTheTablesRunTimeEntriesAndEmptyThemAgainWhenFreed) {
    ScopedPlatform scoped;
    LoadSystemLibraries();
    ASSERT_NE(system_libraries.pdh, nullptr);
    EXPECT_NE(platform.performance.open_query, nullptr);
    EXPECT_NE(platform.performance.close_query, nullptr);
    EXPECT_NE(platform.system.query_system_information, nullptr);
    EXPECT_NE(platform.accessibility.lresult_from_object, nullptr);
    // Pairs come both or neither.
    EXPECT_EQ(platform.sessions.register_notification == nullptr,
              platform.sessions.unregister_notification == nullptr);
    EXPECT_EQ(platform.window_manager.register_power_setting_notification == nullptr,
              platform.window_manager.unregister_power_setting_notification == nullptr);
    EXPECT_EQ(platform.sessions.query_information == nullptr,
              platform.sessions.free_memory == nullptr);
    // Condition variables come all three or none.
    EXPECT_EQ(platform.threads.initialize_condition_variable == nullptr,
              platform.threads.sleep_condition_variable_cs == nullptr);
    EXPECT_EQ(platform.threads.sleep_condition_variable_cs == nullptr,
              platform.threads.wake_all_condition_variable == nullptr);
    FreeSystemLibraries();
    // Nothing is left that would call into a library no longer loaded.
    EXPECT_EQ(system_libraries.pdh, nullptr);
    EXPECT_EQ(platform.performance.open_query, nullptr);
    EXPECT_EQ(platform.sessions.register_notification, nullptr);
    EXPECT_EQ(platform.system.query_system_information, nullptr);
    EXPECT_EQ(platform.window_manager.dpi_for_window, nullptr);
    EXPECT_EQ(platform.accessibility.alloc_string, nullptr);
    EXPECT_EQ(system_libraries.oleacc, nullptr);
    EXPECT_EQ(platform.window_manager.dpi_for_monitor, nullptr);
    EXPECT_EQ(platform.sessions.query_information, nullptr);
    EXPECT_EQ(system_libraries.shcore, nullptr);
    EXPECT_EQ(platform.threads.sleep_condition_variable_cs, nullptr);
    // The entries the program imports stay as they are.
    EXPECT_NE(platform.memory.status, nullptr);

    // A sampler that may still be inside the performance helper keeps it loaded.
    LoadSystemLibraries();
    platform.performance.still_used = true;
    FreeSystemLibraries();
    EXPECT_NE(system_libraries.pdh, nullptr);
    EXPECT_NE(platform.performance.collect_query_data, nullptr);
    EXPECT_EQ(platform.system.query_system_information, nullptr);
    platform.performance.still_used = false;
    FreeSystemLibraries();
}

HMODULE RefuseOleacc(const char* name) {
    return lstrcmpiA(name, "oleacc.dll") == 0 ? nullptr : LoadFromSystemFolder(name);
}

TEST(SystemLibraries, AccessibilityComesWholeOrNotAtAll) {
    ScopedPlatform scoped;
    LoadSystemLibraries(RefuseOleacc);
    // The strings and COM are there, but without oleacc they hand nothing over.
    EXPECT_NE(system_libraries.oleaut32, nullptr);
    EXPECT_EQ(platform.accessibility.alloc_string, nullptr);
    EXPECT_EQ(system_libraries.initialize_com, nullptr);
    EXPECT_FALSE(PrepareAccessibility());
    FreeSystemLibraries();
}

}  // namespace
