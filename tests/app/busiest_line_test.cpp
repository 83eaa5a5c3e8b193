#include "app/busiest_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Every unit 7 pixels wide, the ellipsis too.
int32_t SevenEach(const Utf16Text& line, const void*) {
    return static_cast<int32_t>(line.size()) * 7;
}

TEST(ComposeBusiestLine, NamesTheProcessInEitherFace) {
    EXPECT_EQ(ComposeBusiestLine(kEnglishFace, VG_UTF16("chrome.exe"), 23, SevenEach, nullptr, 10000),
              VG_UTF16("Busiest: chrome.exe 23%"));
    EXPECT_EQ(ComposeBusiestLine(kJapaneseFace, VG_UTF16("chrome.exe"), 23, SevenEach, nullptr, 10000),
              VG_UTF16("使用率最大: chrome.exe 23%"));
    EXPECT_EQ(ComposeBusiestLine(kEnglishFace, VG_UTF16("System"), 100, SevenEach, nullptr, 10000),
              VG_UTF16("Busiest: System 100%"));
    EXPECT_EQ(Utf16Text(kEnglishFace.busiest_none), VG_UTF16("Busiest: none above 1%"));
    EXPECT_EQ(Utf16Text(kJapaneseFace.busiest_none), VG_UTF16("使用率最大: 1%以上なし"));
}

TEST(ComposeBusiestLine, ShortensTheNameToTheWidestThatFits) {
    // "Busiest: " + 42 units + " 7%" is 54 units; 30 units of room keep 17 of the name.
    const Utf16Text name = VG_UTF16("averyveryverylongprogramnamethatgoeson.exe");
    const Utf16Text line = ComposeBusiestLine(kEnglishFace, name, 7, SevenEach, nullptr, 30 * 7 + 6);
    EXPECT_EQ(line, VG_UTF16("Busiest: averyveryverylong\u2026 7%"));
    // A surrogate pair is kept or dropped whole.
    const Utf16Text faces = VG_UTF16("\U0001F600\U0001F601\U0001F602.exe");
    EXPECT_EQ(ComposeBusiestLine(kEnglishFace, faces, 7, SevenEach, nullptr, 15 * 7),
              VG_UTF16("Busiest: \U0001F600\u2026 7%"));
    EXPECT_EQ(ComposeBusiestLine(kEnglishFace, faces, 7, SevenEach, nullptr, 14 * 7),
              VG_UTF16("Busiest: \u2026 7%"));
    // Where nothing fits, the line is as short as it gets.
    EXPECT_EQ(ComposeBusiestLine(kJapaneseFace, name, 50, SevenEach, nullptr, 0), VG_UTF16("使用率最大: \u2026 50%"));
}

}  // namespace
