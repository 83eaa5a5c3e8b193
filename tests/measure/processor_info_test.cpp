#include "measure/processor_info.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <map>
#include <set>

namespace {

// A scripted processor: the leaves it answers, and the leaves it was asked for.
std::map<uint32_t, CpuidLeaf> g_leaves;
std::set<uint32_t> g_asked;

CpuidLeaf ScriptedCpuid(uint32_t leaf) {
    g_asked.insert(leaf);
    return g_leaves.count(leaf) ? g_leaves[leaf] : CpuidLeaf{~0u, ~0u, ~0u, ~0u};
}

uint32_t Text4(const char* text) {
    uint32_t value;
    std::memcpy(&value, text, 4);
    return value;
}

// "GenuineIntel" with the given highest standard and extended leaves.
ProcessorInfo Decode(uint32_t cpuid_max, uint32_t ext_max, CpuidLeaf leaf1 = {},
                     CpuidLeaf ext1 = {}) {
    g_leaves = {{0, {cpuid_max, Text4("Genu"), Text4("ntel"), Text4("ineI")}},
                {1, leaf1},
                {0x80000000u, {ext_max, 0, 0, 0}},
                {0x80000001u, ext1}};
    const char brand[49] = "Intel(R) Core(TM)2 CPU  6600 @ 2.40GHz Vornelt!!";
    for (uint32_t i = 0; i < 3; ++i) {
        const char* part = brand + 16 * i;
        g_leaves[0x80000002u + i] = {Text4(part), Text4(part + 4), Text4(part + 8),
                                     Text4(part + 12)};
    }
    g_asked.clear();
    ProcessorInfo info;
    std::memset(&info, 0x5A, sizeof info);  // decoding must not keep stale fields
    info.clock_mhz = 1234;
    DecodeProcessor(info, true, ScriptedCpuid);
    return info;
}

constexpr uint32_t kSse = 1u << 25;

TEST(DecodeProcessor, StopsAtTheFirstMissingStep) {
    ProcessorInfo none;
    std::memset(&none, 0x5A, sizeof none);
    none.clock_mhz = 1234;
    g_asked.clear();
    DecodeProcessor(none, false, ScriptedCpuid);
    ProcessorInfo expected = {};
    expected.clock_mhz = 1234;
    EXPECT_EQ(std::memcmp(&none, &expected, sizeof none), 0);
    EXPECT_TRUE(g_asked.empty());

    const ProcessorInfo vendor_only = Decode(0, 0x80000008u);
    EXPECT_EQ(g_asked, std::set<uint32_t>{0});
    EXPECT_EQ(vendor_only.cpuid_available, 1);
    EXPECT_STREQ(vendor_only.vendor, "GenuineIntel");
    EXPECT_EQ(vendor_only.cpuid_ext_max, 0u);
    EXPECT_EQ(vendor_only.clock_mhz, 1234);

    // Leaf 1 only: both SSE flags come from it; the brand stays empty.
    const ProcessorInfo old = Decode(2, 0x80000000u, {0x0FF03F6Bu, 0, 0, kSse | 1u << 23});
    EXPECT_FALSE(g_asked.count(0x80000001u));
    EXPECT_EQ(old.sse_int + old.sse_fp + old.mmx, 3);
    EXPECT_EQ(old.sse2, 0);  // bit 26, apart from SSE's 25
    EXPECT_EQ(old.fpu + old.tsc + old.msr + old.cmov, 0);
    EXPECT_STREQ(old.brand, "");
    // Extended family and model (set above) are not used.
    EXPECT_EQ(old.stepping, 0xB);
    EXPECT_EQ(old.model, 6);
    EXPECT_EQ(old.family, 0xF);
    EXPECT_EQ(old.type, 3);
}

TEST(DecodeProcessor, ExtendedLeafOneAloneDecidesIntegerSse) {
    const uint32_t edx1 = 1u << 0 | 1u << 4 | 1u << 5 | 1u << 15;
    const ProcessorInfo with_bit =
        Decode(1, 0x80000001u, {0x6FB, 0, 0, edx1}, {0, 0, 0, 7u << 29 | 1u << 22});
    EXPECT_EQ(with_bit.sse_int, 1);
    EXPECT_EQ(with_bit.sse_fp, 0);
    EXPECT_EQ(with_bit.amd_3dnow_ext + with_bit.amd_3dnow, 2);
    EXPECT_EQ(with_bit.fpu + with_bit.tsc + with_bit.msr + with_bit.cmov, 4);
    EXPECT_STREQ(with_bit.brand, "");
    EXPECT_FALSE(g_asked.count(0x80000002u));

    const ProcessorInfo without = Decode(1, 0x80000001u, {0x6FB, 0, 0, kSse}, {0, 0, 0, 1u << 29});
    EXPECT_EQ(without.sse_int, 0);
    EXPECT_EQ(without.sse_fp, 1);
    // SSE2 alone is neither SSE flag.
    const ProcessorInfo sse2_only = Decode(1, 0x80000001u, {0x6FB, 0, 0, 1u << 26});
    EXPECT_EQ(sse2_only.sse2, 1);
    EXPECT_EQ(sse2_only.sse_int + sse2_only.sse_fp, 0);
    EXPECT_EQ(without.amd_3dnow_ext + without.amd_3dnow, 0);
}

TEST(DecodeProcessor, EachStepIsGatedAtItsLeafCountExactly) {
    const uint32_t edx1 = 1u << 23 | 1u << 26;           // MMX, SSE2
    const CpuidLeaf ext1 = {0, 0, 0, 1u << 31};          // 3DNow!
    const struct {
        uint32_t cpuid_max, ext_max;
        int32_t mmx, amd_3dnow;
        bool brand;
    } cases[] = {
        // Leaf 1 is read from a highest standard leaf of 1 on.
        {0, 0x80000008u, 0, 0, false}, {1, 0x80000000u, 1, 0, false},
        {2, 0x80000000u, 1, 0, false},
        // Extended leaf 1 from a highest extended leaf of 0x80000001 on.
        {1, 0x80000001u, 1, 1, false}, {1, 0x80000002u, 1, 1, false},
        // The brand needs leaves 2 to 4: a highest extended leaf of 0x80000004 is enough.
        {1, 0x80000003u, 1, 1, false}, {1, 0x80000004u, 1, 1, true},
        {1, 0x80000005u, 1, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cpuid_max << " / " << std::hex << c.ext_max);
        const ProcessorInfo info = Decode(c.cpuid_max, c.ext_max, {0x6FB, 0, 0, edx1}, ext1);
        EXPECT_EQ(info.mmx, c.mmx);
        EXPECT_EQ(info.sse2, c.mmx);  // the same leaf
        EXPECT_EQ(info.amd_3dnow, c.amd_3dnow);
        EXPECT_STREQ(info.brand, c.brand ? "Intel(R) Core(TM)2 CPU  6600 @ 2.40GHz Vornelt!!" : "");
        EXPECT_EQ(g_asked.count(0x80000004u), c.brand ? 1u : 0u);
    }
}

TEST(DecodeProcessor, BrandFillsAllFortyEightBytesAndStaysTerminated) {
    const ProcessorInfo info = Decode(0xD, 0x80000008u);
    EXPECT_STREQ(info.brand, "Intel(R) Core(TM)2 CPU  6600 @ 2.40GHz Vornelt!!");
    EXPECT_EQ(info.cpuid_ext_max, 0x80000008u);
}

TEST(ClockFromHalfSecondTicks, DoublesToMegahertzAndTruncates) {
    EXPECT_EQ(ClockFromHalfSecondTicks(499999), 0);
    EXPECT_EQ(ClockFromHalfSecondTicks(1199999999u), 2399);
    EXPECT_EQ(ClockFromHalfSecondTicks(1200000000u), 2400);
    EXPECT_EQ(ClockFromHalfSecondTicks(0xFFFFFFFFu), 8589);
}

TEST(FormatLikeWvsprintf, PrintsDecimalHexTextAndPercentUpTo1023Bytes) {
    EXPECT_EQ(FormatLikeWvsprintf("%d|%d|%d", 0, -7, INT_MIN), "0|-7|-2147483648");
    EXPECT_EQ(FormatLikeWvsprintf("%x %x", 0u, 0x80000008u), "0 80000008");
    EXPECT_EQ(FormatLikeWvsprintf("[%s][%s]", "abc", ""), "[abc][]");
    EXPECT_EQ(FormatLikeWvsprintf("100%% done%"), "100% done%");
    const std::string long_text(2000, 'a');
    EXPECT_EQ(FormatLikeWvsprintf("%s", long_text.c_str()), std::string(1023, 'a'));
    EXPECT_EQ(FormatLikeWvsprintf(long_text.c_str()), std::string(1023, 'a'));
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
    info.sse2 = 1;  // in no line
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
}

}  // namespace
