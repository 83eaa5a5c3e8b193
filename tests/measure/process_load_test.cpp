#include "measure/process_load.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/process_list.h"

namespace {

constexpr uint64_t kAddress = 0x00C40000;

TEST(ReadProcessList, ReadsBothLayoutsSortedById) {
    const std::vector<ListedProcess> processes = {
        {0, 0, 0, 93000000, u""},
        {412, 1300, 20, 5, u"chrome.exe"},
        {4, 100, 0, 7, u"System"},
        {96, 1200, 1, 2, u"\u30E1\u30E2\u5E33.exe"},
        {97, 1250, 3, 4, u""},
    };
    for (const size_t pointer_size : {size_t{4}, size_t{8}}) {
        SCOPED_TRACE(pointer_size);
        const std::vector<uint8_t> list = BuildProcessList(processes, pointer_size, kAddress);
        std::vector<ProcessTimes> read;
        ASSERT_TRUE(ReadProcessList(list.data(), list.size(), kAddress, pointer_size, read));
        ASSERT_EQ(read.size(), 5u);
        std::vector<Utf16Text> names;
        for (const ProcessTimes& process : read) {
            names.push_back(ProcessDisplayName(list.data(), process));
        }
        EXPECT_EQ(names, (std::vector<Utf16Text>{VG_UTF16("0"), VG_UTF16("System"),
                                                 VG_UTF16("\u30E1\u30E2\u5E33.exe"),
                                                 VG_UTF16("97"), VG_UTF16("chrome.exe")}));
        EXPECT_EQ(read[4].id, 412u);
        EXPECT_EQ(read[4].created, 1300);
        EXPECT_EQ(read[4].processor_time, 25);
    }
}

TEST(ReadProcessList, RefusesWhatRunsOutsideTheList) {
    const std::vector<ListedProcess> processes = {{8, 1, 1, 1, u"a.exe"}, {12, 2, 2, 2, u"b.exe"}};
    struct Fault {
        const char* what;
        void (*spoil)(std::vector<uint8_t>& list);
    };
    const Fault faults[] = {
        {"cut inside the last record", [](std::vector<uint8_t>& list) { list.resize(200); }},
        {"a link past the end",
         [](std::vector<uint8_t>& list) {
             const uint32_t next = static_cast<uint32_t>(list.size());
             std::memcpy(list.data(), &next, 4);
         }},
        {"a link back onto itself",
         [](std::vector<uint8_t>& list) {
             const uint32_t next = 8;
             std::memcpy(list.data(), &next, 4);
         }},
        {"a name before the list",
         [](std::vector<uint8_t>& list) {
             const uint32_t pointer = kAddress - 2;
             std::memcpy(list.data() + 60, &pointer, 4);
         }},
        {"a name longer than the list",
         [](std::vector<uint8_t>& list) {
             const uint16_t length = 0xFFFE;
             std::memcpy(list.data() + 56, &length, 2);
         }},
    };
    for (const Fault& fault : faults) {
        std::vector<uint8_t> list = BuildProcessList(processes, 4, kAddress);
        fault.spoil(list);
        std::vector<ProcessTimes> read(1);
        EXPECT_FALSE(ReadProcessList(list.data(), list.size(), kAddress, 4, read)) << fault.what;
        EXPECT_TRUE(read.empty()) << fault.what;
    }
    const std::vector<uint8_t> list = BuildProcessList(processes, 4, kAddress);
    std::vector<ProcessTimes> read;
    EXPECT_FALSE(ReadProcessList(list.data(), list.size(), kAddress, 2, read));
    EXPECT_FALSE(ReadProcessList(nullptr, 0, kAddress, 8, read));
}

// The busiest process between two lists, one second apart unless a case says
// otherwise; times in 100 ns units, so 10'000'000 is one second.
TEST(FindBusiestProcess, NamesTheOneThatUsedTheMostOfTheWholeMachine) {
    constexpr int64_t kSecond = 10000000;
    struct Case {
        const char* what;
        uint32_t processors;
        std::vector<ProcessTimes> earlier;
        std::vector<ProcessTimes> later;
        bool found;
        uint64_t id;
        double share;
    };
    const Case cases[] = {
        {"half a second on one processor", 1,
         {{4, 10, 100, 0, 0}, {8, 20, 900, 0, 0}},
         {{4, 10, 200, 0, 0}, {8, 20, 900 + kSecond / 2, 0, 0}}, true, 8, 50.0},
        {"the same on two processors", 2,
         {{8, 20, 900, 0, 0}}, {{8, 20, 900 + kSecond / 2, 0, 0}}, true, 8, 25.0},
        {"one busy thread of 32 processors", 32,
         {{8, 20, 0, 0, 0}}, {{8, 20, kSecond, 0, 0}}, true, 8, 3.125},
        {"the idle process never counts", 1,
         {{0, 0, 0, 0, 0}, {8, 20, 0, 0, 0}},
         {{0, 0, kSecond, 0, 0}, {8, 20, kSecond / 10, 0, 0}}, true, 8, 10.0},
        {"one that ended is not named", 1,
         {{8, 20, 0, 0, 0}, {9, 30, 0, 0, 0}}, {{9, 30, kSecond / 5, 0, 0}}, true, 9, 20.0},
        {"one that started counts from its creation", 1,
         {{8, 20, 0, 0, 0}}, {{8, 20, kSecond / 10, 0, 0}, {15, 90, kSecond * 3 / 10, 0, 0}},
         true, 15, 30.0},
        {"a reused id is a new process", 1,
         {{8, 20, kSecond * 50, 0, 0}}, {{8, 70, kSecond * 2 / 5, 0, 0}}, true, 8, 40.0},
        {"equally busy: the lowest id", 2,
         {{8, 20, 0, 0, 0}, {5, 20, 0, 0, 0}},
         {{5, 20, kSecond / 4, 0, 0}, {8, 20, kSecond / 4, 0, 0}}, true, 5, 12.5},
        {"more than the elapsed time is the whole machine", 1,
         {{8, 20, 0, 0, 0}}, {{8, 20, kSecond * 3, 0, 0}}, true, 8, 100.0},
        {"just under 1 % is nobody", 4,
         {{8, 20, 0, 0, 0}}, {{8, 20, kSecond * 4 / 100 - 1, 0, 0}}, false, 8, 0.9999975},
    };
    for (const Case& c : cases) {
        BusiestProcess busiest = {false, 99, -1.0};
        ASSERT_TRUE(FindBusiestProcess(c.earlier, c.later, kSecond, c.processors, busiest))
            << c.what;
        EXPECT_EQ(busiest.found, c.found) << c.what;
        EXPECT_EQ(c.later[busiest.index].id, c.id) << c.what;
        EXPECT_DOUBLE_EQ(busiest.share, c.share) << c.what;
    }
    // Lists that span no time tell nothing; nor does a machine without processors.
    BusiestProcess busiest = {false, 0, 0.0};
    const std::vector<ProcessTimes> one = {{8, 20, 5, 0, 0}};
    EXPECT_FALSE(FindBusiestProcess(one, one, 0, 2, busiest));
    EXPECT_FALSE(FindBusiestProcess(one, one, kSecond, 0, busiest));
}

}  // namespace
