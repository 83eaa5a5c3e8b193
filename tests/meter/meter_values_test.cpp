#include "meter/meter_values.h"

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
    EXPECT_EQ(UsageBarLength(50.0), 60);
    EXPECT_EQ(MemoryBarLength(0.5), 60);
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
