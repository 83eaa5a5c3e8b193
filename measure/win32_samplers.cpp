#include "measure/win32_samplers.h"

#include "platform/win32_platform.h"

// All samplers are waited for at once.
static_assert(kMaxProcessors <= MAXIMUM_WAIT_OBJECTS, "one wait takes every sampler thread");

Samplers::Samplers(uint32_t count, SamplerOptions options)
    : shared_(new SamplerShared(options.interval_ms)),
      count_(count < kMaxProcessors ? count : kMaxProcessors),
      join_limit_(options.join_limit_ms) {
    for (uint32_t i = 0; i < count_; ++i) {
        unsigned id = 0;
        threads_[i] = reinterpret_cast<HANDLE>(
            platform.threads.begin_thread(nullptr, 0, sampler_main, shared_->slot(i), 0, &id));
        // A hint only: the thread may run anywhere, but mostly measures from its own processor.
        if (threads_[i] != nullptr) SetThreadIdealProcessor(threads_[i], i);
    }
}

Samplers::~Samplers() {
    shared_->ask_to_stop();
    // All at once, with one deadline: a sampler stuck in the performance
    // library cannot hold up the others, nor the exit for longer than that.
    HANDLE running[kMaxProcessors];
    DWORD started = 0;
    for (HANDLE thread : threads_) {
        if (thread != nullptr) running[started++] = thread;
    }
    const bool all_ended =
        started == 0 ||
        WaitForMultipleObjects(started, running, TRUE, join_limit_) < WAIT_OBJECT_0 + started;
    for (DWORD i = 0; i < started; ++i) CloseHandle(running[i]);
    if (all_ended) {
        delete shared_;
        return;
    }
    // A sampler still running may yet use the block (its slot, what it waits
    // on, the turn, the lock), the query and the performance library's code:
    // none of them is freed under it. The process is about to end and takes them along.
    if (shared_->query() != nullptr) platform.performance.still_used = true;
}

uint32_t Samplers::count() const { return count_; }

void Samplers::pause() { shared_->pause(); }

void Samplers::resume() { shared_->resume(); }

bool Samplers::paused() const { return shared_->paused(); }

void Samplers::take(UsageSample* samples) {
    for (uint32_t i = 0; i < count_; ++i) {
        samples[i].fresh = shared_->take(i, samples[i].usage);
    }
}

SamplerShared& Samplers::shared() { return *shared_; }
