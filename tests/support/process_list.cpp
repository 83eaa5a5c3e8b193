#include "tests/support/process_list.h"

#include <cstring>

std::vector<uint8_t> BuildProcessList(const std::vector<ListedProcess>& processes,
                                      size_t pointer_size, uint64_t address) {
    const size_t record = pointer_size == 4 ? 184 : 256;
    const size_t name_pointer = pointer_size == 4 ? 60 : 64;
    const size_t id = pointer_size == 4 ? 68 : 80;
    std::vector<uint8_t> list;
    for (size_t i = 0; i < processes.size(); ++i) {
        const ListedProcess& process = processes[i];
        const size_t at = list.size();
        const size_t name_bytes = process.name.size() * 2;
        const size_t size = (record + name_bytes + 7) / 8 * 8;
        list.resize(at + size);
        uint8_t* entry = list.data() + at;
        const uint32_t next = i + 1 < processes.size() ? static_cast<uint32_t>(size) : 0;
        const uint16_t length = static_cast<uint16_t>(name_bytes);
        const uint64_t pointer = name_bytes != 0 ? address + at + record : 0;
        std::memcpy(entry, &next, 4);
        std::memcpy(entry + 32, &process.created, 8);
        std::memcpy(entry + 40, &process.user, 8);
        std::memcpy(entry + 48, &process.kernel, 8);
        std::memcpy(entry + 56, &length, 2);
        std::memcpy(entry + 58, &length, 2);
        std::memcpy(entry + name_pointer, &pointer, pointer_size);
        std::memcpy(entry + id, &process.id, pointer_size);
        if (name_bytes != 0) std::memcpy(entry + record, process.name.data(), name_bytes);
    }
    return list;
}
