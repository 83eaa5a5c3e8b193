#include "measure/win32_sampler.h"

#include <gtest/gtest.h>

#include <pdhmsg.h>
#include <process.h>

#include <string>
#include <vector>

#include "platform/win32_system_libraries.h"

namespace {

// The most processors the gadget looks at.
constexpr int32_t kMostProcessors = 32;
// How long a test waits for a sample or a thread's end: generous, since a
// machine busy with other work can run the threads seconds late.
constexpr DWORD kPatienceMs = 20000;

// The performance-data helper as a script: each collection brings the next
// raw reading. The calculation is the usage between a newer and an older
// reading (100 * busy delta / time delta) and, like the real one, refuses a
// newer reading that is not later than the older one.
struct Reading {
    bool collected;
    DWORD status;
    LONGLONG busy;
    LONGLONG time;
};
constexpr DWORD kValid = PDH_CSTATUS_VALID_DATA;
// In the log of publications: the turn published nothing.
constexpr double kNothing = -1.0;

struct ScriptedPdh {
    std::vector<Reading> script;
    size_t collections = 0;
    Reading current = {};
    std::string path;
    SamplerSlot* slot = nullptr;
    // At each collection after the baseline, what the turn before published.
    std::vector<double> published;
    HANDLE stop_event = nullptr;  // set once the script has run out
} scripted;

PDH_STATUS WINAPI ScriptedAddCounter(PDH_HQUERY, LPCSTR path, DWORD_PTR, PDH_HCOUNTER* counter) {
    scripted.path = path;
    *counter = reinterpret_cast<PDH_HCOUNTER>(&scripted);
    return ERROR_SUCCESS;
}

PDH_STATUS WINAPI ScriptedCollect(PDH_HQUERY) {
    if (scripted.collections++ > 0) {
        EnterCriticalSection(&sample_lock);
        scripted.published.push_back(scripted.slot->fresh ? scripted.slot->usage : kNothing);
        scripted.slot->fresh = false;
        LeaveCriticalSection(&sample_lock);
    }
    if (scripted.collections > scripted.script.size()) {
        SetEvent(scripted.stop_event);
        return PDH_NO_DATA;
    }
    scripted.current = scripted.script[scripted.collections - 1];
    return scripted.current.collected ? ERROR_SUCCESS : PDH_NO_DATA;
}

PDH_STATUS WINAPI ScriptedRawValue(PDH_HCOUNTER, LPDWORD, PPDH_RAW_COUNTER raw) {
    *raw = {scripted.current.status, {}, scripted.current.busy, scripted.current.time, 0};
    return ERROR_SUCCESS;
}

PDH_STATUS WINAPI ScriptedCalculate(PDH_HCOUNTER, DWORD format, PPDH_RAW_COUNTER newer,
                                    PPDH_RAW_COUNTER older, PPDH_FMT_COUNTERVALUE value) {
    *value = PDH_FMT_COUNTERVALUE{};
    value->CStatus = PDH_CSTATUS_INVALID_DATA;
    if (format != PDH_FMT_DOUBLE) return PDH_INVALID_ARGUMENT;
    if (newer->SecondValue <= older->SecondValue) return PDH_CALC_NEGATIVE_DENOMINATOR;
    value->doubleValue = 100.0 * static_cast<double>(newer->FirstValue - older->FirstValue) /
                         static_cast<double>(newer->SecondValue - older->SecondValue);
    // Less busy time than before: a value, but not a valid one.
    if (value->doubleValue >= 0.0) value->CStatus = PDH_CSTATUS_VALID_DATA;
    return ERROR_SUCCESS;
}

// Sampler threads on real slots, joined and cleaned up by the fixture.
class SamplerTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeCriticalSection(&sample_lock);
        stop_event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        LoadSystemLibraries();
        loaded_pdh_ = system_libraries.pdh;
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
        system_libraries.pdh = loaded_pdh_;
        sample_interval_ms = 1000;
        if (query_ != nullptr) system_libraries.pdh.close_query(query_);
        CloseHandle(stop_event_);
        DeleteCriticalSection(&sample_lock);
        FreeSystemLibraries();
    }

    // Runs one sampler over `script`, with turns that take no time, and
    // returns what each turn published; the fixture puts the real library back.
    std::vector<double> publications(std::vector<Reading> script) {
        system_libraries.pdh.add_counter = ScriptedAddCounter;
        system_libraries.pdh.collect_query_data = ScriptedCollect;
        system_libraries.pdh.get_raw_counter_value = ScriptedRawValue;
        system_libraries.pdh.calculate_counter_from_raw_value = ScriptedCalculate;
        scripted = ScriptedPdh{script, 0, {}, "", &slot, {}, stop_event_};
        sample_interval_ms = 0;
        start(slot, reinterpret_cast<PDH_HQUERY>(&scripted), 0);
        EXPECT_EQ(WaitForSingleObject(threads_[0], kPatienceMs), WAIT_OBJECT_0);
        // The stop event ended it at once: no collection after the one that set it.
        EXPECT_EQ(scripted.collections, script.size() + 1);
        return scripted.published;
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
    PdhLibrary loaded_pdh_ = {};
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

TEST_F(SamplerTest, TwoReadingsGiveTheUsageBetweenThem) {
    const std::vector<double> published =
        publications({{true, kValid, 1000, 10000}, {true, PDH_CSTATUS_NEW_DATA, 1600, 11000}});
    // Nothing for the baseline; then 600 busy of 1000.
    EXPECT_EQ(published, (std::vector<double>{kNothing, 60.0}));
    EXPECT_EQ(scripted.path, "\\Processor(0)\\% Processor Time");
}

TEST_F(SamplerTest, AFailedCollectionOrAnInvalidStatusPublishesNothing) {
    const std::vector<double> published = publications({
        {true, kValid, 1000, 10000},
        {false, kValid, 1100, 11000},                     // the collection fails
        {true, PDH_CSTATUS_INVALID_DATA, 1200, 12000},    // an invalid reading
        {true, kValid, 1500, 13000},                      // from the baseline: 500 of 3000
        {true, kValid, 1400, 14000},                      // calculated, but invalid
        {true, kValid, 1800, 15000},                      // 400 of 1000 since the one before
    });
    EXPECT_EQ(published, (std::vector<double>{kNothing, kNothing, kNothing, 500.0 / 30.0, kNothing,
                                              40.0}));
}

TEST_F(SamplerTest, EachValueIsTheNewestReadingOverTheOneBefore) {
    // Swapped, the calculation refuses; over the baseline, the last value would be 24 %.
    const std::vector<double> published = publications(
        {{true, kValid, 0, 10000}, {true, kValid, 500, 11000}, {true, kValid, 1200, 15000}});
    EXPECT_EQ(published, (std::vector<double>{kNothing, 50.0, 17.5}));
}

TEST_F(SamplerTest, ACounterFailingFiveTurnsInARowGivesWayToTheKernelsTimes) {
    // Four failures in a row are still waited out on the counter.
    EXPECT_EQ(publications({{true, kValid, 1000, 10000}, {false, kValid, 0, 0},
                            {true, PDH_CSTATUS_INVALID_DATA, 0, 0}, {false, kValid, 0, 0},
                            {true, kValid, 900, 11000}, {true, kValid, 1300, 12000}}),
              (std::vector<double>{kNothing, kNothing, kNothing, kNothing, kNothing, 40.0}));

    // The fifth ends the counter: no collection after it, and the kernel's
    // times, from a baseline of their own, bring values again.
    ResetEvent(stop_event_);  // set when the first script ran out
    scripted = ScriptedPdh{{{true, kValid, 1000, 10000}, {false, kValid, 0, 0},
                            {false, kValid, 0, 0}, {true, kValid, 900, 11000},
                            {true, PDH_CSTATUS_INVALID_DATA, 0, 0}, {false, kValid, 0, 0},
                            {true, kValid, 5000, 99000}},
                           0, {}, "", &slots[1], {}, nullptr};
    sample_interval_ms = 20;
    start(slots[1], reinterpret_cast<PDH_HQUERY>(&scripted), 0);
    double usage = -1.0;
    ASSERT_TRUE(take_soon(slots[1], usage));
    EXPECT_GE(usage, 0.0);
    EXPECT_LE(usage, 100.0);
    EXPECT_EQ(scripted.collections, 6u);
}

TEST_F(SamplerTest, APausedSamplerReadsNothingAndResumesFromANewBaseline) {
    HANDLE paused = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE running = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    system_libraries.pdh.add_counter = ScriptedAddCounter;
    system_libraries.pdh.collect_query_data = ScriptedCollect;
    system_libraries.pdh.get_raw_counter_value = ScriptedRawValue;
    system_libraries.pdh.calculate_counter_from_raw_value = ScriptedCalculate;
    // Paused before the first turn: the baseline is taken, then nothing more.
    SetEvent(paused);
    ResetEvent(running);
    scripted = ScriptedPdh{{{true, kValid, 1000, 10000},     // baseline
                            {true, kValid, 9000, 90000},     // the new baseline after the pause
                            {true, kValid, 9300, 91000}},    // 300 of 1000 since then
                           0, {}, "", &slot, {}, stop_event_};
    sample_interval_ms = 0;
    slot = SamplerSlot{};
    slot.query = reinterpret_cast<PDH_HQUERY>(&scripted);
    slot.stop_event = stop_event_;
    slot.paused_event = paused;
    slot.running_event = running;
    const uintptr_t thread = _beginthreadex(nullptr, 0, sampler_main, &slot, 0, nullptr);
    ASSERT_NE(thread, 0u);
    threads_.push_back(reinterpret_cast<HANDLE>(thread));
    slots_.push_back(&slot);
    Sleep(300);
    EXPECT_EQ(scripted.collections, 1u) << "nothing read while paused";
    ResetEvent(paused);
    SetEvent(running);
    EXPECT_EQ(WaitForSingleObject(threads_[0], kPatienceMs), WAIT_OBJECT_0);
    // The reading after the pause counts from the new baseline, not from the old one (10 %).
    EXPECT_EQ(scripted.published, (std::vector<double>{kNothing, kNothing, 30.0}));
    CloseHandle(paused);
    CloseHandle(running);
}

DWORD turn_now = 0;
DWORD WINAPI TurnTime() { return turn_now; }
int turn_collections = 0;
PDH_STATUS WINAPI CountedCollect(PDH_HQUERY) {
    ++turn_collections;
    return ERROR_SUCCESS;
}
LONG WINAPI FourProcessors(ULONG, PVOID buffer, ULONG size, PULONG length) {
    auto* entries = static_cast<ProcessorPerformance*>(buffer);
    for (int i = 0; i < 4 && (i + 1) * sizeof(ProcessorPerformance) <= size; ++i) {
        entries[i] = {};
        entries[i].idle.QuadPart = 100 * i + turn_now;
        entries[i].kernel.QuadPart = 200 * i + turn_now;
        entries[i].user.QuadPart = 300 * i;
    }
    *length = 4 * sizeof(ProcessorPerformance);
    return 0;
}

TEST(SamplerTurn, TheFirstSamplerOfATurnCollectsForAllOfIt) {
    const PdhLibrary saved = system_libraries.pdh;
    system_libraries.pdh.collect_query_data = CountedCollect;
    sample_interval_ms = 1000;
    SamplerTurn turn;
    turn.clock = TurnTime;
    turn_now = 50000;
    turn_collections = 0;
    // Four samplers within the same half second share one collection; the next
    // turn, a second later, collects again.
    for (DWORD at : {50000u, 50010u, 50200u, 50499u}) {
        turn_now = at;
        EXPECT_EQ(turn.collect(nullptr), ERROR_SUCCESS);
    }
    EXPECT_EQ(turn_collections, 1);
    turn_now = 50500;
    turn.collect(nullptr);
    EXPECT_EQ(turn_collections, 2);
    // The kernel's report likewise, each processor reading its own entry.
    LARGE_INTEGER times[3];
    turn_now = 60000;
    ASSERT_TRUE(turn.processor_times(FourProcessors, 2, times));
    turn_now = 60100;
    ASSERT_TRUE(turn.processor_times(FourProcessors, 3, times));
    EXPECT_EQ(times[0].QuadPart, 300 + 60000) << "the turn's report, taken at 60000";
    EXPECT_EQ(times[2].QuadPart, 900);
    EXPECT_FALSE(turn.processor_times(FourProcessors, 4, times));
    EXPECT_EQ(turn.reports, 1u);
    EXPECT_EQ(turn.collections, 2u);
    system_libraries.pdh = saved;

    // Turns keep to one grid whatever each sampler's own delays: one that comes
    // back late waits less, one that finished early waits the rest.
    SamplerTurn grid;
    grid.clock = TurnTime;
    turn_now = 7000;
    EXPECT_EQ(grid.until_next_turn(1000), 1000u);
    turn_now = 8030;
    EXPECT_EQ(grid.until_next_turn(1000), 970u);
    turn_now = 8990;
    EXPECT_EQ(grid.until_next_turn(1000), 10u);
    turn_now = 9000 + 1000 * 500 + 12;  // many turns later, no drift
    EXPECT_EQ(grid.until_next_turn(1000), 988u);
    EXPECT_EQ(grid.until_next_turn(0), 0u);
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
