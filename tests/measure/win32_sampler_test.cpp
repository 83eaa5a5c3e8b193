#include "measure/win32_sampler.h"

#include <gtest/gtest.h>

#include <process.h>

#include <vector>

#include "text/win32_system_libraries.h"

namespace {

// The most processors the gadget looks at.
constexpr int32_t kMostProcessors = 32;
// How long a test waits for a sample or a thread's end: generous, since a
// machine busy with other work can run the threads seconds late.
constexpr DWORD kPatienceMs = 20000;

// Sampler threads on real slots, joined and cleaned up by the fixture.
class SamplerTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeCriticalSection(&sample_lock);
        stop_event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        LoadSystemLibraries();
        if (system_libraries.pdh.open_query != nullptr) {
            system_libraries.pdh.open_query(nullptr, 0, &query_);
        }
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        processors_ = static_cast<int32_t>(system.dwNumberOfProcessors);
    }

    void TearDown() override {
        stop_all();
        for (HANDLE thread : threads_) {
            EXPECT_EQ(WaitForSingleObject(thread, kPatienceMs), WAIT_OBJECT_0);
            CloseHandle(thread);
        }
        if (query_ != nullptr) system_libraries.pdh.close_query(query_);
        CloseHandle(stop_event_);
        DeleteCriticalSection(&sample_lock);
        FreeSystemLibraries();
    }

    void start(SamplerSlot& slot, PDH_HQUERY query, int32_t index, bool with_event = true) {
        slot = SamplerSlot{};
        slot.query = query;
        slot.index = index;
        slot.stop_event = with_event ? stop_event_ : nullptr;
        const uintptr_t thread = _beginthreadex(nullptr, 0, sampler_main, &slot, 0, nullptr);
        ASSERT_NE(thread, 0u);
        threads_.push_back(reinterpret_cast<HANDLE>(thread));
        slots_.push_back(&slot);
    }

    void stop_all() {
        EnterCriticalSection(&sample_lock);
        for (SamplerSlot* slot : slots_) slot->stop = true;
        LeaveCriticalSection(&sample_lock);
        SetEvent(stop_event_);
    }

    // Takes the slot's value as the main thread does; false when none is fresh.
    static bool take(SamplerSlot& slot, double& usage) {
        EnterCriticalSection(&sample_lock);
        const bool fresh = slot.fresh;
        usage = slot.usage;
        slot.fresh = false;
        LeaveCriticalSection(&sample_lock);
        return fresh;
    }

    // Waits for the slot's next fresh value; false when none came within the patience.
    static bool take_soon(SamplerSlot& slot, double& usage) {
        const DWORD start = GetTickCount();
        while (!take(slot, usage)) {
            if (GetTickCount() - start >= kPatienceMs) return false;
            Sleep(50);
        }
        return true;
    }

    // The threads run until TearDown joins them, so their slots live as long as the fixture.
    SamplerSlot slots[kMostProcessors] = {};
    SamplerSlot& slot = slots[0];
    PDH_HQUERY query_ = nullptr;
    HANDLE stop_event_ = nullptr;
    int32_t processors_ = 1;
    std::vector<HANDLE> threads_;
    std::vector<SamplerSlot*> slots_;
};

TEST_F(SamplerTest, EveryProcessorGetsAPercentageAboutOnceASecond) {
    const int32_t count = processors_ < kMostProcessors ? processors_ : kMostProcessors;
    for (int32_t i = 0; i < count; ++i) start(slots[i], query_, i);
    double usage = -1.0;
    // The first interval has to pass before there is anything to tell.
    for (int32_t i = 0; i < count; ++i) EXPECT_FALSE(take(slots[i], usage)) << i;
    for (int32_t i = 0; i < count; ++i) {
        ASSERT_TRUE(take_soon(slots[i], usage)) << i;
        EXPECT_GE(usage, 0.0);
        EXPECT_LE(usage, 100.0);
    }
    // And again a second later.
    for (int32_t i = 0; i < count; ++i) EXPECT_TRUE(take_soon(slots[i], usage)) << i;
}

TEST_F(SamplerTest, WithoutAStopEventTheStopFlagEndsTheThreadAfterOneMoreSample) {
    start(slot, query_, 0, false);
    double usage;
    ASSERT_TRUE(take_soon(slot, usage));
    stop_all();
    ASSERT_EQ(WaitForSingleObject(threads_[0], kPatienceMs), WAIT_OBJECT_0);
    EXPECT_TRUE(take(slot, usage));
    DWORD code = 99;
    GetExitCodeThread(threads_[0], &code);
    EXPECT_EQ(code, 0u);
}

TEST_F(SamplerTest, MeasuresWithoutAPerformanceQuery) {
    // No query means no counter: the kernel's processor times stand in.
    start(slot, nullptr, 0);
    double usage = -1.0;
    ASSERT_TRUE(take_soon(slot, usage));
    EXPECT_GE(usage, 0.0);
    EXPECT_LE(usage, 100.0);
}

TEST_F(SamplerTest, AProcessorTheSystemDoesNotHaveGetsNoValueButStillStops) {
    start(slot, query_, processors_ + 3);
    Sleep(2300);
    double usage;
    EXPECT_FALSE(take(slot, usage));
    stop_all();
    EXPECT_EQ(WaitForSingleObject(threads_[0], kPatienceMs), WAIT_OBJECT_0);
}

TEST_F(SamplerTest, ANullSlotEndsAtOnce) {
    const uintptr_t thread = _beginthreadex(nullptr, 0, sampler_main, nullptr, 0, nullptr);
    ASSERT_NE(thread, 0u);
    threads_.push_back(reinterpret_cast<HANDLE>(thread));
    ASSERT_EQ(WaitForSingleObject(threads_[0], kPatienceMs), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeThread(threads_[0], &code);
    EXPECT_EQ(code, 0u);
}

}  // namespace
