// Builds the kernel's list of processes as a 32- or 64-bit program receives
// it, for tests of what reads it: records of the real sizes, each followed by
// its name, chained by their offsets, the name pointers aimed at where the
// list is said to lie.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ListedProcess {
    uint64_t id;
    int64_t created;
    int64_t user;    // 100 ns units
    int64_t kernel;  // 100 ns units
    std::u16string name;
};

std::vector<uint8_t> BuildProcessList(const std::vector<ListedProcess>& processes,
                                      size_t pointer_size, uint64_t address);
