// The samplers: one thread per processor measuring how busy it is, about once
// a second, for the frames to take. The part owns the threads and the block
// they share (the performance query, the turn, the stop and pause and what
// the samplers wait on for them, the hand-over records and the lock that
// guards them), and knows nothing of windows.
//
// Contract: the threads start on construction, each with its processor as the
// ideal one (a hint, not an affinity). The destructor tells them all to end and
// waits for them together, within the join limit. A sampler that has not ended
// by then may still use the block and the performance library, so neither is
// freed under it: the block stays for the rest of the process, and the library
// stays loaded (platform.performance.still_used). Threads start through the
// platform table (platform.threads.begin_thread), so tests can run a body of
// their own on the same slots.
#pragma once

#include <windows.h>

#include <cstdint>

#include "measure/processor_usage.h"
#include "measure/win32_sampler.h"

struct SamplerOptions {
    // Between two samples of a processor.
    DWORD interval_ms = 1000;
    // How long the destructor waits for all samplers together.
    DWORD join_limit_ms = 3000;
};

class Samplers {
public:
    // One sampler for each of processors 0 to count - 1 (count at most kMaxProcessors).
    explicit Samplers(uint32_t count, SamplerOptions options = SamplerOptions());
    ~Samplers();

    uint32_t count() const;
    // While nobody can see the meter: the samplers wait, reading nothing, and
    // start from a new baseline when resumed.
    void pause();
    void resume();
    bool paused() const;
    // The frame's hand-over: every processor's value that has not been taken
    // yet, marked fresh in `samples` (count entries); the others are not fresh.
    void take(UsageSample* samples);
    // The block the threads publish to; tests publish the same way.
    SamplerShared& shared();

private:
    Samplers(const Samplers&) = delete;
    Samplers& operator=(const Samplers&) = delete;

    SamplerShared* shared_;
    uint32_t count_;
    DWORD join_limit_;
    HANDLE threads_[kMaxProcessors] = {};
};
