#include "measure/win32_sampler.h"

#include <pdhmsg.h>

#include "measure/processor_usage.h"
#include "platform/win32_system_libraries.h"

namespace {

constexpr ULONG kSystemProcessorPerformanceInformation = 8;
// One processor group; the program looks at no more than 32 processors anyway.
constexpr size_t kMaxReportedProcessors = 64;
// Turns in a row a counter may fail before the kernel's times replace it.
constexpr int kCounterFailuresToGiveUp = 5;

static_assert(sizeof(ProcessorPerformance) == 48, "the kernel's record is 48 bytes");

// The kernel's processor times are not part of the documented interface: looked
// up in the library every process has mapped already.
QuerySystemInformationFunction LookUpProcessorTimes() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (ntdll == nullptr) return nullptr;
    // Through the catch-all function type: FARPROC's own signature matches nothing.
    return reinterpret_cast<QuerySystemInformationFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtQuerySystemInformation")));
}

enum class Wake { kSample, kStop, kPause };

// Waits out one interval: kStop when the samplers were told to stop meanwhile,
// kPause when they were paused. Without an event only the stop flag, read after
// each sample, can end a sampler.
Wake WaitForTurn(const SamplerSlot& slot) {
    const DWORD wait =
        slot.turn != nullptr ? slot.turn->until_next_turn(sample_interval_ms) : sample_interval_ms;
    if (slot.stop_event == nullptr) {
        Sleep(wait);
        return Wake::kSample;
    }
    const HANDLE events[2] = {slot.stop_event, slot.paused_event};
    const DWORD count = slot.paused_event != nullptr ? 2 : 1;
    const DWORD woken = WaitForMultipleObjects(count, events, FALSE, wait);
    if (woken == WAIT_TIMEOUT) return Wake::kSample;
    // The stop event comes first, so it wins when both are set; a failed wait
    // ends the thread too, rather than letting it spin.
    return woken == WAIT_OBJECT_0 + 1 ? Wake::kPause : Wake::kStop;
}

// Waits, without any reading, until the samplers run again (true) or are to
// stop (false).
bool WaitToRun(const SamplerSlot& slot) {
    if (slot.running_event == nullptr) return true;
    const HANDLE events[2] = {slot.stop_event, slot.running_event};
    return WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
}

bool ValidStatus(DWORD status) {
    return status == PDH_CSTATUS_VALID_DATA || status == PDH_CSTATUS_NEW_DATA;
}

// Measures one processor: through its performance counter when the system has
// one by that path (localized systems only know the English path through
// PdhAddEnglishCounterA), otherwise from the kernel's per-processor times. A
// query exists only while the performance-data helper is loaded.
class UsageReader {
public:
    UsageReader(PDH_HQUERY query, int32_t index, SamplerTurn* turn)
        : pdh_(system_libraries.pdh), query_(query), index_(index), turn_(turn) {
        if (query != nullptr && pdh_.add_counter != nullptr) add_counter();
        if (counter_ == nullptr) query_times_ = LookUpProcessorTimes();
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
            query_times_ = LookUpProcessorTimes();
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
        const PDH_STATUS collected =
            turn_ != nullptr ? turn_->collect(query_) : pdh_.collect_query_data(query_);
        return collected == ERROR_SUCCESS &&
               pdh_.get_raw_counter_value(counter_, nullptr, &raw) == ERROR_SUCCESS &&
               ValidStatus(raw.CStatus);
    }

    bool read_times(ProcessorTimes& times) {
        if (query_times_ == nullptr || index_ < 0) return false;
        if (turn_ != nullptr) {
            LARGE_INTEGER shared[3];
            if (!turn_->processor_times(query_times_, index_, shared)) return false;
            times = {shared[0].QuadPart, shared[1].QuadPart, shared[2].QuadPart};
            return true;
        }
        ProcessorPerformance entries[kMaxReportedProcessors];
        ULONG length = 0;
        if (query_times_(kSystemProcessorPerformanceInformation, entries, sizeof entries,
                         &length) != 0) {
            return false;
        }
        if (static_cast<size_t>(index_) >= length / sizeof(ProcessorPerformance)) return false;
        const ProcessorPerformance& entry = entries[index_];
        times = {entry.idle.QuadPart, entry.kernel.QuadPart, entry.user.QuadPart};
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
    const PdhLibrary& pdh_;
    PDH_HQUERY query_;
    int32_t index_;
    SamplerTurn* turn_;
    PDH_HCOUNTER counter_ = nullptr;
    PDH_RAW_COUNTER raw_[2] = {};
    int newest_ = 0;
    QuerySystemInformationFunction query_times_ = nullptr;
    ProcessorTimes times_ = {};
    bool have_previous_ = false;
    bool counter_failed_ = false;
    int counter_failures_ = 0;
};

}  // namespace

SamplerTurn::SamplerTurn() { InitializeCriticalSection(&lock_); }
SamplerTurn::~SamplerTurn() { DeleteCriticalSection(&lock_); }

DWORD SamplerTurn::until_next_turn(DWORD interval) {
    if (interval == 0) return 0;
    EnterCriticalSection(&lock_);
    const DWORD now = clock();
    if (!started_) {
        started_ = true;
        epoch_ = now;
    }
    const DWORD wait = interval - (now - epoch_) % interval;
    LeaveCriticalSection(&lock_);
    return wait;
}

bool SamplerTurn::fresh(bool taken, DWORD taken_at) const {
    return taken && clock() - taken_at < sample_interval_ms / 2;
}

PDH_STATUS SamplerTurn::collect(PDH_HQUERY query) {
    // Held across the collection: the other samplers of the turn wait for it
    // rather than collect again. No other lock is ever taken under it.
    EnterCriticalSection(&lock_);
    if (!fresh(collected_, collected_at_)) {
        collect_status_ = system_libraries.pdh.collect_query_data(query);
        collected_at_ = clock();
        collected_ = true;
        ++collections;
    }
    const PDH_STATUS status = collect_status_;
    LeaveCriticalSection(&lock_);
    return status;
}

bool SamplerTurn::processor_times(QuerySystemInformationFunction query, int32_t index,
                                  LARGE_INTEGER times[3]) {
    EnterCriticalSection(&lock_);
    if (!fresh(reported_, reported_at_)) {
        ULONG length = 0;
        report_ok_ = query(kSystemProcessorPerformanceInformation, report_, sizeof report_,
                           &length) == 0;
        report_entries_ = report_ok_ ? length / sizeof(ProcessorPerformance) : 0;
        reported_at_ = clock();
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

CRITICAL_SECTION sample_lock;
bool sample_lock_still_used = false;
DWORD sample_interval_ms = 1000;

unsigned __stdcall sampler_main(void* argument) {
    if (argument == nullptr) return 0;
    SamplerSlot& slot = *static_cast<SamplerSlot*>(argument);
    EnterCriticalSection(&sample_lock);
    const int32_t index = slot.index;
    const PDH_HQUERY query = slot.query;
    SamplerSlot events = slot;  // the events and the turn, fixed before the thread started
    LeaveCriticalSection(&sample_lock);

    UsageReader reader(query, index, events.turn);
    for (;;) {
        const Wake wake = WaitForTurn(events);
        if (wake == Wake::kStop) break;
        if (wake == Wake::kPause) {
            if (!WaitToRun(events)) break;
            reader.rebase();
            continue;
        }
        double usage = 0.0;
        const bool measured = reader.next(usage);
        EnterCriticalSection(&sample_lock);
        if (measured) {
            slot.usage = usage;
            slot.fresh = true;
        }
        const bool stop = slot.stop;
        LeaveCriticalSection(&sample_lock);
        if (stop) break;
    }
    return 0;
}
