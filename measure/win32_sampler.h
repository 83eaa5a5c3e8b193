// The sampler threads' side of measuring: the block that every sampler shares
// with the others and with the main thread, the turn that lets one collection
// serve all samplers, and the body each sampler thread runs.
//
// Contract: a SamplerShared lives longer than every thread started on one of
// its slots; whoever owns it deletes it only once they have all ended (the
// samplers part, measure/win32_samplers.h, keeps it for the rest of the process
// otherwise). Everything the threads and the main thread share is read and
// written under the block's own lock, held for a few stores at a time and never
// across a call into the performance library, a wait or a sleep (a wait on the
// block's condition variable lets go of it while it waits).
#pragma once

#include <windows.h>
#include <pdh.h>

#include <cstdint>

#include "measure/processor_usage.h"

// One processor's entry of the kernel's performance report.
struct ProcessorPerformance {
    LARGE_INTEGER idle;
    LARGE_INTEGER kernel;  // includes idle
    LARGE_INTEGER user;
    LARGE_INTEGER reserved[2];
    ULONG interrupt_count;
};

// One collection a turn for all samplers: the first sampler of a turn collects
// (the performance query, or the kernel's processor times) and the others take
// that turn's reading, so the cost of a turn does not grow with the processors
// twice over. A reading younger than half the sampling interval belongs to the
// current turn. Its clock is the platform table's millisecond clock: the
// multimedia timer where there is one, which steps finer than the tick count.
class SamplerTurn {
public:
    explicit SamplerTurn(DWORD interval_ms);
    ~SamplerTurn();
    // The status of the query's collection of this turn, made now if none was.
    PDH_STATUS collect(PDH_HQUERY query);
    // The processor's times from the kernel's report of this turn; false where
    // the system gives none for it.
    bool processor_times(int32_t index, LARGE_INTEGER times[3]);
    // Turns start on one grid of the interval for all samplers (from the first
    // reading of any), so that they stay in the same turn however long the
    // gadget runs rather than drift apart by their own delays. A reading made
    // now counts as the turn of the grid point nearest it (measure/turn_grid.h).
    DWORD turn_now();
    // Milliseconds until the turn after `taken` begins, for a sampler whose
    // last reading counted as that turn (0 with an interval of 0).
    DWORD until_turn_after(DWORD taken);

    // How many collections and reports were really made.
    uint32_t collections = 0;
    uint32_t reports = 0;

private:
    SamplerTurn(const SamplerTurn&) = delete;
    SamplerTurn& operator=(const SamplerTurn&) = delete;
    bool fresh(bool taken, DWORD taken_at) const;
    // The clock, the grid started at the first look. Called under the lock.
    DWORD now_on_grid();

    static constexpr size_t kMostReported = 64;
    CRITICAL_SECTION lock_;
    const DWORD interval_;
    bool started_ = false;
    DWORD epoch_ = 0;
    bool collected_ = false;
    DWORD collected_at_ = 0;
    PDH_STATUS collect_status_ = 0;
    bool reported_ = false;
    DWORD reported_at_ = 0;
    bool report_ok_ = false;
    ULONG report_entries_ = 0;
    ProcessorPerformance report_[kMostReported];
};

class SamplerShared;

// What one sampler thread is started with: its processor, and the block.
struct SamplerSlot {
    SamplerShared* shared;
    int32_t index;
};

// How a sampler's wait for its next turn ended.
enum class SamplerWake {
    kSample,  // the turn has come
    kStop,    // the samplers are to end (also when a wait failed)
    kPause,   // nobody can see the meter: wait, without readings, to run again
};

// What the samplers share: the performance query, the turn, whether they are
// to stop or paused, and one hand-over record per processor (the newest usage
// and whether the main thread has taken it), all guarded by the block's lock.
// Where the system has condition variables (Vista on) the samplers wait on one
// beside the lock: a wait within the process, which under Wine asks its server
// nothing. Elsewhere they wait on stop, pause and run events.
class SamplerShared {
public:
    // Opens the performance query where the helper is loaded (without it every
    // sampler measures from the kernel's processor times), and takes the
    // condition variable where the platform table has its entry points (it
    // keeps them: the table is emptied at the very end), else makes the events
    // (without them the samplers are never paused, and see the stop only after
    // a sample). `interval_ms` lies between two samples.
    explicit SamplerShared(DWORD interval_ms);
    // Closes the query and any events.
    ~SamplerShared();

    // The record of processor `index` (below kMaxProcessors) to start its thread on.
    SamplerSlot* slot(uint32_t index);
    PDH_HQUERY query() const;

    // The sampler threads' side.
    SamplerTurn& turn();
    // Waits for the turn after `taken` (the turn of the sampler's last
    // reading), unless the samplers are stopped or paused first.
    SamplerWake wait_for_turn(DWORD taken);
    // Waits while paused: true when the samplers run again, false when they are to end.
    bool wait_to_run();
    // Leaves `usage` as processor `index`'s newest value; true when its sampler
    // is to end.
    bool publish(int32_t index, double usage);
    // Whether the samplers are to end.
    bool stop_asked();

    // The main thread's side.
    // Takes processor `index`'s value when there is one it has not taken yet.
    // The flag is looked at without the lock first, so a frame without new
    // values takes no lock; a value published a moment later is seen next time.
    bool take(uint32_t index, double& usage);
    // Tells every sampler to end: at once where it waits, else after its sample.
    void ask_to_stop();
    // Pauses and resumes every sampler; after a pause each takes a new
    // baseline first, so no reading spans it.
    void pause();
    void resume();
    bool paused() const;

private:
    SamplerShared(const SamplerShared&) = delete;
    SamplerShared& operator=(const SamplerShared&) = delete;
    void make_events();
    SamplerWake wait_on_condition(DWORD taken);
    void set_paused(bool paused);

    struct HandOver {
        double usage;
        bool fresh;
    };

    mutable CRITICAL_SECTION lock_;
    const DWORD interval_;
    PDH_HQUERY query_ = nullptr;
    // Woken whenever stop_ or paused_ changes; its entry points are null
    // where the system has none.
    CONDITION_VARIABLE changed_ = {};
    BOOL(WINAPI* sleep_)(PCONDITION_VARIABLE condition, PCRITICAL_SECTION lock,
                         DWORD milliseconds) = nullptr;
    void(WINAPI* wake_all_)(PCONDITION_VARIABLE condition) = nullptr;
    // Without the condition variable, manual-reset events: set when all are to
    // end; set while paused, with running reset. The pause pair is null
    // without a stop event.
    HANDLE stop_event_ = nullptr;
    HANDLE paused_event_ = nullptr;
    HANDLE running_event_ = nullptr;
    bool stop_ = false;
    bool paused_ = false;
    SamplerTurn turn_;
    SamplerSlot slots_[kMaxProcessors];
    HandOver hand_over_[kMaxProcessors] = {};
};

// The start routine of a sampler thread; the argument is its SamplerSlot.
// Runs until the samplers are told to stop (at once, without another sample,
// and also while paused), or, without a condition variable or an event, until
// the stop is seen after a sample; returns 0. A null argument ends it at once. Without a query (or
// without the performance-data helper) it measures from the kernel's
// processor times.
unsigned __stdcall sampler_main(void* slot);
