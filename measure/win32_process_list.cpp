#include "measure/win32_process_list.h"

#include <algorithm>

#include "platform/win32_platform.h"
#include "text/string_helpers.h"

namespace {

constexpr ULONG kSystemProcessInformation = 5;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr LONG kBufferTooSmall = static_cast<LONG>(0xC0000023);
// A few hundred processes with their threads fill some hundred kilobytes; the
// list grows as asked up to a bound that a machine with thousands of
// processes still stays below, and no further however much is asked.
constexpr size_t kFirstBytes = 64 * 1024;
constexpr size_t kMostBytes = 8 * 1024 * 1024;
// Room for processes that start between being told the size and listing.
constexpr size_t kSlackBytes = 16 * 1024;
// The kernel counts processor time in 100 ns units.
constexpr int64_t kTimeUnitsPerMs = 10000;

}  // namespace

bool ProcessLoadWatch::list_now() {
    const QuerySystemInformationFunction query = platform.system.query_system_information;
    if (query == nullptr) return false;
    size_t bytes = buffer_units_ * sizeof(uint64_t);
    for (;;) {
        if (buffer_ == nullptr) {
            buffer_units_ = (std::max(bytes, kFirstBytes) + sizeof(uint64_t) - 1) / sizeof(uint64_t);
            buffer_.reset(new uint64_t[buffer_units_]);
            bytes = buffer_units_ * sizeof(uint64_t);
        }
        ULONG returned = 0;
        const LONG status =
            query(kSystemProcessInformation, buffer_.get(), static_cast<ULONG>(bytes), &returned);
        const uint8_t* list = reinterpret_cast<const uint8_t*>(buffer_.get());
        if (status >= 0) {
            return ReadProcessList(list, std::min<size_t>(returned, bytes),
                                   reinterpret_cast<uintptr_t>(list), sizeof(void*), later_);
        }
        if ((status != kInfoLengthMismatch && status != kBufferTooSmall) || bytes >= kMostBytes) {
            return false;
        }
        bytes = std::min(kMostBytes, std::max(bytes * 2, size_t{returned} + kSlackBytes));
        buffer_.reset();
    }
}

BusiestSince ProcessLoadWatch::take(uint32_t now_ms, uint32_t processors) {
    BusiestSince since;
    if (!list_now()) return since;
    BusiestProcess busiest = {};
    const int64_t elapsed = kTimeUnitsPerMs * ElapsedTicks(earlier_ms_, now_ms);
    if (have_earlier_ && FindBusiestProcess(earlier_, later_, elapsed, processors, busiest)) {
        if (busiest.found) {
            since.kind = BusiestSince::Kind::kNamed;
            since.name = ProcessDisplayName(reinterpret_cast<const uint8_t*>(buffer_.get()),
                                            later_[busiest.index]);
            since.percent = static_cast<int32_t>(busiest.share);
        } else {
            since.kind = BusiestSince::Kind::kNobody;
        }
    }
    earlier_.swap(later_);
    earlier_ms_ = now_ms;
    have_earlier_ = true;
    return since;
}

void ProcessLoadWatch::forget() {
    buffer_.reset();
    buffer_units_ = 0;
    std::vector<ProcessTimes>().swap(earlier_);
    std::vector<ProcessTimes>().swap(later_);
    have_earlier_ = false;
}
