#include "text/tag_message.h"

#include <gtest/gtest.h>

namespace {

std::string Get(const std::string& text, const std::string& name, uint32_t index,
                bool* found = nullptr) {
    std::string out = "unchanged";
    const bool ok = GetTagElement(text, name, index, out);
    if (found) *found = ok;
    return out;
}

TEST(TagMessage, ReadsRepeatedElementsByIndex) {
    const std::string text = "<A>1</A><A>2</A>";
    EXPECT_EQ(CountTagElements(text, "A"), 2);
    EXPECT_EQ(Get(text, "A", 0), "1");
    EXPECT_EQ(Get(text, "A", 1), "2");
    bool found = true;
    EXPECT_EQ(Get(text, "A", 2, &found), "unchanged");
    EXPECT_FALSE(found);
}

TEST(TagMessage, ContentIsTakenAsIs) {
    bool found = false;
    EXPECT_EQ(Get("<A></A>", "A", 0, &found), "");
    EXPECT_TRUE(found);
    EXPECT_EQ(Get("<A> x </A>", "A", 0), " x ");
    EXPECT_EQ(Get("<A>a>b</A>", "A", 0), "a>b");
    EXPECT_EQ(Get("<A x=1>v</A>", "A", 0), "v");
    EXPECT_EQ(Get("<A><A>x</A></A>", "A", 0), "<A>x");
}

TEST(TagMessage, MalformedTextsFindNothing) {
    for (const char* text : {"<A>1", "</A><A>1</A>", "<a>1</a>", "", "A>1</A>"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(CountTagElements(text, "A"), 0);
        bool found = true;
        EXPECT_EQ(Get(text, "A", 0, &found), "unchanged");
        EXPECT_FALSE(found);
    }
}

TEST(TagMessage, OpenMarkerWhoseEndLiesBeyondTheCloseMarkerIsRejected) {
    bool found = true;
    EXPECT_EQ(Get("<A</A>x", "A", 0, &found), "unchanged");
    EXPECT_FALSE(found);
}

TEST(TagMessage, OpenPatternMatchesLongerNamesSoOrderMatters) {
    EXPECT_EQ(Get("<TRANSRATE>50</TRANSRATE><TRANS>1</TRANS>", "TRANS", 0),
              "50</TRANSRATE><TRANS>1");
    const std::string saved = "<TRANS>1</TRANS><TRANSRATE>50</TRANSRATE>";
    EXPECT_EQ(Get(saved, "TRANS", 0), "1");
    EXPECT_EQ(Get(saved, "TRANSRATE", 0), "50");
    EXPECT_EQ(Get("<MSG00>face</MSG00><MSG01>cap</MSG01>", "MSG01", 0), "cap");
}

TEST(TagMessage, FrameTextReadsAsOneCommandWithEveryProcessor) {
    const std::string frame =
        "<MSG><COMMAND>CPU_UPDATE</COMMAND><CPU><USAGE>12</USAGE><NUM>0</NUM></CPU>"
        "<COMMAND>CPU_UPDATE</COMMAND><CPU><USAGE>3</USAGE><NUM>1</NUM></CPU></MSG>"
        "<MSG><COMMAND>UPDATE_FRAME</COMMAND></MSG><MSG><COMMAND>DRAW_FRAME</COMMAND></MSG>";
    ASSERT_EQ(CountTagElements(frame, "MSG"), 3);
    std::string body;
    ASSERT_TRUE(GetTagElement(frame, "MSG", 0, body));
    EXPECT_EQ(Get(body, "COMMAND", 0), "CPU_UPDATE");
    ASSERT_EQ(CountTagElements(body, "CPU"), 2);
    std::string cpu;
    ASSERT_TRUE(GetTagElement(body, "CPU", 1, cpu));
    EXPECT_EQ(Get(cpu, "USAGE", 0), "3");
    EXPECT_EQ(Get(cpu, "NUM", 0), "1");
    EXPECT_EQ(Get(body, "NUM", 0), "0");  // a search over the MSG finds the first CPU's
    ASSERT_TRUE(GetTagElement(frame, "MSG", 2, body));
    EXPECT_EQ(Get(body, "COMMAND", 0), "DRAW_FRAME");
}

TEST(TagMessage, NestedAndAdversarialTextsCountByTheReadingRules) {
    const struct { const char* text; int32_t count; const char* last; } cases[] = {
        // One name never nests: the first close marker ends the element, and the
        // search for the next one starts at that close marker.
        {"<A><A>x</A></A>", 1, "<A>x"},
        {"<A>1</A><A><A>2</A></A>", 2, "<A>2"},
        {"<A><A><A>x</A></A></A><A>y</A>", 2, "y"},
        // A close marker ahead of any open one ends the count before it starts.
        {"</A>x<A>1</A>", 0, nullptr},
        {"<A>1</A></A><A>2</A>", 2, "2"},
        // Markers inside another element's content are still found.
        {"<B><A>1</A></B><A>2</A>", 2, "2"},
        // "</A x>" is no close marker, "<AB>" opens A as well.
        {"<A>1</A x><A>2</A>", 1, "1</A x><A>2"},
        {"<AB>1</AB><A>2</A>", 1, "1</AB><A>2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CountTagElements(c.text, "A"), c.count);
        bool found = false;
        const std::string last = Get(c.text, "A", c.count > 0 ? c.count - 1 : 0, &found);
        EXPECT_EQ(found, c.last != nullptr);
        if (c.last != nullptr) {
            EXPECT_EQ(last, c.last);
        }
        std::string beyond;
        EXPECT_FALSE(GetTagElement(c.text, "A", static_cast<uint32_t>(c.count), beyond));
    }
}

TEST(TagMessage, MarkersCutOffAtTheEndAndNamesOfAnyLengthOrByte) {
    // A marker the text ends inside of is no marker.
    EXPECT_EQ(CountTagElements("<A>1</A><A>2</A", "A"), 1);
    EXPECT_EQ(CountTagElements("<A>1</", "A"), 0);
    EXPECT_EQ(CountTagElements("<", "A"), 0);
    // Names longer than the markers' own storage, and names with a zero byte.
    const std::string name(40, 'N');
    const std::string text = "<" + name + ">long</" + name + "><" + name + ">x</" + name + ">";
    EXPECT_EQ(CountTagElements(text, name), 2);
    EXPECT_EQ(Get(text, name, 1), "x");
    EXPECT_EQ(CountTagElements(text, name.substr(1)), 0);
    const std::string zero("A\0B", 3);
    EXPECT_EQ(Get(std::string("<A\0B>z</A\0B><A>y</A>", 20), zero, 0), "z");
}

TEST(TagMessage, BytesOutsideElementsAreIgnored) {
    const std::string text = "junk<A>1</A> more junk <B>x</B><A>2</A>tail";
    EXPECT_EQ(CountTagElements(text, "A"), 2);
    EXPECT_EQ(Get(text, "A", 1), "2");
    EXPECT_EQ(Get(text, "B", 0), "x");
}

}  // namespace
