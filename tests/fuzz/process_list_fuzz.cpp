// The kernel's process list from arbitrary bytes, in either pointer width (the
// first byte chooses): whatever the offsets, lengths and name pointers say,
// nothing is read outside the list, every name read lies inside it, and the
// busiest process found is one of the list.
#include "measure/process_load.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t pointer_size = (data[0] & 1) != 0 ? 8 : 4;
    // A copy of exactly the list's size, so that the sanitizer sees any read past it.
    const std::vector<uint8_t> list(data + 1, data + size);
    constexpr uint64_t kAddress = 0x10000;
    std::vector<ProcessTimes> processes;
    if (!ReadProcessList(list.data(), list.size(), kAddress, pointer_size, processes)) {
        if (!processes.empty()) std::abort();
        return 0;
    }
    for (const ProcessTimes& process : processes) {
        if (process.name_offset + process.name_length * 2 > list.size()) std::abort();
        if (ProcessDisplayName(list.data(), process).empty()) std::abort();
    }
    BusiestProcess busiest = {};
    if (FindBusiestProcess(processes, processes, 10000000, 2, busiest) && busiest.found &&
        busiest.index >= processes.size()) {
        std::abort();
    }
    return 0;
}
