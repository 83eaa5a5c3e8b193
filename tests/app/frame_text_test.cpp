#include "app/frame_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

const char kFrame[] =
    "<MSG><COMMAND>UPDATE_FRAME</COMMAND></MSG><MSG><COMMAND>DRAW_FRAME</COMMAND></MSG>";

// One buffer for every frame, as the main window keeps it: each text replaces the last.
std::string Compose(std::vector<UsageSample> samples, bool late, uint32_t& skipped) {
    static std::string text;
    ComposeFrameText(samples.data(), static_cast<uint32_t>(samples.size()), late, skipped, text);
    return text;
}

TEST(ComposeFrameText, PutsEveryFreshProcessorInOneMessageInAscendingOrder) {
    uint32_t skipped = 0;
    EXPECT_EQ(Compose({{37.9, true}, {88.0, false}, {4.2, true}, {50.0, false}}, false, skipped),
              "<MSG><COMMAND>CPU_UPDATE</COMMAND><CPU><USAGE>37</USAGE><NUM>0</NUM></CPU>"
              "<COMMAND>CPU_UPDATE</COMMAND><CPU><USAGE>4</USAGE><NUM>2</NUM></CPU></MSG>"
              "<MSG><COMMAND>UPDATE_FRAME</COMMAND></MSG>"
              "<MSG><COMMAND>DRAW_FRAME</COMMAND></MSG>");
    // The last processor of a full machine is numbered in two digits.
    std::vector<UsageSample> many(32, UsageSample{0.0, false});
    many[31] = {12.0, true};
    EXPECT_EQ(Compose(many, false, skipped),
              std::string("<MSG><COMMAND>CPU_UPDATE</COMMAND><CPU><USAGE>12</USAGE><NUM>31</NUM>"
                          "</CPU></MSG>") + kFrame);
}

TEST(ComposeFrameText, WithoutSamplesCarriesOnlyTheFrameCommandsOrNothing) {
    uint32_t skipped = 0;
    EXPECT_EQ(Compose({{10.0, false}, {20.0, false}}, false, skipped), kFrame);
    EXPECT_EQ(Compose({{10.0, false}, {20.0, false}}, true, skipped), "");
    EXPECT_EQ(skipped, 1u);
    std::string text(120, 'x');  // the last frame's text, longer than this one
    const char* const storage = text.data();
    ComposeFrameText(nullptr, 0, false, skipped, text);
    EXPECT_EQ(text, kFrame);
    EXPECT_EQ(skipped, 0u);
    // The buffer is reused, not asked anew of the heap.
    EXPECT_EQ(text.data(), storage);
}

TEST(ComposeFrameText, ASkippedFrameStillHandsOverItsSamples) {
    uint32_t skipped = 0;
    EXPECT_EQ(Compose({{64.5, true}}, true, skipped),
              "<MSG><COMMAND>CPU_UPDATE</COMMAND><CPU><USAGE>64</USAGE><NUM>0</NUM></CPU></MSG>");
}

TEST(ComposeFrameText, EveryFrameLateDrawsOneInEleven) {
    uint32_t skipped = 0;
    std::string pattern;
    for (int frame = 0; frame < 33; ++frame) {
        pattern += Compose({{1.0, false}}, true, skipped).empty() ? '.' : 'D';
        EXPECT_LE(skipped, 10u);
    }
    EXPECT_EQ(pattern, "..........D..........D..........D");
    // A frame on time draws and clears the run of skips at once.
    Compose({{1.0, false}}, true, skipped);
    EXPECT_EQ(Compose({{1.0, false}}, false, skipped), kFrame);
    EXPECT_EQ(skipped, 0u);
    EXPECT_EQ(Compose({{1.0, false}}, true, skipped), "");
}

TEST(WholePercent, TruncatesTowardZeroAndDropsTheSign) {
    const struct {
        double usage;
        int32_t percent;
    } cases[] = {
        {99.99, 99}, {0.4, 0},    {100.0, 100}, {37.9, 37},  {0.0, 0},
        {-0.7, 0},   {-12.9, 12}, {100.6, 100}, {1e-300, 0}, {-100.0, 100},
    };
    for (const auto& c : cases) EXPECT_EQ(WholePercent(c.usage), c.percent) << c.usage;
}

TEST(WholePercent, PinsValuesNoIntegerHolds) {
    EXPECT_EQ(WholePercent(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(WholePercent(1e12), 2147483647);
    EXPECT_EQ(WholePercent(-1e12), 2147483647);
    EXPECT_EQ(WholePercent(-std::numeric_limits<double>::infinity()), 2147483647);
    EXPECT_EQ(WholePercent(-2147483648.0), 2147483647);
}

TEST(ComposeTooltipText, NamesTheProcessorCountAndMemory) {
    const std::string memory = "\n \x95\xA8\x97\x9D\x83\x81\x83\x82\x83\x8A:";
    EXPECT_EQ(ComposeTooltipText("  Example CPU 3000  ", 2, 2147483648ull, kJapaneseFace),
              "Example CPU 3000 x2" + memory + "2.00GB");
    EXPECT_EQ(ComposeTooltipText("Solo", 1, 536870912ull, kJapaneseFace), "Solo" + memory + "512.00MB");
    EXPECT_EQ(ComposeTooltipText(" \t\r\n", 32, 1024, kJapaneseFace), "CPU x32" + memory + "1.00KB");
    EXPECT_EQ(ComposeTooltipText("", 1, 0, kEnglishFace), "CPU\nPhysical memory:    0Byte");
    // A machine with more processors than a 32-bit program is shown says so.
    EXPECT_EQ(ComposeTooltipText("Big", 32, 1024, kEnglishFace, 64),
              "Big x64 (32 shown)\nPhysical memory: 1.00KB");
    EXPECT_EQ(ComposeTooltipText("Big", 32, 1024, kJapaneseFace, 33),
              "Big x33 (32 \x95\x5C\x8E\xA6)" + memory + "1.00KB");
    EXPECT_EQ(ComposeTooltipText("Big", 8, 1024, kEnglishFace, 8), "Big x8\nPhysical memory: 1.00KB");
    EXPECT_EQ(ComposeTooltipText("Big", 8, 1024, kEnglishFace, 4), "Big x8\nPhysical memory: 1.00KB");
}

TEST(Face, JapaneseOnlyWhereTheUserInterfaceLanguageIsJapanese) {
    for (uint16_t japanese : {0x0411, 0x0011, 0x0C11}) {
        EXPECT_EQ(&FaceForUiLanguage(japanese), &kJapaneseFace) << japanese;
    }
    for (uint16_t other : {0x0409, 0x0804, 0x0412, 0x0000, 0x0400}) {
        EXPECT_EQ(&FaceForUiLanguage(other), &kEnglishFace) << other;
    }
}

}  // namespace
