#include "measure/process_load.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Where the fields sit in one record. The fields before the name have the
// same places in both layouts; the name's pointer, and everything after it,
// moves with the pointer size (a 64-bit record pads the name to 16 bytes and
// aligns the id to 8).
struct RecordLayout {
    size_t name_pointer;
    size_t id;
    size_t pointer_size;
};
constexpr RecordLayout k32BitRecord = {60, 68, 4};
constexpr RecordLayout k64BitRecord = {64, 80, 8};
constexpr size_t kNextOffset = 0;
constexpr size_t kCreated = 32;
constexpr size_t kUserTime = 40;
constexpr size_t kKernelTime = 48;
constexpr size_t kNameBytes = 56;

template <typename T>
T Read(const uint8_t* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

uint64_t ReadPointer(const uint8_t* at, size_t pointer_size) {
    return pointer_size == 4 ? Read<uint32_t>(at) : Read<uint64_t>(at);
}

// The name's place as offset and length in units; false when it does not lie
// wholly inside the list.
bool LocateName(const uint8_t* record, const RecordLayout& layout, size_t size, uint64_t address,
                ProcessTimes& process) {
    process.name_offset = 0;
    process.name_length = 0;
    const size_t bytes = Read<uint16_t>(record + kNameBytes) & ~size_t{1};
    const uint64_t pointer = ReadPointer(record + layout.name_pointer, layout.pointer_size);
    if (bytes == 0 || pointer == 0) return true;
    if (pointer < address || pointer - address > size) return false;
    const size_t offset = static_cast<size_t>(pointer - address);
    if (bytes > size - offset) return false;
    process.name_offset = offset;
    process.name_length = bytes / 2;
    return true;
}

// By id, then creation time. The run-time library's sort: the lists are
// read once a second at most, and its code is there already.
int ById(const void* a, const void* b) {
    const ProcessTimes& x = *static_cast<const ProcessTimes*>(a);
    const ProcessTimes& y = *static_cast<const ProcessTimes*>(b);
    if (x.id != y.id) return x.id < y.id ? -1 : 1;
    return x.created < y.created ? -1 : (x.created > y.created ? 1 : 0);
}

}  // namespace

bool ReadProcessList(const uint8_t* list, size_t size, uint64_t address, size_t pointer_size,
                     std::vector<ProcessTimes>& processes) {
    processes.clear();
    if (pointer_size != 4 && pointer_size != 8) return false;
    const RecordLayout& layout = pointer_size == 4 ? k32BitRecord : k64BitRecord;
    const size_t least_record = layout.id + layout.pointer_size;
    if (list == nullptr || size < least_record) return false;
    size_t at = 0;
    for (;;) {
        const uint8_t* record = list + at;
        ProcessTimes process = {};
        process.id = ReadPointer(record + layout.id, layout.pointer_size);
        process.created = Read<int64_t>(record + kCreated);
        // In unsigned arithmetic: nonsense times must not overflow a signed sum.
        process.processor_time = static_cast<int64_t>(
            static_cast<uint64_t>(Read<int64_t>(record + kUserTime)) +
            static_cast<uint64_t>(Read<int64_t>(record + kKernelTime)));
        if (!LocateName(record, layout, size, address, process)) break;
        processes.push_back(process);
        const size_t next = Read<uint32_t>(record + kNextOffset);
        if (next == 0) {
            std::qsort(processes.data(), processes.size(), sizeof(ProcessTimes), ById);
            return true;
        }
        // Each link must step past at least a whole record, so the chain
        // cannot loop and every record it reaches is inside the list.
        if (next < least_record || next > size - at || size - at - next < least_record) break;
        at += next;
    }
    processes.clear();
    return false;
}

Utf16Text ProcessDisplayName(const uint8_t* list, const ProcessTimes& process) {
    if (process.name_length == 0) {
        char digits[24];
        char* const end = digits + sizeof digits;
        char* first = end;
        // Process ids are 32-bit numbers, in either record's wider field.
        uint32_t id = static_cast<uint32_t>(process.id);
        do {
            *--first = static_cast<char>('0' + id % 10);
            id /= 10;
        } while (id != 0);
        return Utf16Text(first, end);
    }
    static_assert(sizeof(Utf16Unit) == 2, "the kernel's names are in 16-bit units");
    Utf16Text name(process.name_length, VG_UTF16('\0'));
    std::memcpy(&name[0], list + process.name_offset, process.name_length * sizeof(Utf16Unit));
    return name;
}

bool FindBusiestProcess(const std::vector<ProcessTimes>& earlier,
                        const std::vector<ProcessTimes>& later, int64_t elapsed,
                        uint32_t processors, BusiestProcess& busiest) {
    if (elapsed <= 0 || processors == 0) return false;
    constexpr double kLeastShare = 1.0;
    const double whole = static_cast<double>(elapsed) * processors;
    busiest = BusiestProcess{false, 0, 0.0};
    double most_used = -1.0;
    size_t first_of_id = 0;
    for (size_t i = 0; i < later.size(); ++i) {
        const ProcessTimes& process = later[i];
        if (process.id == 0) continue;
        while (first_of_id < earlier.size() && earlier[first_of_id].id < process.id) ++first_of_id;
        // Without an earlier record of this very process it started in
        // between, and all its time so far is time of this interval.
        double before = 0.0;
        for (size_t k = first_of_id; k < earlier.size() && earlier[k].id == process.id; ++k) {
            if (earlier[k].created == process.created) {
                before = static_cast<double>(earlier[k].processor_time);
                break;
            }
        }
        const double used = std::max(0.0, static_cast<double>(process.processor_time) - before);
        if (used > most_used) {
            most_used = used;
            busiest.index = i;
        }
    }
    if (most_used < 0.0) return true;
    busiest.share = std::min(100.0, 100.0 * most_used / whole);
    busiest.found = busiest.share >= kLeastShare;
    return true;
}
