#include "meter/meter_values.h"

#include <cstdio>

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Sample {
    bool accepted;
    uint32_t processor;
    double usage;
};

Sample Read(const std::string& cpu, uint32_t processor_count = 32) {
    Sample s{false, 99, -1.0};
    s.accepted = ReadCpuSample(cpu, processor_count, s.processor, s.usage);
    return s;
}

TEST(MeterValues, CpuSampleReadsNumberAndClampedUsage) {
    const struct {
        const char* cpu;
        uint32_t processor;
        double usage;
    } cases[] = {{"<USAGE>42</USAGE><NUM>3</NUM>", 3, 42.0},
                 {"<NUM>31</NUM><USAGE>7</USAGE>", 31, 7.0},
                 {"<USAGE>12</USAGE>", 0, 12.0},  // no NUM: processor 0
                 {"<NUM>2</NUM>", 2, 0.0},        // no USAGE: a sample of 0 %
                 {"<NUM>x</NUM><USAGE>abc</USAGE>", 0, 0.0},
                 {"<USAGE>150</USAGE>", 0, 100.0},
                 {"<USAGE>100</USAGE>", 0, 100.0},
                 {"<USAGE>-5</USAGE>", 0, 0.0},
                 {"<USAGE>99999999999</USAGE>", 0, 0.0}};  // too big to be a number: 0
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cpu);
        const Sample s = Read(c.cpu);
        EXPECT_TRUE(s.accepted);
        EXPECT_EQ(s.processor, c.processor);
        EXPECT_EQ(s.usage, c.usage);
    }
    EXPECT_FALSE(Read("<NUM>4</NUM>", 4).accepted);
}

TEST(MeterValues, ShadingOffsetSweepsOnceASecond) {
    EXPECT_EQ(ShadingOffset(0), 0);
    EXPECT_EQ(ShadingOffset(500), 84);   // an eighth turn: 120 * sin(pi/4)
    EXPECT_EQ(ShadingOffset(998), 119);  // the last step before it jumps back
    EXPECT_EQ(ShadingOffset(1000), 0);
}

TEST(MeterValues, PercentTextIsWholePercentInThreeColumns) {
    EXPECT_EQ(PercentText(0.4), "  0%");
    EXPECT_EQ(PercentText(5.9), "  5%");
    EXPECT_EQ(PercentText(42.0), " 42%");
    EXPECT_EQ(PercentText(99.9), " 99%");
    EXPECT_EQ(PercentText(100.0), "100%");
    EXPECT_EQ(PercentText(180.0), "100%");
    EXPECT_EQ(PercentText(-0.5), "  0%");
    EXPECT_EQ(PercentText(NAN), "  0%");
    for (int percent = 0; percent <= 100; ++percent) {
        char printed[8];
        std::snprintf(printed, sizeof printed, "%3d%%", percent);
        EXPECT_EQ(PercentText(percent + 0.5), printed);
    }
}

TEST(MeterValues, StripsChangeJustAboveTheirThresholds) {
    EXPECT_EQ(UsageStrip(50.0), kStripLow);
    EXPECT_EQ(UsageStrip(50.001), kStripMiddle);
    EXPECT_EQ(UsageStrip(80.0), kStripMiddle);
    EXPECT_EQ(UsageStrip(80.001), kStripHigh);
    EXPECT_EQ(MemoryStrip(0.5), kStripMemory);
    EXPECT_EQ(MemoryStrip(0.50001), kStripMiddle);
    EXPECT_EQ(MemoryStrip(0.8), kStripMiddle);
    EXPECT_EQ(MemoryStrip(0.80001), kStripHigh);
}

TEST(MeterValues, BarLengthsTruncateAndStayWithinTheSlot) {
    const struct { double value; int32_t usage_bar, memory_bar; } cases[] = {
        // value is a percentage for the processor bar, a fraction for the memory bar.
        {0.8, 0, 96},       // 0.96 pixels: truncated, not rounded up to 1
        {33.3, 39, 120},    // 39.96
        {50.0, 60, 120},    {99.99, 119, 120},  {100.0, 120, 120},
        {0.3333, 0, 39},    {0.999, 1, 119},    {0.5, 0, 60},
        // Outside the range on either side, and values that compare with nothing.
        {-5.0, 0, 0},       {150.0, 120, 120},  {1.5, 1, 120},
        {NAN, 0, 0},        {INFINITY, 120, 120}, {-INFINITY, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UsageBarLength(c.value), c.usage_bar) << c.value;
        EXPECT_EQ(MemoryBarLength(c.value), c.memory_bar) << c.value;
    }
}

TEST(MeterValues, TransitionFollowsAQuarterSineAndSwingsBack) {
    // 10 towards 50: sin(pi/4) of the way at half a second, all of it at one.
    EXPECT_EQ(TransitionValue(10.0, 40.0, 0), 10.0);
    EXPECT_NEAR(TransitionValue(10.0, 40.0, 500), 38.2842719, 1e-6);
    EXPECT_NEAR(TransitionValue(10.0, 40.0, 1000), 50.0, 1e-6);
    EXPECT_NEAR(TransitionValue(10.0, 40.0, 1500), 38.2842690, 1e-6);
    EXPECT_NEAR(TransitionValue(70.0, -60.0, 2000), 70.0, 1e-5);
}

TEST(MeterValues, MemoryFiguresCountMoreAvailableThanInstalledAsNone) {
    MemoryFigures figures{-1.0, 99};
    ASSERT_TRUE(ComputeMemoryFigures(4000, 1000, figures));
    EXPECT_EQ(figures.load, 0.75);
    EXPECT_EQ(figures.available, 1000u);
    ASSERT_TRUE(ComputeMemoryFigures(4000, 4001, figures));
    EXPECT_EQ(figures.load, 1.0);
    EXPECT_EQ(figures.available, 0u);
    ASSERT_TRUE(ComputeMemoryFigures(4000, 4000, figures));
    EXPECT_EQ(figures.load, 0.0);
    EXPECT_FALSE(ComputeMemoryFigures(0, 5, figures));
}

}  // namespace
