#include "measure/win32_samplers.h"

#include <gtest/gtest.h>

#include <process.h>

#include <vector>

#include "platform/win32_platform.h"
#include "platform/win32_system_libraries.h"

namespace {

// Sampler threads start with the body a test chose instead of the program's.
unsigned(__stdcall* chosen_body)(void*) = nullptr;
uintptr_t __cdecl StartChosenBody(void* security, unsigned stack, unsigned(__stdcall*)(void*),
                                  void* argument, unsigned flags, unsigned* id) {
    return _beginthreadex(security, stack, chosen_body, argument, flags, id);
}

// A performance query that is only opened and closed (the samplers, finding no
// counters, measure from the kernel's times), with how often it was closed.
LONG queries_closed = 0;
PDH_STATUS WINAPI OpenQuery(LPCSTR, DWORD_PTR, PDH_HQUERY* query) {
    *query = reinterpret_cast<PDH_HQUERY>(&queries_closed);
    return ERROR_SUCCESS;
}
PDH_STATUS WINAPI CloseQuery(PDH_HQUERY) {
    ++queries_closed;
    return ERROR_SUCCESS;
}

// Each case runs with the samplers waiting on a condition variable, and again
// on events, as where the system has none.
class SamplersTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        LoadSystemLibraries();
        if (!GetParam()) platform.threads = Platform::Threads{};
        ASSERT_EQ(platform.threads.sleep_condition_variable_cs != nullptr, GetParam());
    }
    void TearDown() override {
        // Samplers held up past the join used the test's query, not the library.
        platform.performance.still_used = false;
        FreeSystemLibraries();
    }


    // Threads of `body` (null: the program's own) on a query only opened and closed.
    void use(unsigned(__stdcall* body)(void*)) {
        platform.performance = Platform::Performance{};
        platform.performance.open_query = OpenQuery;
        platform.performance.close_query = CloseQuery;
        queries_closed = 0;
        chosen_body = body;
        if (body != nullptr) platform.threads.begin_thread = StartChosenBody;
    }

    ScopedPlatform platform_;
};

INSTANTIATE_TEST_SUITE_P(Waits, SamplersTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "OnAConditionVariable" : "OnEvents";
                         });

// What each started thread was given.
CRITICAL_SECTION seen_lock;
struct SeenStart {
    int32_t index;
    PDH_HQUERY query;
};
std::vector<SeenStart> seen;
size_t SeenCount() {
    EnterCriticalSection(&seen_lock);
    const size_t count = seen.size();
    LeaveCriticalSection(&seen_lock);
    return count;
}
unsigned __stdcall RecordStart(void* argument) {
    const SamplerSlot& slot = *static_cast<SamplerSlot*>(argument);
    EnterCriticalSection(&seen_lock);
    seen.push_back({slot.index, slot.shared->query()});
    LeaveCriticalSection(&seen_lock);
    return 0;
}

TEST_P(SamplersTest, OneSamplerStartsPerProcessorOnItsOwnSlotAndTheQueryTheyShare) {
    use(RecordStart);
    InitializeCriticalSection(&seen_lock);
    seen.clear();
    {
        Samplers samplers(3);
        EXPECT_EQ(samplers.count(), 3u);
        EXPECT_NE(samplers.shared().query(), nullptr);
        for (int i = 0; i < 2000 && SeenCount() < 3; ++i) Sleep(5);
        ASSERT_EQ(SeenCount(), 3u);
        std::vector<bool> started(kMaxProcessors, false);
        for (const SeenStart& start : seen) {
            ASSERT_GE(start.index, 0);
            ASSERT_LT(start.index, 3);
            EXPECT_FALSE(started[start.index]) << "twice: " << start.index;
            started[start.index] = true;
            EXPECT_EQ(start.query, samplers.shared().query());
        }
    }
    EXPECT_EQ(queries_closed, 1);
    DeleteCriticalSection(&seen_lock);
}

// Waits, as a sampler does, until it is told to stop; then says it saw the stop.
LONG samplers_stopped = 0;
unsigned __stdcall RunUntilStopped(void* argument) {
    SamplerShared& shared = *static_cast<SamplerSlot*>(argument)->shared;
    while (!shared.stop_asked()) Sleep(5);
    Sleep(50);  // the destructor has to wait for this
    InterlockedIncrement(&samplers_stopped);
    return 0;
}

TEST_P(SamplersTest, TheDestructorStopsAndJoinsEverySampler) {
    use(RunUntilStopped);
    samplers_stopped = 0;
    Samplers* samplers = new Samplers(4);
    Sleep(100);
    EXPECT_EQ(samplers_stopped, 0);
    delete samplers;
    EXPECT_EQ(samplers_stopped, 4);
}

TEST_P(SamplersTest, SamplersEndAtOnceWithoutWaitingOutTheirTurn) {
    use(nullptr);
    // Turns that never end by themselves, and a wait as patient as any test's.
    delete new Samplers(2, SamplerOptions{INFINITE, 20000});
    // Only the stop can have ended them: otherwise the query would be left open.
    EXPECT_EQ(queries_closed, 1);
    EXPECT_FALSE(platform.performance.still_used);
}

// Held up until the test lets it go, after the destructor has given up on it;
// then it uses what a sampler uses: the block's records, its lock and its stop.
HANDLE let_go = nullptr;
LONG held_found_all = 0;
unsigned __stdcall HeldUp(void* argument) {
    const SamplerSlot& slot = *static_cast<SamplerSlot*>(argument);
    WaitForSingleObject(let_go, INFINITE);
    const bool stop = slot.shared->publish(slot.index, 50.0);
    if (stop && slot.shared->wait_for_turn(slot.shared->turn().turn_now()) == SamplerWake::kStop) {
        InterlockedIncrement(&held_found_all);
    }
    return 0;
}

TEST_P(SamplersTest, ASamplerThatDoesNotEndInTimeKeepsTheBlockAndTheLibrary) {
    use(HeldUp);
    let_go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    held_found_all = 0;
    delete new Samplers(2, SamplerOptions{1000, 0});
    EXPECT_EQ(queries_closed, 0);
    EXPECT_TRUE(platform.performance.still_used);
    SetEvent(let_go);
    for (int i = 0; i < 2000 && held_found_all < 2; ++i) Sleep(10);
    EXPECT_EQ(held_found_all, 2);
    CloseHandle(let_go);
}

unsigned __stdcall EndAtOnce(void*) { return 0; }

TEST_P(SamplersTest, EachFreshValueIsTakenOnceAndOnlyForTheProcessorsShown) {
    use(EndAtOnce);
    Samplers samplers(4);
    SamplerShared& shared = samplers.shared();
    shared.publish(2, 4.2);
    shared.publish(0, 30.0);
    shared.publish(0, 37.9);  // overwritten before it was taken: only the newest counts
    shared.publish(4, 99.0);  // beyond the processors shown
    UsageSample samples[kMaxProcessors] = {};
    samplers.take(samples);
    EXPECT_TRUE(samples[0].fresh && !samples[1].fresh && samples[2].fresh && !samples[3].fresh);
    EXPECT_EQ(samples[0].usage, 37.9);
    EXPECT_EQ(samples[2].usage, 4.2);
    EXPECT_FALSE(samples[4].fresh);
    samplers.take(samples);
    EXPECT_FALSE(samples[0].fresh || samples[2].fresh);
    double usage = 0.0;
    EXPECT_TRUE(shared.take(4, usage));
    EXPECT_EQ(usage, 99.0);

    EXPECT_FALSE(samplers.paused());
    samplers.pause();
    EXPECT_TRUE(samplers.paused());
    samplers.resume();
    EXPECT_FALSE(samplers.paused());
}

}  // namespace
