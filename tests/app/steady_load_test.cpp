// A processor held at a steady load reads as that load, the whole way from the
// kernel's times to the printed percentage and the bar.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/frame_text.h"
#include "measure/processor_usage.h"
#include "meter/meter_values.h"

namespace {

// One second in the kernel's 100 ns units, on counters that have run a while.
constexpr int64_t kInterval = 10000000;
const ProcessorTimes kBefore = {123456789, 987654321, 55555555};

ProcessorTimes BusyFor(int32_t percent) {
    const int64_t idle = kInterval / 100 * (100 - percent);
    const int64_t user = kInterval / 100 * percent / 3;
    return {kBefore.idle + idle, kBefore.kernel + kInterval - user, kBefore.user + user};
}

TEST(SteadyLoad, EveryWholePercentReadsAsItselfAsSampleTextAndBar) {
    for (int32_t percent = 0; percent <= 100; ++percent) {
        SCOPED_TRACE(percent);
        double usage = -1.0;
        ASSERT_TRUE(UsageBetween(kBefore, BusyFor(percent), usage));
        EXPECT_EQ(WholePercent(usage), percent);
        char expected[8];
        std::snprintf(expected, sizeof expected, "%3d%%", percent);
        // Reached one second after the sample, from below, above or the same value.
        for (const double start : {0.0, 20.0, 100.0, static_cast<double>(percent)}) {
            const double shown = TransitionValue(start, percent - start, 1000);
            EXPECT_EQ(PercentText(shown), expected) << "from " << start;
            EXPECT_EQ(UsageBarLength(shown), percent * 6 / 5) << "from " << start;
        }
    }
}

TEST(SteadyLoad, ValuesReallyBelowAWholePercentStillTruncate) {
    EXPECT_EQ(WholePercent(79.5), 79);
    EXPECT_EQ(WholePercent(37.9), 37);
    EXPECT_EQ(PercentText(79.5), " 79%");
    EXPECT_EQ(PercentText(37.9), " 37%");
    EXPECT_EQ(UsageBarLength(37.9), 45);  // 45.48 pixels
    // Half a second into a rise from 20 to 80 the text is still on its way.
    EXPECT_EQ(PercentText(TransitionValue(20.0, 60.0, 500)), " 62%");
}

}  // namespace
