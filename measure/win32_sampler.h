// The per-processor sampler threads: each measures about once a second how busy
// its processor was and leaves the value in the processor's SamplerSlot for the
// main thread.
#pragma once

#include <windows.h>
#include <pdh.h>

#include <cstdint>

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
// Runs until the slot's stop event is set (at once, without another sample),
// or, without an event, until the slot's stop flag is seen after a sample;
// returns 0. Without a query (or without the performance-data helper) it
// measures from the kernel's processor times.
unsigned __stdcall sampler_main(void* slot);
