#include "measure/win32_processor_info.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "measure/processor_info.h"
#include "platform/win32_clock.h"
#include "platform/win32_platform.h"

namespace {

std::vector<std::string> g_output;

void WINAPI Capture(LPCSTR text) { g_output.push_back(text); }

// Sends debug_print's text to g_output for the life of the object.
class CapturedOutput {
public:
    CapturedOutput() {
        g_output.clear();
        platform.debugger.output = Capture;
    }

private:
    ScopedPlatform platform_;
};

TEST(ReportProcessor, IdentifiesThisProcessorAndWritesTheReportAsFormatted) {
    CapturedOutput capture;
    const DWORD start = MillisecondClock();
    report_processor();
    const DWORD elapsed = MillisecondClock() - start;

    const ProcessorInfo& info = processor_info();
    EXPECT_EQ(info.cpuid_available, 1);
    EXPECT_GE(info.cpuid_max, 1u);
    EXPECT_EQ(std::string(info.vendor).size(), 12u);
    EXPECT_EQ(info.mmx, 1);  // every processor that runs this program has MMX
    EXPECT_EQ(info.fpu, 1);
    if (info.tsc) {
        EXPECT_GE(elapsed, 500u);
        EXPECT_GT(info.clock_mhz, 100);
        EXPECT_LT(info.clock_mhz, 8590);
    }

    // The system's wvsprintfA and the portable formatter agree byte for byte.
    std::string expected[18];
    BuildProcessorReport(info, expected);
    ASSERT_EQ(g_output.size(), 18u);
    for (size_t i = 0; i < 18; ++i) EXPECT_EQ(g_output[i], expected[i]) << "line " << i + 1;
}

TEST(DebugPrint, FormatsLikeThePortableFormatterUpTo1023Bytes) {
    CapturedOutput capture;
    const std::string long_text(1500, 'x');
    debug_print("%d %d %x %x|%s|%%", -42, INT_MIN, 0x80000008u, 0u, "text");
    debug_print("%s", long_text.c_str());
    debug_print("CPUIDExtMax %x\n", 0x80000008u);
    ASSERT_EQ(g_output.size(), 3u);
    EXPECT_EQ(g_output[0],
              FormatLikeWvsprintf("%d %d %x %x|%s|%%", -42, INT_MIN, 0x80000008u, 0u, "text"));
    EXPECT_EQ(g_output[1], FormatLikeWvsprintf("%s", long_text.c_str()));
    EXPECT_EQ(g_output[1].size(), 1023u);
    EXPECT_EQ(g_output[2], "CPUIDExtMax 80000008\n");
}

}  // namespace
