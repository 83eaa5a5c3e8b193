#include "measure/processor_usage.h"

#include "text/string_helpers.h"

std::string ProcessorCounterPath(int32_t index) {
    return "\\Processor(" + IntToString(index) + ")\\% Processor Time";
}

bool UsageBetween(const ProcessorTimes& earlier, const ProcessorTimes& later, double& usage) {
    // In doubles: a wrapped or reset counter must not overflow the differences.
    const double idle = static_cast<double>(later.idle) - static_cast<double>(earlier.idle);
    const double total = (static_cast<double>(later.kernel) - static_cast<double>(earlier.kernel)) +
                         (static_cast<double>(later.user) - static_cast<double>(earlier.user));
    if (!(total > 0.0)) return false;
    const double busy = 100.0 * (1.0 - idle / total);
    usage = busy < 0.0 ? 0.0 : (busy > 100.0 ? 100.0 : busy);
    return true;
}
