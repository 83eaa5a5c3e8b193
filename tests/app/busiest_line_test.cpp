#include "app/busiest_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Every unit 7 pixels wide, the ellipsis too.
int32_t SevenEach(const std::u16string& line) { return static_cast<int32_t>(line.size()) * 7; }

TEST(ComposeBusiestLine, NamesTheProcessInEitherFace) {
    EXPECT_EQ(ComposeBusiestLine(kEnglishFace, u"chrome.exe", 23, SevenEach, 10000),
              u"Busiest: chrome.exe 23%");
    EXPECT_EQ(ComposeBusiestLine(kJapaneseFace, u"chrome.exe", 23, SevenEach, 10000),
              u"使用率最大: chrome.exe 23%");
    EXPECT_EQ(ComposeBusiestLine(kEnglishFace, u"System", 100, SevenEach, 10000),
              u"Busiest: System 100%");
    EXPECT_EQ(std::u16string(kEnglishFace.busiest_none), u"Busiest: none above 1%");
    EXPECT_EQ(std::u16string(kJapaneseFace.busiest_none), u"使用率最大: 1%以上なし");
}

TEST(ComposeBusiestLine, ShortensTheNameToTheWidestThatFits) {
    // "Busiest: " + 42 units + " 7%" is 54 units; 30 units of room keep 17 of the name.
    const std::u16string name = u"averyveryverylongprogramnamethatgoeson.exe";
    const std::u16string line = ComposeBusiestLine(kEnglishFace, name, 7, SevenEach, 30 * 7 + 6);
    EXPECT_EQ(line, u"Busiest: averyveryverylong\u2026 7%");
    // A surrogate pair is kept or dropped whole.
    const std::u16string faces = u"\U0001F600\U0001F601\U0001F602.exe";
    EXPECT_EQ(ComposeBusiestLine(kEnglishFace, faces, 7, SevenEach, 15 * 7),
              u"Busiest: \U0001F600\u2026 7%");
    EXPECT_EQ(ComposeBusiestLine(kEnglishFace, faces, 7, SevenEach, 14 * 7),
              u"Busiest: \u2026 7%");
    // Where nothing fits, the line is as short as it gets.
    EXPECT_EQ(ComposeBusiestLine(kJapaneseFace, name, 50, SevenEach, 0), u"使用率最大: \u2026 50%");
}

}  // namespace
