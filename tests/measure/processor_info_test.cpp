#include "measure/processor_info.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <map>
#include <vector>

namespace {

// The leaves a scripted processor answers, and the leaves it was asked for.
std::map<uint32_t, CpuidLeaf> g_leaves;
std::vector<uint32_t> g_asked;

CpuidLeaf ScriptedCpuid(uint32_t leaf) {
    g_asked.push_back(leaf);
    const auto found = g_leaves.find(leaf);
    return found != g_leaves.end() ? found->second
                                   : CpuidLeaf{0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF};
}

uint32_t Text4(const char* text) {
    uint32_t value;
    std::memcpy(&value, text, 4);
    return value;
}

// Leaf 0 of "GenuineIntel" with the given highest leaf, and an extended range.
void Script(uint32_t cpuid_max, uint32_t ext_max) {
    g_leaves.clear();
    g_asked.clear();
    g_leaves[0] = {cpuid_max, Text4("Genu"), Text4("ntel"), Text4("ineI")};
    g_leaves[0x80000000u] = {ext_max, 0, 0, 0};
}

void ScriptBrand(const char (&brand)[49]) {
    for (uint32_t i = 0; i < 3; ++i) {
        const char* part = brand + 16 * i;
        g_leaves[0x80000002u + i] = {Text4(part), Text4(part + 4), Text4(part + 8),
                                     Text4(part + 12)};
    }
}

ProcessorInfo Decoded() {
    ProcessorInfo info = {};
    DecodeProcessor(info, true, ScriptedCpuid);
    return info;
}

bool Asked(uint32_t leaf) {
    for (uint32_t l : g_asked)
        if (l == leaf) return true;
    return false;
}

constexpr uint32_t kSse = 1u << 25;

TEST(DecodeProcessor, WithoutCpuidEverythingButTheClockIsZero) {
    Script(5, 0x80000008u);
    ProcessorInfo info;
    std::memset(&info, 0x5A, sizeof info);
    info.clock_mhz = 1234;
    DecodeProcessor(info, false, ScriptedCpuid);
    EXPECT_TRUE(g_asked.empty());
    ProcessorInfo expected = {};
    expected.clock_mhz = 1234;
    EXPECT_EQ(std::memcmp(&info, &expected, sizeof info), 0);
}

TEST(DecodeProcessor, HighestLeafZeroGivesOnlyTheVendor) {
    Script(0, 0x80000008u);
    ProcessorInfo info = Decoded();
    EXPECT_EQ(g_asked, std::vector<uint32_t>{0});
    EXPECT_EQ(info.cpuid_available, 1);
    EXPECT_STREQ(info.vendor, "GenuineIntel");
    EXPECT_EQ(info.cpuid_max, 0u);
    EXPECT_EQ(info.cpuid_ext_max, 0u);
    EXPECT_EQ(info.family, 0);
    EXPECT_EQ(info.fpu, 0);
}

TEST(DecodeProcessor, LeafOneFieldsIgnoreTheExtendedFamilyAndModel) {
    Script(0x16, 0x80000000u);
    // Extended family 0x0F and extended model 0xF are set and must not leak in.
    g_leaves[1] = {0x0FF03F6Bu, 0, 0,
                   (1u << 0) | (1u << 4) | (1u << 5) | (1u << 15) | (1u << 23) | kSse};
    ProcessorInfo info = Decoded();
    EXPECT_EQ(info.stepping, 0xB);
    EXPECT_EQ(info.model, 6);
    EXPECT_EQ(info.family, 0xF);
    EXPECT_EQ(info.type, 3);
    EXPECT_EQ(info.fpu + info.tsc + info.msr + info.cmov + info.mmx, 5);
    // No extended leaf 0x80000001: both SSE flags come from leaf 1.
    EXPECT_EQ(info.sse_int, 1);
    EXPECT_EQ(info.sse_fp, 1);
    EXPECT_EQ(info.cpuid_ext_max, 0x80000000u);
    EXPECT_FALSE(Asked(0x80000001u));
    EXPECT_EQ(info.brand[0], '\0');

    g_leaves[1].edx = 1u << 23;  // each bit lands in its own field only
    info = Decoded();
    EXPECT_EQ(info.mmx, 1);
    EXPECT_EQ(info.fpu + info.tsc + info.msr + info.cmov + info.sse_int + info.sse_fp, 0);
}

TEST(DecodeProcessor, ExtendedLeafOneReplacesIntegerSseAndStopsBeforeTheBrand) {
    Script(1, 0x80000001u);
    g_leaves[1] = {0x6FB, 0, 0, 0};  // no SSE in leaf 1
    g_leaves[0x80000001u] = {0, 0, 0, (1u << 22) | (1u << 30) | (1u << 31)};
    ProcessorInfo info = Decoded();
    EXPECT_EQ(info.sse_int, 1);
    EXPECT_EQ(info.sse_fp, 0);
    EXPECT_EQ(info.amd_3dnow_ext, 1);
    EXPECT_EQ(info.amd_3dnow, 1);
    EXPECT_STREQ(info.brand, "");
    EXPECT_FALSE(Asked(0x80000002u));

    // SSE in leaf 1 with bit 22 clear in the extended leaf: integer SSE reads 0.
    g_leaves[1].edx = kSse;
    g_leaves[0x80000001u].edx = 0;
    info = Decoded();
    EXPECT_EQ(info.sse_int, 0);
    EXPECT_EQ(info.sse_fp, 1);
    EXPECT_EQ(info.amd_3dnow, 0);
}

TEST(DecodeProcessor, BrandFillsAllFortyEightBytesAndStaysTerminated) {
    Script(0xD, 0x80000008u);
    g_leaves[1] = {0x6FB, 0, 0, 0};
    g_leaves[0x80000001u] = {0, 0, 0, 0};
    const char brand[49] = "Intel(R) Core(TM)2 CPU  6600 @ 2.40GHz Vornelt!!";
    ScriptBrand(brand);
    ProcessorInfo info;
    std::memset(&info, 0x7F, sizeof info);
    DecodeProcessor(info, true, ScriptedCpuid);
    EXPECT_EQ(std::strlen(info.brand), 48u);
    EXPECT_STREQ(info.brand, brand);
    EXPECT_EQ(info.cpuid_ext_max, 0x80000008u);
    // Fields of leaves that were read stay consistent: vendor and leaf 1.
    EXPECT_STREQ(info.vendor, "GenuineIntel");
    EXPECT_EQ(info.family, 6);
    EXPECT_EQ(info.model, 15);
    EXPECT_EQ(info.stepping, 11);
}

TEST(ClockFromHalfSecondTicks, DoublesToMegahertzAndTruncates) {
    EXPECT_EQ(ClockFromHalfSecondTicks(0), 0);
    EXPECT_EQ(ClockFromHalfSecondTicks(499999), 0);
    EXPECT_EQ(ClockFromHalfSecondTicks(500000), 1);
    EXPECT_EQ(ClockFromHalfSecondTicks(1199999999u), 2399);
    EXPECT_EQ(ClockFromHalfSecondTicks(1200000000u), 2400);
    EXPECT_EQ(ClockFromHalfSecondTicks(0xFFFFFFFFu), 8589);
}

TEST(FormatLikeWvsprintf, PrintsDecimalHexTextAndPercent) {
    EXPECT_EQ(FormatLikeWvsprintf("%d|%d|%d", 0, -7, INT_MIN), "0|-7|-2147483648");
    EXPECT_EQ(FormatLikeWvsprintf("%d", INT_MAX), "2147483647");
    EXPECT_EQ(FormatLikeWvsprintf("%x %x %x", 0u, 0x80000008u, 0xABCDEFu), "0 80000008 abcdef");
    EXPECT_EQ(FormatLikeWvsprintf("[%s][%s]", "abc", ""), "[abc][]");
    EXPECT_EQ(FormatLikeWvsprintf("%s", static_cast<const char*>(nullptr)), "(null)");
    EXPECT_EQ(FormatLikeWvsprintf("100%% done%"), "100% done%");
}

TEST(FormatLikeWvsprintf, CutsTheOutputAt1023Bytes) {
    const std::string long_text(2000, 'a');
    EXPECT_EQ(FormatLikeWvsprintf("%s", long_text.c_str()), std::string(1023, 'a'));
    EXPECT_EQ(FormatLikeWvsprintf(long_text.c_str()), std::string(1023, 'a'));
    const std::string almost(1020, 'b');
    EXPECT_EQ(FormatLikeWvsprintf("%s%d", almost.c_str(), 123456), almost + "123");
}

TEST(BuildProcessorReport, WritesEighteenAlignedLines) {
    ProcessorInfo info = {};
    std::strcpy(info.vendor, "GenuineIntel");
    std::strcpy(info.brand, "Intel(R) Core(TM)2 CPU");
    info.family = 6;
    info.model = 15;
    info.stepping = 11;
    info.clock_mhz = 2400;
    info.cpuid_available = 1;
    info.cpuid_max = 0xA;
    info.cpuid_ext_max = 0x80000008u;
    info.tsc = info.msr = info.cmov = info.mmx = info.sse_fp = 1;
    info.fpu = 0;  // FCMOV needs both CMOV and the FPU
    std::string lines[18];
    BuildProcessorReport(info, lines);
    const char* expected[18] = {
        "VenderID  GenuineIntel\n",
        "CpuName   Intel(R) Core(TM)2 CPU\n",
        "TypeID 0, FamilyID 6, ModelID 15, SteppingID 11\n",
        "CpuClock 2400MHz\n",
        "\n",
        "CPUID       1\n",
        "CPUIDMax    a\n",
        "CPUIDExtMax 80000008\n",
        "FPU    0\n",
        "TSC    1\n",
        "MSR    1\n",
        "CMOV   1\n",
        "MMX    1\n",
        "3DNow! 0\n",
        "SSE_INT    0\n",
        "SSE_FP     1\n",
        "3DNow! Ext 0\n",
        "FCMOV      0\n",
    };
    for (int i = 0; i < 18; ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;

    info.fpu = 1;
    BuildProcessorReport(info, lines);
    EXPECT_EQ(lines[17], "FCMOV      1\n");
}

TEST(BuildProcessorReport, WithoutCpuidPrintsEmptyNamesAndZeros) {
    const ProcessorInfo info = {};
    std::string lines[18];
    BuildProcessorReport(info, lines);
    EXPECT_EQ(lines[0], "VenderID  \n");
    EXPECT_EQ(lines[1], "CpuName   \n");
    EXPECT_EQ(lines[2], "TypeID 0, FamilyID 0, ModelID 0, SteppingID 0\n");
    EXPECT_EQ(lines[3], "CpuClock 0MHz\n");
    EXPECT_EQ(lines[6], "CPUIDMax    0\n");
    EXPECT_EQ(lines[7], "CPUIDExtMax 0\n");
}

}  // namespace
