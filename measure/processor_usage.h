// Processor usage from what the system reports: the performance counter's path
// for one processor, the usage between two readings of a processor's cumulative
// idle, kernel and user times, and one processor's sample as the frames take it.
#pragma once

#include <cstdint>
#include <string>

// The most processors the program measures and shows: a 32-bit program is told
// of no more.
constexpr uint32_t kMaxProcessors = 32;

// One processor's hand-over as a frame sees it: the newest usage in percent,
// and whether it has not been passed on yet.
struct UsageSample {
    double usage;
    bool fresh;
};

// "\Processor(<index>)\% Processor Time"
std::string ProcessorCounterPath(int32_t index);

// Cumulative times of one processor in any common unit; kernel time includes
// the idle time.
struct ProcessorTimes {
    int64_t idle;
    int64_t kernel;
    int64_t user;
};

// Percent busy between two readings, clamped to 0..100. False when no time
// passed between them (or the counters ran backwards): there is nothing to tell.
bool UsageBetween(const ProcessorTimes& earlier, const ProcessorTimes& later, double& usage);
