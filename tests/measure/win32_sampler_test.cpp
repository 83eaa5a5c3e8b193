#include "measure/win32_sampler.h"

#include <gtest/gtest.h>

#include <pdhmsg.h>
#include <process.h>

#include <string>
#include <vector>

#include "platform/win32_platform.h"
#include "platform/win32_system_libraries.h"

namespace {

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
    SamplerShared* shared = nullptr;
    // At each collection after the baseline, what the turn before published.
    std::vector<double> published;
    bool stop_at_end = true;  // the samplers are told to end once the script has run out
} scripted;

PDH_STATUS WINAPI ScriptedOpen(LPCSTR, DWORD_PTR, PDH_HQUERY* query) {
    *query = reinterpret_cast<PDH_HQUERY>(&scripted);
    return ERROR_SUCCESS;
}
PDH_STATUS WINAPI ScriptedClose(PDH_HQUERY) { return ERROR_SUCCESS; }

PDH_STATUS WINAPI ScriptedAddCounter(PDH_HQUERY, LPCSTR path, DWORD_PTR, PDH_HCOUNTER* counter) {
    scripted.path = path;
    *counter = reinterpret_cast<PDH_HCOUNTER>(&scripted);
    return ERROR_SUCCESS;
}

PDH_STATUS WINAPI ScriptedCollect(PDH_HQUERY) {
    if (scripted.collections++ > 0) {
        double usage = 0.0;
        scripted.published.push_back(scripted.shared->take(0, usage) ? usage : kNothing);
    }
    if (scripted.collections > scripted.script.size()) {
        if (scripted.stop_at_end) scripted.shared->ask_to_stop();
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

HANDLE WINAPI NoEvent(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCWSTR) { return nullptr; }

// A tick count that jumps a second at every look: no reading is ever still the
// current turn's, so a lone sampler collects at every turn however late it runs.
volatile LONG jumping_ticks = 0;
DWORD WINAPI JumpingTicks() {
    return static_cast<DWORD>(InterlockedExchangeAdd(&jumping_ticks, 1000));
}

// Sampler threads on the slots of blocks of the test's, joined and cleaned up by the fixture.
class SamplerTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadSystemLibraries();
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        processors_ = static_cast<int32_t>(system.dwNumberOfProcessors);
    }

    void TearDown() override {
        for (SamplerShared* shared : blocks_) shared->ask_to_stop();
        for (HANDLE thread : threads_) {
            EXPECT_EQ(WaitForSingleObject(thread, kPatienceMs), WAIT_OBJECT_0);
            CloseHandle(thread);
        }
        for (SamplerShared* shared : blocks_) delete shared;
        FreeSystemLibraries();
    }

    // A block whose samplers take `interval_ms` between samples; the fixture deletes it.
    SamplerShared& block(DWORD interval_ms) {
        blocks_.push_back(new SamplerShared(interval_ms));
        return *blocks_.back();
    }

    // The performance library as the script says, for the blocks made from now on.
    void script(std::vector<Reading> readings) {
        platform.performance.open_query = ScriptedOpen;
        platform.performance.close_query = ScriptedClose;
        platform.performance.add_counter = ScriptedAddCounter;
        platform.performance.collect_query_data = ScriptedCollect;
        platform.performance.get_raw_counter_value = ScriptedRawValue;
        platform.performance.calculate_counter_from_raw_value = ScriptedCalculate;
        scripted = ScriptedPdh{};
        scripted.script = std::move(readings);
    }

    // Runs one sampler over `readings`, with turns that take no time, and
    // returns what each turn published.
    std::vector<double> publications(std::vector<Reading> readings) {
        script(readings);
        SamplerShared& shared = block(0);
        scripted.shared = &shared;
        start(shared, 0);
        EXPECT_EQ(WaitForSingleObject(threads_.back(), kPatienceMs), WAIT_OBJECT_0);
        // The stop ended it at once: no collection after the one that asked for it.
        EXPECT_EQ(scripted.collections, readings.size() + 1);
        return scripted.published;
    }

    void start(SamplerShared& shared, uint32_t index) {
        const uintptr_t thread =
            _beginthreadex(nullptr, 0, sampler_main, shared.slot(index), 0, nullptr);
        ASSERT_NE(thread, 0u);
        threads_.push_back(reinterpret_cast<HANDLE>(thread));
    }

    // Waits for processor `index`'s next fresh value; false when none came within the patience.
    static bool take_soon(SamplerShared& shared, uint32_t index, double& usage) {
        const DWORD start = GetTickCount();
        while (!shared.take(index, usage)) {
            if (GetTickCount() - start >= kPatienceMs) return false;
            Sleep(50);
        }
        return true;
    }

    ScopedPlatform platform_;
    int32_t processors_ = 1;
    // The threads run until TearDown joins them, so their blocks live as long as the fixture.
    std::vector<SamplerShared*> blocks_;
    std::vector<HANDLE> threads_;
};

// The same behaviour whichever way the samplers wait: on the condition variable
// where the system has one, else on events (Windows XP). The table's entries
// decide it for the blocks made afterwards.
class SamplerWaits : public SamplerTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        SamplerTest::SetUp();
        if (!GetParam()) platform.threads = Platform::Threads{};
        ASSERT_EQ(platform.threads.sleep_condition_variable_cs != nullptr, GetParam());
    }
};

INSTANTIATE_TEST_SUITE_P(Waits, SamplerWaits, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "OnAConditionVariable" : "OnEvents";
                         });

TEST_P(SamplerWaits, EveryProcessorGetsAPercentageAboutOnceASecond) {
    const int32_t count = processors_ < static_cast<int32_t>(kMaxProcessors)
                              ? processors_
                              : static_cast<int32_t>(kMaxProcessors);
    SamplerShared& shared = block(1000);
    for (int32_t i = 0; i < count; ++i) start(shared, i);
    double usage = -1.0;
    // The first interval has to pass before there is anything to tell.
    for (int32_t i = 0; i < count; ++i) EXPECT_FALSE(shared.take(i, usage)) << i;
    for (int32_t i = 0; i < count; ++i) {
        ASSERT_TRUE(take_soon(shared, i, usage)) << i;
        EXPECT_GE(usage, 0.0);
        EXPECT_LE(usage, 100.0);
    }
    // And again a second later.
    for (int32_t i = 0; i < count; ++i) EXPECT_TRUE(take_soon(shared, i, usage)) << i;
}

TEST_F(SamplerTest, WithoutAStopEventTheStopEndsTheThreadAfterOneMoreSample) {
    platform.threads = Platform::Threads{};  // nor a condition variable
    platform.threads.create_event = NoEvent;
    // One wake per turn, so the turn after the stop has a new reading to publish.
    SamplerShared& shared = block(1000);
    start(shared, 0);
    double usage;
    ASSERT_TRUE(take_soon(shared, 0, usage));
    shared.ask_to_stop();
    ASSERT_EQ(WaitForSingleObject(threads_[0], kPatienceMs), WAIT_OBJECT_0);
    EXPECT_TRUE(shared.take(0, usage));
    DWORD code = 99;
    GetExitCodeThread(threads_[0], &code);
    EXPECT_EQ(code, 0u);
    // Never paused either: nothing could resume it.
    shared.pause();
    EXPECT_FALSE(shared.paused());
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
    script({{true, kValid, 1000, 10000}, {false, kValid, 0, 0}, {false, kValid, 0, 0},
            {true, kValid, 900, 11000}, {true, PDH_CSTATUS_INVALID_DATA, 0, 0},
            {false, kValid, 0, 0}, {true, kValid, 5000, 99000}});
    scripted.stop_at_end = false;
    platform.clock.time = JumpingTicks;
    SamplerShared& shared = block(20);
    scripted.shared = &shared;
    start(shared, 0);
    double usage = -1.0;
    ASSERT_TRUE(take_soon(shared, 0, usage));
    EXPECT_GE(usage, 0.0);
    EXPECT_LE(usage, 100.0);
    EXPECT_EQ(scripted.collections, 6u);
}

TEST_P(SamplerWaits, APausedSamplerReadsNothingAndResumesFromANewBaseline) {
    script({{true, kValid, 1000, 10000},    // baseline
            {true, kValid, 9000, 90000},    // the new baseline after the pause
            {true, kValid, 9300, 91000}});  // 300 of 1000 since then
    SamplerShared& shared = block(0);
    scripted.shared = &shared;
    // Paused before the first turn: the baseline is taken, then nothing more.
    shared.pause();
    EXPECT_TRUE(shared.paused());
    start(shared, 0);
    Sleep(300);
    EXPECT_EQ(scripted.collections, 1u) << "nothing read while paused";
    shared.resume();
    EXPECT_EQ(WaitForSingleObject(threads_[0], kPatienceMs), WAIT_OBJECT_0);
    // The reading after the pause counts from the new baseline, not from the old one (10 %).
    EXPECT_EQ(scripted.published, (std::vector<double>{kNothing, kNothing, 30.0}));
}

TEST_P(SamplerWaits, AStopReachesAWaitingOrPausedSamplerAtOnceAndWinsOverAPause) {
    // Turns far longer than any test's patience: only the stop can end them.
    SamplerShared& waiting = block(10 * kPatienceMs);
    start(waiting, 0);
    SamplerShared& paused = block(10 * kPatienceMs);
    paused.pause();
    start(paused, 0);
    Sleep(200);
    waiting.ask_to_stop();
    paused.ask_to_stop();
    EXPECT_EQ(WaitForSingleObject(threads_[0], kPatienceMs), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(threads_[1], kPatienceMs), WAIT_OBJECT_0);

    // What the wait tells the sampler, asked on this thread.
    SamplerShared& shared = block(0);
    EXPECT_EQ(shared.wait_for_turn(shared.turn().turn_now()), SamplerWake::kSample);
    shared.pause();
    EXPECT_EQ(shared.wait_for_turn(shared.turn().turn_now()), SamplerWake::kPause);
    shared.resume();
    EXPECT_TRUE(shared.wait_to_run());
    EXPECT_FALSE(shared.paused());
    shared.pause();
    shared.ask_to_stop();
    EXPECT_TRUE(shared.paused());
    EXPECT_EQ(shared.wait_for_turn(shared.turn().turn_now()), SamplerWake::kStop);
    EXPECT_FALSE(shared.wait_to_run());
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
    ScopedPlatform scoped;
    platform.performance.collect_query_data = CountedCollect;
    platform.system.query_system_information = FourProcessors;
    platform.clock.time = TurnTime;
    SamplerTurn turn(1000);
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
    ASSERT_TRUE(turn.processor_times(2, times));
    turn_now = 60100;
    ASSERT_TRUE(turn.processor_times(3, times));
    EXPECT_EQ(times[0].QuadPart, 300 + 60000) << "the turn's report, taken at 60000";
    EXPECT_EQ(times[2].QuadPart, 900);
    EXPECT_FALSE(turn.processor_times(4, times));
    EXPECT_EQ(turn.reports, 1u);
    EXPECT_EQ(turn.collections, 2u);

    // Turns keep to one grid whatever each sampler's own delays: one that comes
    // back late waits less, one that finished early waits the rest, and one
    // whose clock reads a little before the point it waited for is not woken
    // again for the same turn.
    SamplerTurn grid(1000);
    turn_now = 7000;
    EXPECT_EQ(grid.turn_now(), 7000u);
    EXPECT_EQ(grid.until_turn_after(7000), 1000u);
    turn_now = 8030;
    EXPECT_EQ(grid.until_turn_after(8000), 970u);
    EXPECT_EQ(grid.until_turn_after(7000), 0u) << "late for the turn at 8000";
    turn_now = 8990;
    EXPECT_EQ(grid.turn_now(), 9000u);
    EXPECT_EQ(grid.until_turn_after(8000), 10u);
    EXPECT_EQ(grid.until_turn_after(9000), 1010u);
    turn_now = 9000 + 1000 * 500 + 12;  // many turns later, no drift
    EXPECT_EQ(grid.until_turn_after(9000 + 1000 * 500), 988u);
    // Long enough for the clock to wrap: the grid stays.
    turn_now = 7000 + 1000u * 4294966u;
    EXPECT_EQ(grid.turn_now(), turn_now);
    turn_now += 1000 * 300 - 4;
    EXPECT_EQ(grid.turn_now(), turn_now + 4);
    EXPECT_EQ(SamplerTurn(0).until_turn_after(0), 0u);
}

// A condition variable as a script: each wait moves the clock on by 400 ms and
// wakes without a change twice, then times out; or every wait fails.
std::vector<DWORD> asked_waits;
bool waits_fail = false;
BOOL WINAPI ScriptedSleep(PCONDITION_VARIABLE, PCRITICAL_SECTION, DWORD milliseconds) {
    asked_waits.push_back(milliseconds);
    turn_now += 400;
    SetLastError(waits_fail ? ERROR_INVALID_PARAMETER : ERROR_TIMEOUT);
    return !waits_fail && asked_waits.size() <= 2;
}
void WINAPI ScriptedWake(PCONDITION_VARIABLE) {}

TEST_F(SamplerTest, AWakeWithoutAChangeWaitsOutTheTurnAndAFailedWaitEndsTheSampler) {
    platform.clock.time = TurnTime;
    platform.threads.sleep_condition_variable_cs = ScriptedSleep;
    platform.threads.wake_all_condition_variable = ScriptedWake;
    ASSERT_NE(platform.threads.initialize_condition_variable, nullptr);
    turn_now = 7000;
    asked_waits.clear();
    waits_fail = false;
    SamplerShared& shared = block(1000);
    EXPECT_EQ(shared.wait_for_turn(shared.turn().turn_now()), SamplerWake::kSample);
    EXPECT_EQ(asked_waits, (std::vector<DWORD>{1000, 600, 200}));

    waits_fail = true;
    EXPECT_EQ(shared.wait_for_turn(shared.turn().turn_now()), SamplerWake::kStop);
    shared.pause();
    EXPECT_FALSE(shared.wait_to_run());
}

TEST_F(SamplerTest, MeasuresWithoutAPerformanceQuery) {
    // No query means no counter: the kernel's processor times stand in.
    platform.performance = Platform::Performance{};
    SamplerShared& shared = block(1000);
    EXPECT_EQ(shared.query(), nullptr);
    start(shared, 0);
    double usage = -1.0;
    ASSERT_TRUE(take_soon(shared, 0, usage));
    EXPECT_GE(usage, 0.0);
    EXPECT_LE(usage, 100.0);
}

TEST_F(SamplerTest, AProcessorTheSystemDoesNotHaveGetsNoValueButStillStops) {
    const uint32_t missing = kMaxProcessors - 1;
    if (static_cast<uint32_t>(processors_) > missing) GTEST_SKIP() << "every slot has a processor";
    SamplerShared& shared = block(1000);
    start(shared, missing);
    Sleep(2300);
    double usage;
    EXPECT_FALSE(shared.take(missing, usage));
    shared.ask_to_stop();
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
