#include "text/string_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <cwchar>

namespace {

TEST(FormatByteSize, PicksBinaryUnitsAndPadsToFourCharacters) {
    const struct { uint64_t bytes; const char* text; } cases[] = {
        {0, "   0Byte"},         {100, " 100Byte"},        {1023, "1023Byte"},
        {1024, "1.00KB"},        {1536, "1.50KB"},         {1048575, "1024.00KB"},
        {1048576, "1.00MB"},     {536870912, "512.00MB"},  {1073741824, "1.00GB"},
        {4294967296ull, "4.00GB"}, {1610612736, "1.50GB"}, {1599999999, "1.49GB"},
        {~uint64_t{0}, "17179869184.00GB"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatByteSize(c.bytes), c.text) << c.bytes;
}

TEST(IntToString, WritesPlainDecimal) {
    EXPECT_EQ(IntToString(0), "0");
    EXPECT_EQ(IntToString(-5), "-5");
    EXPECT_EQ(IntToString(240), "240");
    EXPECT_EQ(IntToString(INT32_MIN), "-2147483648");
    EXPECT_EQ(IntToString(INT32_MAX), "2147483647");
    // Appending keeps what the text held, and its capacity.
    std::string text = "x=";
    text.reserve(64);
    const char* const storage = text.data();
    AppendInt(text, -12);
    AppendInt(text, INT32_MIN);
    EXPECT_EQ(text, "x=-12-2147483648");
    EXPECT_EQ(text.data(), storage);
}

TEST(TextToInt, ReadsLikeAClassicLocaleStream) {
    const struct { const char* text; int32_t value; } cases[] = {
        {"60", 60},           {" 60 ", 60},         {"\t\r\n\v\f-7", -7},
        {"+12", 12},          {"12fps", 12},        {"007", 7},
        {"abc", 0},           {"", 0},              {"-", 0},
        {"+-5", 0},           {"- 5", 0},           {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN}, {"2147483648", 0}, {"-2147483649", 0},
        {"99999999999", 0},   {"0x10", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(TextToInt(c.text), c.value) << '"' << c.text << '"';
}

TEST(TextToFlag, IsTrueForAnyNonZeroNumber) {
    EXPECT_TRUE(TextToFlag("1"));
    EXPECT_TRUE(TextToFlag("2"));
    EXPECT_TRUE(TextToFlag("-1"));
    EXPECT_FALSE(TextToFlag("0"));
    EXPECT_FALSE(TextToFlag("yes"));
}

TEST(Trim, RemovesExactlyBlankTabLineFeedAndCarriageReturn) {
    const std::string input = " \t\r\nabc \n";
    EXPECT_EQ(TrimLeft(input), "abc \n");
    EXPECT_EQ(TrimRight(input), " \t\r\nabc");
    EXPECT_EQ(Trim(input), "abc");
    EXPECT_EQ(Trim("\fabc\v"), "\fabc\v");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim(" \t\r\n"), "");
    EXPECT_EQ(TrimLeft("  "), "");
    EXPECT_EQ(TrimRight("  "), "");
}

TEST(ElapsedTicks, CountsAcrossTheWrapOneShort) {
    EXPECT_EQ(ElapsedTicks(10, 25), 15u);
    EXPECT_EQ(ElapsedTicks(25, 25), 0u);
    EXPECT_EQ(ElapsedTicks(0xFFFFFFF0u, 0x10), 0x1Fu);
    EXPECT_EQ(ElapsedTicks(0xFFFFFFFFu, 0), 0u);
}

TEST(TruncateNearlyWhole, CountsOnlyAHairShortOfAWholeNumberAsIt) {
    const struct { double value, whole; } cases[] = {
        {100.0 * (1.0 - 0.9), 10.0},  // 9.999999999999998
        {100.0 * std::sin(1.5707963705062866), 100.0},
        {-100.0 * (1.0 - 0.9), -10.0},
        {37.9, 37.0},   {79.5, 79.0},   {79.9999, 79.0},  {0.0, 0.0},
        {5.0, 5.0},     {-0.5, -0.0},   {1e9, 1e9},
    };
    for (const auto& c : cases) EXPECT_EQ(TruncateNearlyWhole(c.value), c.whole) << c.value;
    EXPECT_TRUE(std::isnan(TruncateNearlyWhole(NAN)));
    EXPECT_EQ(TruncateNearlyWhole(-INFINITY), -INFINITY);
}

TEST(CutToDirectory, KeepsTheLastBackslashAndNeverWalksBeforeTheBuffer) {
    wchar_t path[32] = L"C:\\Tools\\VorneltGauge.exe";
    CutToDirectory(path, 32);
    EXPECT_EQ(std::wstring(path), L"C:\\Tools\\");
    wchar_t root[32] = L"D:\\VorneltGauge.exe";
    CutToDirectory(root, 32);
    EXPECT_EQ(std::wstring(root), L"D:\\");
    // No backslash at all: everything is cleared, and nothing before index 0 is touched.
    wchar_t guarded[12] = L"XXnoslashYY";
    CutToDirectory(guarded + 2, 7);
    EXPECT_EQ(std::wmemcmp(guarded, L"XX\0\0\0\0\0\0\0YY", 12), 0);
    // An unterminated buffer (a cut-off path) ends at its own last unit.
    wchar_t full[6] = {L'a', L'\\', L'b', L'c', L'd', L'e'};
    CutToDirectory(full, 6);
    EXPECT_EQ(std::wmemcmp(full, L"a\\\0\0\0\0", 6), 0);
}

}  // namespace
