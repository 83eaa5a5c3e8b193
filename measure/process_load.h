// Which process keeps the machine busy: the kernel's list of processes read
// from its raw bytes, and the process that used the most processor time
// between two such lists, as a share of the whole machine the way Task
// Manager counts it (processor time over elapsed time times processors).
//
// The list is the kernel's answer to a query for every process's information:
// records chained by their byte offsets, each naming its image through a
// pointer into the same buffer. Nothing in it is trusted: every offset, length
// and pointer is checked against the buffer before it is followed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "text/utf16_text.h"

// One process of a list. Ids are reused: a process is the same process only
// while its id and its creation time both match.
struct ProcessTimes {
    uint64_t id;
    int64_t created;         // 100 ns units
    int64_t processor_time;  // kernel and user time together, 100 ns units
    // The image name as UTF-16 units within the list's bytes (checked to lie
    // inside them); length 0 for a process without a name.
    size_t name_offset;
    size_t name_length;
};

// Reads a list of `size` bytes that the kernel wrote at `address` (where its
// name pointers point) for a process whose pointers are `pointer_size` bytes
// (4 or 8: the records' layout differs between the two). The processes come
// out sorted by id. False, with `processes` empty, for anything malformed: a
// record or a chain running past the end, a link that does not move forward,
// a name outside the buffer, or a pointer size the kernel never uses.
bool ReadProcessList(const uint8_t* list, size_t size, uint64_t address, size_t pointer_size,
                     std::vector<ProcessTimes>& processes);

// The process's image name from the list it was read from, or its id in
// decimal when the record carries none.
Utf16Text ProcessDisplayName(const uint8_t* list, const ProcessTimes& process);

// The busiest process between two lists: an index into the later list and its
// share of the whole machine in percent (0 to 100).
struct BusiestProcess {
    bool found;  // false: no process used at least 1 % of the machine
    size_t index;
    double share;
};

// Compares two lists as ReadProcessList gives them (sorted by id), taken
// `elapsed` 100 ns units apart on a machine of `processors` processors. The
// idle process (id 0) never counts; a process that ended between the lists is
// not in the later one and is never named; one that started between them
// (also under a reused id) counts from its creation. Of equally busy
// processes the one with the lowest id is named. False when the two lists
// span no time or the machine has no processors: there is nothing to tell.
bool FindBusiestProcess(const std::vector<ProcessTimes>& earlier,
                        const std::vector<ProcessTimes>& later, int64_t elapsed,
                        uint32_t processors, BusiestProcess& busiest);
