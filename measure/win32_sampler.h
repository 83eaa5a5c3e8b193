// The per-processor sampler threads: each measures about once a second how busy
// its processor was and leaves the value in the processor's SamplerSlot for the
// main thread.
#pragma once

#include <windows.h>
#include <pdh.h>

#include <cstdint>

// One processor's entry of the kernel's performance report.
struct ProcessorPerformance {
    LARGE_INTEGER idle;
    LARGE_INTEGER kernel;  // includes idle
    LARGE_INTEGER user;
    LARGE_INTEGER reserved[2];
    ULONG interrupt_count;
};

using QuerySystemInformationFunction = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

// One collection a turn for all samplers: the first sampler of a turn collects
// (the performance query, or the kernel's processor times) and the others take
// that turn's reading, so the cost of a turn does not grow with the processors
// twice over. A reading younger than half the sampling interval belongs to the
// current turn. Owned with the slots; shared by their threads.
class SamplerTurn {
public:
    SamplerTurn();
    ~SamplerTurn();
    // The status of the query's collection of this turn, made now if none was.
    PDH_STATUS collect(PDH_HQUERY query);
    // The processor's times from the kernel's report of this turn.
    bool processor_times(QuerySystemInformationFunction query, int32_t index,
                         LARGE_INTEGER times[3]);
    // Milliseconds until the next turn begins. Turns start on one grid of
    // `interval` for all samplers, so that they stay in the same turn however
    // long the gadget runs rather than drift apart by their own delays.
    DWORD until_next_turn(DWORD interval);

    // Milliseconds; tests move it by hand.
    DWORD(WINAPI* clock)() = GetTickCount;
    // How many collections and reports were really made.
    uint32_t collections = 0;
    uint32_t reports = 0;

private:
    SamplerTurn(const SamplerTurn&) = delete;
    SamplerTurn& operator=(const SamplerTurn&) = delete;
    bool fresh(bool taken, DWORD taken_at) const;

    static constexpr size_t kMostReported = 64;
    CRITICAL_SECTION lock_;
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

// Hand-over record between one sampler thread and the main thread.
struct SamplerSlot {
    PDH_HQUERY query;
    double usage;
    int32_t index;
    bool fresh;
    HANDLE thread;
    uint32_t thread_id;
    bool stop;
    // The one manual-reset event, set when all samplers are to end; the thread
    // waits on it between samples. Owned by whoever owns the slots; may be null.
    HANDLE stop_event;
    // While nobody can see the meter (session locked, display off, asleep) the
    // main thread sets paused_event and resets running_event; the sampler then
    // waits, and starts a new baseline when running_event is set again, so no
    // reading spans the pause. Both may be null: never paused.
    HANDLE paused_event;
    HANDLE running_event;
    // The turn's shared collection; null: the sampler collects for itself.
    SamplerTurn* turn;
};

// Guards usage, fresh and stop of every SamplerSlot. Initialised before the
// first sampler starts and deleted after the last has ended; never deleted
// once sample_lock_still_used is set.
extern CRITICAL_SECTION sample_lock;
// Set when a sampler had not ended by the time it was waited for: it may still
// take sample_lock, which then stays until the process ends.
extern bool sample_lock_still_used;

// Milliseconds between two samples; tests shorten it, or make it endless.
extern DWORD sample_interval_ms;

// Start routine for _beginthreadex; the argument is the processor's SamplerSlot.
// Runs until the slot's stop event is set (at once, without another sample, and
// also while paused),
// or, without an event, until the slot's stop flag is seen after a sample;
// returns 0. Without a query (or without the performance-data helper) it
// measures from the kernel's processor times.
unsigned __stdcall sampler_main(void* slot);
