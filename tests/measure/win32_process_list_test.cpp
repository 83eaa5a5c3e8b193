#include "measure/win32_process_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win32_platform.h"
#include "tests/support/process_list.h"

namespace {

// Processor times in 100 ns units; the clock in milliseconds.
constexpr int64_t kSecond = 10000000;
constexpr uint32_t kSecondMs = 1000;
constexpr LONG kAccessDenied = static_cast<LONG>(0xC0000022);

// The kernel as a script: each list it gives is the next of `lists` (the
// last one again when they run out), and it asks for `needs` bytes at least.
struct ScriptedKernel {
    std::vector<std::vector<ListedProcess>> lists;
    size_t given = 0;
    size_t needs = 0;
    LONG failure = 0;
    std::vector<ULONG> lengths;
} kernel;

LONG WINAPI ScriptedQuery(ULONG information_class, PVOID buffer, ULONG length, PULONG returned) {
    kernel.lengths.push_back(length);
    if (information_class != 5) return static_cast<LONG>(0xC0000003);
    if (kernel.failure != 0) return kernel.failure;
    const std::vector<uint8_t> list =
        BuildProcessList(kernel.lists[std::min(kernel.given, kernel.lists.size() - 1)],
                         sizeof(void*), reinterpret_cast<uintptr_t>(buffer));
    const size_t needed = std::max(kernel.needs, list.size());
    *returned = static_cast<ULONG>(needed);
    if (length < needed) return static_cast<LONG>(0xC0000004);
    std::memcpy(buffer, list.data(), list.size());
    *returned = static_cast<ULONG>(list.size());
    ++kernel.given;
    return 0;
}

// One busy program beside the system, with `busy` 100 ns units used so far.
std::vector<ListedProcess> Machine(int64_t busy) {
    return {{0, 0, 0, busy * 3, u""}, {4, 1, 0, 100, u"System"}, {812, 7, busy, 0, u"busy.exe"}};
}

class ProcessLoadWatchTest : public ::testing::Test {
protected:
    void Script(std::vector<std::vector<ListedProcess>> lists, size_t needs = 0) {
        kernel = ScriptedKernel{};
        kernel.lists = std::move(lists);
        kernel.needs = needs;
        platform.system.query_system_information = ScriptedQuery;
    }

    ScopedPlatform platform_;
};

TEST_F(ProcessLoadWatchTest, GrowsItsBufferUntilTheListFitsAndKeepsIt) {
    Script({Machine(0), Machine(kSecond / 2), Machine(kSecond / 2 + 10)}, 300000);
    ProcessLoadWatch watch;
    EXPECT_EQ(watch.take(5 * kSecondMs, 2).kind, BusiestSince::Kind::kUnknown);
    ASSERT_EQ(kernel.lengths.size(), 2u);
    EXPECT_LT(kernel.lengths[0], 300000u);
    EXPECT_GE(kernel.lengths[1], 300000u);

    const BusiestSince named = watch.take(6 * kSecondMs, 2);
    EXPECT_EQ(named.kind, BusiestSince::Kind::kNamed);
    EXPECT_EQ(named.name, L"busy.exe");
    EXPECT_EQ(named.percent, 25);
    EXPECT_EQ(watch.take(7 * kSecondMs, 2).kind, BusiestSince::Kind::kNobody);
    EXPECT_EQ(kernel.lengths.size(), 4u) << "the grown buffer is used again";
}

TEST_F(ProcessLoadWatchTest, AFailedListTellsNothingAndTheNextSpansBoth) {
    Script({Machine(0), Machine(kSecond)});
    ProcessLoadWatch watch;
    // The clock wraps in between.
    const uint32_t start = 0xFFFFFFFFu - 999;
    watch.take(start, 1);
    kernel.failure = kAccessDenied;
    EXPECT_EQ(watch.take(start + kSecondMs, 1).kind, BusiestSince::Kind::kUnknown);
    kernel.failure = 0;
    const BusiestSince named = watch.take(start + 2 * kSecondMs, 1);
    EXPECT_EQ(named.kind, BusiestSince::Kind::kNamed);
    EXPECT_EQ(named.percent, 50);

    // A list that would need more than a few megabytes is given up on.
    Script({Machine(0)}, 64 * 1024 * 1024);
    ProcessLoadWatch greedy;
    EXPECT_EQ(greedy.take(0, 1).kind, BusiestSince::Kind::kUnknown);
    EXPECT_LE(kernel.lengths.size(), 10u);
    EXPECT_LE(*std::max_element(kernel.lengths.begin(), kernel.lengths.end()), 8u << 20);
    platform.system.query_system_information = nullptr;
    EXPECT_EQ(ProcessLoadWatch().take(0, 1).kind, BusiestSince::Kind::kUnknown);
}

}  // namespace
