#include "measure/processor_usage.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(ProcessorCounterPath, NamesTheProcessorInDecimal) {
    EXPECT_EQ(ProcessorCounterPath(0), "\\Processor(0)\\% Processor Time");
    EXPECT_EQ(ProcessorCounterPath(10), "\\Processor(10)\\% Processor Time");
    EXPECT_EQ(ProcessorCounterPath(31), "\\Processor(31)\\% Processor Time");
}

TEST(UsageBetween, IsTheBusyShareOfTheTimeThatPassed) {
    // Kernel time includes idle: 1000 units passed, 750 of them idle.
    double usage = -1.0;
    ASSERT_TRUE(UsageBetween({100, 500, 200}, {850, 1200, 500}, usage));
    EXPECT_DOUBLE_EQ(usage, 25.0);
    // Only the differences count, not the totals so far.
    ASSERT_TRUE(UsageBetween({1000000000000, 2000000000000, 5}, {1000000000000, 2000000000600, 405},
                             usage));
    EXPECT_DOUBLE_EQ(usage, 100.0);
    ASSERT_TRUE(UsageBetween({0, 0, 0}, {10000000, 10000000, 0}, usage));
    EXPECT_DOUBLE_EQ(usage, 0.0);
}

TEST(UsageBetween, TellsNothingWhenNoTimePassed) {
    double usage = 42.0;
    EXPECT_FALSE(UsageBetween({5, 10, 10}, {5, 10, 10}, usage));
    // Counters that went backwards (a reset) give no usable interval either.
    EXPECT_FALSE(UsageBetween({5, 100, 100}, {5, 50, 20}, usage));
    EXPECT_EQ(usage, 42.0);
}

TEST(UsageBetween, ClampsInconsistentReadingsIntoPercent) {
    double usage = -1.0;
    // More idle than total time (the counters are read at slightly different moments).
    ASSERT_TRUE(UsageBetween({0, 0, 0}, {120, 100, 0}, usage));
    EXPECT_EQ(usage, 0.0);
    // Idle running backwards.
    ASSERT_TRUE(UsageBetween({50, 50, 0}, {0, 150, 0}, usage));
    EXPECT_EQ(usage, 100.0);
    // Values near the ends of the counters' range stay finite.
    ASSERT_TRUE(UsageBetween({INT64_MIN, INT64_MIN, 0}, {INT64_MAX, INT64_MAX, 0}, usage));
    EXPECT_EQ(usage, 0.0);
}

}  // namespace
