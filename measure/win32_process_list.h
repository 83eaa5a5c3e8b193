// Which process keeps the machine busy, measured from the kernel's list of
// every process: it needs no handle of any process (so it reads the others
// without touching them, elevated or not) and works the same from a 32-bit
// program on 64-bit Windows. Each take lists the processes once and tells the
// busiest since the take before; nothing runs between takes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "measure/process_load.h"

// What one take tells.
struct BusiestSince {
    enum class Kind {
        kUnknown,  // the first list, or the list could not be read
        kNamed,    // `name` used `percent` of the whole machine (1 to 100)
        kNobody,   // no process used 1 % of the machine
    };
    Kind kind = Kind::kUnknown;
    Utf16Text name;
    int32_t percent = 0;
};

// Lists through the platform's system information query; where the system
// has none, nothing is ever known.
class ProcessLoadWatch {
public:
    // Lists the processes now, `now_ms` being a millisecond clock's reading
    // (it may wrap), on a machine of `processors` processors. A list that cannot be
    // read leaves the previous one in place, so the next take spans both
    // intervals.
    BusiestSince take(uint32_t now_ms, uint32_t processors);
    // Drops the lists and their memory; the next take is a first one again.
    void forget();

private:
    bool list_now();

    // In 8-byte units: the kernel aligns the records' 64-bit fields to it.
    std::unique_ptr<uint64_t[]> buffer_;
    size_t buffer_units_ = 0;
    std::vector<ProcessTimes> earlier_;
    std::vector<ProcessTimes> later_;
    bool have_earlier_ = false;
    uint32_t earlier_ms_ = 0;
};
