#include "settings/settings_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kMeterDefaults =
    "<MSG00>MS UI Gothic</MSG00><MSG01>\x83\x81\x83\x82\x83\x8A\x8E\x63\x82\xE8</MSG01>";

const std::string kExampleFile =
    "<POSITION><x1>100</x1><x2>340</x2><y1>50</y1><y2>74</y2></POSITION>"
    "<FRAME_RATE>30</FRAME_RATE><AUTO_HIDE>0</AUTO_HIDE><TRANS>1</TRANS>"
    "<TRANSRATE>128</TRANSRATE><ICON>0</ICON>" +
    kMeterDefaults;

void ExpectRect(const StoredSettings& s, int32_t left, int32_t top, int32_t right,
                int32_t bottom) {
    EXPECT_TRUE(s.position_found);
    EXPECT_EQ(s.left, left);
    EXPECT_EQ(s.top, top);
    EXPECT_EQ(s.right, right);
    EXPECT_EQ(s.bottom, bottom);
}

struct Case {
    const char* value;
    int expected;
};

StoredSettings ParseOne(const std::string& name, const std::string& value) {
    return ParseSettingsText("<" + name + ">" + value + "</" + name + ">", 2);
}

TEST(SettingsText, ExampleFileReadsBackAndIsWrittenByteForByte) {
    const StoredSettings s = ParseSettingsText(kExampleFile, 2);
    ExpectRect(s, 100, 50, 340, 74);
    EXPECT_EQ(s.frame_rate, 30);
    EXPECT_FALSE(s.auto_hide);
    EXPECT_TRUE(s.translucent);
    EXPECT_EQ(s.alpha, 128);
    EXPECT_FALSE(s.iconized);
    EXPECT_EQ(ComposeSettingsText(s, kMeterDefaults), kExampleFile);
}

TEST(SettingsText, EmptyTextGivesTheDefaults) {
    const StoredSettings s = ParseSettingsText("", 4);
    EXPECT_FALSE(s.position_found || s.translucent || s.auto_hide || s.iconized);
    EXPECT_EQ(s.frame_rate, 30);
    EXPECT_EQ(s.alpha, 128);
}

TEST(SettingsText, PositionTakesTheCornerAndSizesTheWindowForThisMachine) {
    ExpectRect(ParseSettingsText("<POSITION></POSITION>", 2), 0, 0, 240, 24);
    const std::string corner = "<POSITION><x1>-300</x1><y1>20</y1></POSITION>";
    ExpectRect(ParseSettingsText(corner, 4), -300, 20, -60, 56);
    ExpectRect(ParseSettingsText(corner, 9), -300, 20, -60, 92);
    // The stored far corner is never trusted.
    ExpectRect(ParseSettingsText("<POSITION><x2>9</x2><y1>7</y1><y2>8</y2></POSITION>", 2), 0,
               7, 240, 31);
    EXPECT_FALSE(ParseSettingsText("<x1>5</x1><y1>5</y1>", 2).position_found);
}

TEST(SettingsText, CornerAtTheEndOfTheNumberRangeKeepsTheWholeWindowInRange) {
    const std::string far = "<POSITION><x1>2147483647</x1><y1>2147483600</y1></POSITION>";
    ExpectRect(ParseSettingsText(far, 8), 2147483407, 2147483587, 2147483647, 2147483647);
    const std::string near = "<POSITION><x1>-2147483648</x1><y1>-2147483648</y1></POSITION>";
    ExpectRect(ParseSettingsText(near, 2), INT32_MIN, INT32_MIN, INT32_MIN + 240, INT32_MIN + 24);
    // What is saved from such a file reads back as the same place.
    const StoredSettings s = ParseSettingsText(far, 8);
    ExpectRect(ParseSettingsText(ComposeSettingsText(s, ""), 8), s.left, s.top, s.right, s.bottom);
}

TEST(SettingsText, OpacityOutsideAByteBecomesOpaque) {
    const Case cases[] = {{"300", 255}, {"-1", 255}, {"abc", 0}, {"255", 255}, {"0", 0},
                          {" 77 ", 77}};
    for (const Case& c : cases) {
        EXPECT_EQ(ParseOne("TRANSRATE", c.value).alpha, c.expected) << c.value;
    }
}

TEST(SettingsText, FrameRateIsReadLeniently) {
    const Case cases[] = {{" 60 ", 60}, {"12fps", 12}, {"1", 1}, {"1000", 1000}, {"5000", 1000},
                          // Unreadable, overflowing and non-positive rates would stall or
                          // break the frame pacing: they fall back to the default.
                          {"99999999999", 30}, {"0", 30}, {"-5", 30}, {"fast", 30}};
    for (const Case& c : cases) {
        EXPECT_EQ(ParseOne("FRAME_RATE", c.value).frame_rate, c.expected) << c.value;
    }
}

TEST(SettingsText, FlagsAreAnyNonZeroNumberAndAreSavedAsOne) {
    const StoredSettings s = ParseSettingsText(
        "<AUTO_HIDE>-3</AUTO_HIDE><TRANS>2</TRANS><ICON>7</ICON>", 2);
    EXPECT_TRUE(s.auto_hide);
    EXPECT_TRUE(s.translucent);
    EXPECT_TRUE(s.iconized);
    const std::string saved = ComposeSettingsText(s, "");
    EXPECT_NE(saved.find("<AUTO_HIDE>1</AUTO_HIDE><TRANS>1</TRANS>"), std::string::npos);
    EXPECT_NE(saved.find("<ICON>1</ICON>"), std::string::npos);
    EXPECT_FALSE(ParseSettingsText("<TRANS>no</TRANS>", 2).translucent);
}

TEST(SettingsText, OpacityWrittenBeforeTheFlagIsReadAsTheFlag) {
    const StoredSettings s = ParseSettingsText("<TRANSRATE>50</TRANSRATE><TRANS>0</TRANS>", 2);
    EXPECT_TRUE(s.translucent);
    EXPECT_EQ(s.alpha, 50);
}

TEST(SettingsText, LoadingAndSavingAtOnceRecomputesTheFarCorner) {
    const std::string hand_edited =
        "<POSITION><x1>-5</x1><x2>0</x2><y1>300</y1><y2>1</y2></POSITION>"
        "<FRAME_RATE>60</FRAME_RATE><AUTO_HIDE>1</AUTO_HIDE><TRANS>0</TRANS>"
        "<TRANSRATE>999</TRANSRATE><ICON>1</ICON>";
    const StoredSettings s = ParseSettingsText(hand_edited, 6);
    EXPECT_EQ(ComposeSettingsText(s, "<MSG00>x</MSG00>"),
              "<POSITION><x1>-5</x1><x2>235</x2><y1>300</y1><y2>348</y2></POSITION>"
              "<FRAME_RATE>60</FRAME_RATE><AUTO_HIDE>1</AUTO_HIDE><TRANS>0</TRANS>"
              "<TRANSRATE>255</TRANSRATE><ICON>1</ICON><MSG00>x</MSG00>");
}

}  // namespace
