#include "measure/win32_sampler.h"

#include <pdhmsg.h>

#include "measure/processor_usage.h"
#include "measure/turn_grid.h"
#include "platform/win32_platform.h"

namespace {

constexpr ULONG kSystemProcessorPerformanceInformation = 8;
// Turns in a row a counter may fail before the kernel's times replace it.
constexpr int kCounterFailuresToGiveUp = 5;
// A quarter of the clock's range: the grid's epoch moves on long before a
// difference from it could wrap.
constexpr DWORD kRebaseAfterMs = 0x40000000;

static_assert(sizeof(ProcessorPerformance) == 48, "the kernel's record is 48 bytes");

bool ValidStatus(DWORD status) {
    return status == PDH_CSTATUS_VALID_DATA || status == PDH_CSTATUS_NEW_DATA;
}

// Measures one processor: through its performance counter when the system has
// one by that path (localized systems only know the English path through
// PdhAddEnglishCounterA), otherwise from the kernel's per-processor times. A
// query exists only while the performance-data helper is loaded.
class UsageReader {
public:
    UsageReader(PDH_HQUERY query, int32_t index, SamplerTurn& turn)
        : pdh_(platform.performance), query_(query), index_(index), turn_(turn) {
        if (query != nullptr && pdh_.add_counter != nullptr) add_counter();
        kernel_times_ = counter_ == nullptr;
        rebase();
    }

    // The baseline: the next value covers the interval that starts here.
    void rebase() {
        have_previous_ = counter_ != nullptr ? read_counter(raw_[newest_]) : read_times(times_);
    }

    // The usage since the previous good reading; false when this turn's
    // reading or calculation failed, so there is nothing to publish.
    bool next(double& usage) {
        if (counter_ == nullptr) return next_from_times(usage);
        if (next_from_counter(usage)) {
            counter_failures_ = 0;
            return true;
        }
        // A counter that keeps failing (corrupted counter data is a known cause)
        // would freeze the bar for good: the kernel's times take over for the
        // rest of the run, from a baseline of their own.
        if (counter_failed_ && ++counter_failures_ >= kCounterFailuresToGiveUp) {
            counter_ = nullptr;
            kernel_times_ = true;
            have_previous_ = read_times(times_);
        }
        return false;
    }

private:
    void add_counter() {
        const std::string path = ProcessorCounterPath(index_);
        if (pdh_.add_counter(query_, path.c_str(), 0, &counter_) == ERROR_SUCCESS) return;
        counter_ = nullptr;
        if (pdh_.add_english_counter == nullptr ||
            pdh_.add_english_counter(query_, path.c_str(), 0, &counter_) != ERROR_SUCCESS) {
            counter_ = nullptr;
        }
    }

    bool read_counter(PDH_RAW_COUNTER& raw) {
        return turn_.collect(query_) == ERROR_SUCCESS &&
               pdh_.get_raw_counter_value(counter_, nullptr, &raw) == ERROR_SUCCESS &&
               ValidStatus(raw.CStatus);
    }

    bool read_times(ProcessorTimes& times) {
        if (!kernel_times_ || index_ < 0) return false;
        LARGE_INTEGER shared[3];
        if (!turn_.processor_times(index_, shared)) return false;
        times = {shared[0].QuadPart, shared[1].QuadPart, shared[2].QuadPart};
        return true;
    }

    // Sets counter_failed_ when the reading or the calculation failed (not when
    // there was only no earlier reading yet).
    bool next_from_counter(double& usage) {
        // The two raw buffers alternate; a failed read keeps the last good one
        // as the base of the next calculation.
        counter_failed_ = true;
        const int fresh = 1 - newest_;
        if (!read_counter(raw_[fresh])) return false;
        newest_ = fresh;
        const bool had_previous = have_previous_;
        have_previous_ = true;
        if (!had_previous) {
            counter_failed_ = false;
            return false;
        }
        PDH_FMT_COUNTERVALUE value = {};
        if (pdh_.calculate_counter_from_raw_value(counter_, PDH_FMT_DOUBLE, &raw_[fresh],
                                                  &raw_[1 - fresh], &value) != ERROR_SUCCESS ||
            !ValidStatus(value.CStatus)) {
            return false;
        }
        counter_failed_ = false;
        usage = value.doubleValue;
        return true;
    }

    bool next_from_times(double& usage) {
        ProcessorTimes current;
        if (!read_times(current)) return false;
        const ProcessorTimes previous = times_;
        const bool had_previous = have_previous_;
        times_ = current;
        have_previous_ = true;
        return had_previous && UsageBetween(previous, current, usage);
    }

    // Filled before the thread started and kept until it has ended.
    const Platform::Performance& pdh_;
    PDH_HQUERY query_;
    int32_t index_;
    SamplerTurn& turn_;
    PDH_HCOUNTER counter_ = nullptr;
    PDH_RAW_COUNTER raw_[2] = {};
    int newest_ = 0;
    bool kernel_times_ = false;
    ProcessorTimes times_ = {};
    bool have_previous_ = false;
    bool counter_failed_ = false;
    int counter_failures_ = 0;
};

}  // namespace

SamplerTurn::SamplerTurn(DWORD interval_ms) : interval_(interval_ms) {
    InitializeCriticalSection(&lock_);
}
SamplerTurn::~SamplerTurn() { DeleteCriticalSection(&lock_); }

DWORD SamplerTurn::now_on_grid() {
    const DWORD now = platform.clock.time();
    if (!started_) {
        started_ = true;
        epoch_ = now;
    }
    // Moved on by whole turns long before the clock wraps: the grid stays where
    // it is rather than jump when the difference wraps.
    if (interval_ != 0 && now - epoch_ >= kRebaseAfterMs) {
        epoch_ += (now - epoch_) / interval_ * interval_;
    }
    return now;
}

DWORD SamplerTurn::turn_now() {
    EnterCriticalSection(&lock_);
    const DWORD turn = NearestTurn(now_on_grid(), epoch_, interval_);
    LeaveCriticalSection(&lock_);
    return turn;
}

DWORD SamplerTurn::until_turn_after(DWORD taken) {
    if (interval_ == 0) return 0;
    EnterCriticalSection(&lock_);
    const DWORD wait = UntilNextTurn(now_on_grid(), epoch_, interval_, taken);
    LeaveCriticalSection(&lock_);
    return wait;
}

bool SamplerTurn::fresh(bool taken, DWORD taken_at) const {
    return taken && platform.clock.time() - taken_at < interval_ / 2;
}

PDH_STATUS SamplerTurn::collect(PDH_HQUERY query) {
    // Held across the collection: the other samplers of the turn wait for it
    // rather than collect again. No other lock is ever taken under it.
    EnterCriticalSection(&lock_);
    if (!fresh(collected_, collected_at_)) {
        collect_status_ = platform.performance.collect_query_data(query);
        collected_at_ = platform.clock.time();
        collected_ = true;
        ++collections;
    }
    const PDH_STATUS status = collect_status_;
    LeaveCriticalSection(&lock_);
    return status;
}

bool SamplerTurn::processor_times(int32_t index, LARGE_INTEGER times[3]) {
    const QuerySystemInformationFunction query = platform.system.query_system_information;
    if (query == nullptr) return false;
    EnterCriticalSection(&lock_);
    if (!fresh(reported_, reported_at_)) {
        ULONG length = 0;
        report_ok_ = query(kSystemProcessorPerformanceInformation, report_, sizeof report_,
                           &length) == 0;
        report_entries_ = report_ok_ ? length / sizeof(ProcessorPerformance) : 0;
        reported_at_ = platform.clock.time();
        reported_ = true;
        ++reports;
    }
    const bool found = report_ok_ && index >= 0 && static_cast<ULONG>(index) < report_entries_;
    if (found) {
        times[0] = report_[index].idle;
        times[1] = report_[index].kernel;
        times[2] = report_[index].user;
    }
    LeaveCriticalSection(&lock_);
    return found;
}

SamplerShared::SamplerShared(DWORD interval_ms) : interval_(interval_ms), turn_(interval_ms) {
    InitializeCriticalSection(&lock_);
    const Platform::Performance& pdh = platform.performance;
    if (pdh.open_query == nullptr || pdh.open_query(nullptr, 0, &query_) != ERROR_SUCCESS) {
        query_ = nullptr;
    }
    const Platform::Threads& threads = platform.threads;
    if (threads.initialize_condition_variable != nullptr &&
        threads.sleep_condition_variable_cs != nullptr &&
        threads.wake_all_condition_variable != nullptr) {
        threads.initialize_condition_variable(&changed_);
        sleep_ = threads.sleep_condition_variable_cs;
        wake_all_ = threads.wake_all_condition_variable;
    } else {
        make_events();
    }
    for (uint32_t i = 0; i < kMaxProcessors; ++i) {
        slots_[i] = SamplerSlot{this, static_cast<int32_t>(i)};
    }
}

void SamplerShared::make_events() {
    stop_event_ = platform.threads.create_event(nullptr, TRUE, FALSE, nullptr);
    // Both or neither, and only with the stop event that also ends a pause: a
    // sampler that could be paused but never resumed would stay silent.
    if (stop_event_ != nullptr) {
        paused_event_ = platform.threads.create_event(nullptr, TRUE, FALSE, nullptr);
        running_event_ = platform.threads.create_event(nullptr, TRUE, TRUE, nullptr);
    }
    if (paused_event_ == nullptr || running_event_ == nullptr) {
        if (paused_event_ != nullptr) CloseHandle(paused_event_);
        if (running_event_ != nullptr) CloseHandle(running_event_);
        paused_event_ = running_event_ = nullptr;
    }
}

SamplerShared::~SamplerShared() {
    if (query_ != nullptr) platform.performance.close_query(query_);
    for (HANDLE event : {stop_event_, paused_event_, running_event_}) {
        if (event != nullptr) CloseHandle(event);
    }
    DeleteCriticalSection(&lock_);
}

SamplerSlot* SamplerShared::slot(uint32_t index) {
    return index < kMaxProcessors ? &slots_[index] : nullptr;
}

PDH_HQUERY SamplerShared::query() const { return query_; }

SamplerTurn& SamplerShared::turn() { return turn_; }

SamplerWake SamplerShared::wait_for_turn(DWORD taken) {
    if (sleep_ != nullptr) return wait_on_condition(taken);
    const DWORD wait = turn_.until_turn_after(taken);
    if (stop_event_ == nullptr) {
        platform.clock.sleep(wait);
        return SamplerWake::kSample;
    }
    const HANDLE events[2] = {stop_event_, paused_event_};
    const DWORD count = paused_event_ != nullptr ? 2 : 1;
    const DWORD woken = WaitForMultipleObjects(count, events, FALSE, wait);
    if (woken == WAIT_TIMEOUT) return SamplerWake::kSample;
    // The stop event comes first, so it wins when both are set; a failed wait
    // ends the thread too, rather than letting it spin.
    return woken == WAIT_OBJECT_0 + 1 ? SamplerWake::kPause : SamplerWake::kStop;
}

SamplerWake SamplerShared::wait_on_condition(DWORD taken) {
    for (;;) {
        // Worked out again after every wake: a condition variable may also
        // wake without a change, and the sampler then waits out the rest of its
        // turn. The turn's own lock is never taken under the block's.
        const DWORD wait = turn_.until_turn_after(taken);
        EnterCriticalSection(&lock_);
        bool woken = false;
        bool failed = false;
        if (wait != 0 && !stop_ && !paused_) {
            woken = sleep_(&changed_, &lock_, wait) != FALSE;
            failed = !woken && GetLastError() != ERROR_TIMEOUT;
        }
        // The stop wins over a pause; a failed wait ends the thread too,
        // rather than letting it spin.
        const SamplerWake wake = stop_ || failed ? SamplerWake::kStop
                                 : paused_       ? SamplerWake::kPause
                                                 : SamplerWake::kSample;
        LeaveCriticalSection(&lock_);
        if (!woken || wake != SamplerWake::kSample) return wake;
    }
}

bool SamplerShared::wait_to_run() {
    if (sleep_ != nullptr) {
        EnterCriticalSection(&lock_);
        bool failed = false;
        while (!stop_ && paused_ && !failed) failed = !sleep_(&changed_, &lock_, INFINITE);
        const bool run = !stop_ && !failed;
        LeaveCriticalSection(&lock_);
        return run;
    }
    if (running_event_ == nullptr) return true;
    const HANDLE events[2] = {stop_event_, running_event_};
    return WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
}

bool SamplerShared::publish(int32_t index, double usage) {
    EnterCriticalSection(&lock_);
    if (index >= 0 && static_cast<uint32_t>(index) < kMaxProcessors) {
        hand_over_[index].usage = usage;
        hand_over_[index].fresh = true;
    }
    const bool stop = stop_;
    LeaveCriticalSection(&lock_);
    return stop;
}

bool SamplerShared::stop_asked() {
    EnterCriticalSection(&lock_);
    const bool stop = stop_;
    LeaveCriticalSection(&lock_);
    return stop;
}

bool SamplerShared::take(uint32_t index, double& usage) {
    if (index >= kMaxProcessors) return false;
    HandOver& record = hand_over_[index];
    if (!record.fresh) return false;
    EnterCriticalSection(&lock_);
    const bool fresh = record.fresh;
    usage = record.usage;
    record.fresh = false;
    LeaveCriticalSection(&lock_);
    return fresh;
}

void SamplerShared::ask_to_stop() {
    EnterCriticalSection(&lock_);
    stop_ = true;
    LeaveCriticalSection(&lock_);
    if (wake_all_ != nullptr) {
        wake_all_(&changed_);
    } else if (stop_event_ != nullptr) {
        SetEvent(stop_event_);
    }
}

void SamplerShared::pause() { set_paused(true); }

void SamplerShared::resume() { set_paused(false); }

void SamplerShared::set_paused(bool paused) {
    // Without the variable or the events nothing could resume a paused sampler.
    if (wake_all_ == nullptr && paused_event_ == nullptr) return;
    EnterCriticalSection(&lock_);
    paused_ = paused;
    LeaveCriticalSection(&lock_);
    if (wake_all_ != nullptr) {
        wake_all_(&changed_);
        return;
    }
    // The pair is never both set: a sampler sees either the pause or the run.
    ResetEvent(paused ? running_event_ : paused_event_);
    SetEvent(paused ? paused_event_ : running_event_);
}

bool SamplerShared::paused() const {
    EnterCriticalSection(&lock_);
    const bool paused = paused_;
    LeaveCriticalSection(&lock_);
    return paused;
}

unsigned __stdcall sampler_main(void* argument) {
    if (argument == nullptr) return 0;
    const SamplerSlot slot = *static_cast<SamplerSlot*>(argument);
    SamplerShared& shared = *slot.shared;
    UsageReader reader(shared.query(), slot.index, shared.turn());
    // The turn of the last reading: one wake per turn, however early the clock
    // reads around its grid point.
    DWORD taken = shared.turn().turn_now();
    for (;;) {
        const SamplerWake wake = shared.wait_for_turn(taken);
        if (wake == SamplerWake::kStop) break;
        if (wake == SamplerWake::kPause) {
            if (!shared.wait_to_run()) break;
            reader.rebase();
            taken = shared.turn().turn_now();
            continue;
        }
        double usage = 0.0;
        const bool measured = reader.next(usage);
        taken = shared.turn().turn_now();
        if (measured ? shared.publish(slot.index, usage) : shared.stop_asked()) break;
    }
    return 0;
}
