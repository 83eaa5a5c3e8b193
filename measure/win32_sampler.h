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
};

// Guards usage, fresh and stop of every SamplerSlot. Initialised before the
// first sampler starts and deleted after the last has ended.
extern CRITICAL_SECTION sample_lock;

// Start routine for _beginthreadex; the argument is the processor's SamplerSlot.
// Runs until the slot's stop flag is seen after a sample; returns 0. Without a
// query (or without the performance-data helper) it measures from the kernel's
// processor times.
unsigned __stdcall sampler_main(void* slot);
