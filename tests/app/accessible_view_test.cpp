#include "app/accessible_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

struct FakeReadings final : AccessibleReadings {
    uint32_t processors = 2;
    uint32_t machine = 0;
    double load = 0.2759;
    const Face* speaks = &kEnglishFace;
    MeterScale at = kUnscaled;
    uint32_t shown_processors() const override { return processors; }
    uint32_t machine_processors() const override { return machine > processors ? machine : processors; }
    std::string percent_text(uint32_t processor) const override {
        return processor == 0 ? "  5%" : processor == 1 ? " 30%" : "100%";
    }
    std::string memory_caption() const override { return speaks->default_caption; }
    std::string free_memory_text() const override { return "23.17GB"; }
    double memory_load() const override { return load; }
    const Face& face() const override { return *speaks; }
    const MeterScale& scale() const override { return at; }
    void client_origin(int32_t& x, int32_t& y) const override { x = 100, y = 200; }
    bool shown() const override { return true; }
    uint32_t printed_revision() const override { return 0; }
};

std::string Description(int32_t child, const FakeReadings& readings) {
    AccessibleNode node;
    std::string text = "(none)";
    NodeForChild(child, readings.processors, node);
    AccessibleDescription(node, readings, text);
    return text;
}

TEST(AccessibleView, DescriptionsGiveTheMemoryLoadAndAMachineBeyondTheShown) {
    FakeReadings readings;
    EXPECT_EQ(Description(3, readings), "Memory load: 28%");
    readings.speaks = &kJapaneseFace;
    // "メモリ使用率:" in Shift-JIS.
    EXPECT_EQ(Description(3, readings), "\x83\x81\x83\x82\x83\x8A\x8E\x67\x97\x70\x97\xA6:28%");
    // Figures no system should give stay within what a percentage can say.
    readings.speaks = &kEnglishFace;
    readings.load = std::nan("");
    EXPECT_EQ(Description(3, readings), "Memory load: 0%");
    readings.load = 1.7;
    EXPECT_EQ(Description(3, readings), "Memory load: 100%");
    EXPECT_EQ(Description(kClientChild, readings), "(none)");
    readings.processors = 32;
    readings.machine = 64;
    EXPECT_EQ(Description(kClientChild, readings), "x64 (32 shown)");
}

TEST(AccessibleView, PlacesAreTheSlotsOnTheScreenAtTheScale) {
    FakeReadings readings;
    readings.processors = 8;
    readings.at = ScaleForDpi(144);  // 150 %: slots of 180 x 18
    auto box = [&](int32_t child) {
        AccessibleNode node;
        NodeForChild(child, readings.processors, node);
        const ScreenBox b = AccessibleBox(node, readings);
        return std::to_string(b.left) + "," + std::to_string(b.top) + " " +
               std::to_string(b.width) + "x" + std::to_string(b.height);
    };
    EXPECT_EQ(box(kClientChild), "100,200 360x90");
    EXPECT_EQ(box(1), "100,200 180x18");
    EXPECT_EQ(box(2), "100,218 180x18");
    EXPECT_EQ(box(4), "280,236 180x18");
    EXPECT_EQ(box(8), "280,272 180x18");
    EXPECT_EQ(box(9), "280,200 180x36");
    // A point finds what covers it; the picture's edge is outside.
    EXPECT_EQ(AccessibleChildAt(100, 200, readings), 1);
    EXPECT_EQ(AccessibleChildAt(459, 235, readings), 9);
    EXPECT_EQ(AccessibleChildAt(280, 254, readings), 6);
    EXPECT_EQ(AccessibleChildAt(460, 200, readings), -1);
    EXPECT_EQ(AccessibleChildAt(99, 250, readings), -1);
    readings.processors = 3;  // the bottom-right cell belongs to no processor
    EXPECT_EQ(AccessibleChildAt(300, 240, readings), kClientChild);
}

TEST(AccessibleView, NavigationWalksTheChildrenInReadingOrder) {
    EXPECT_EQ(NavigateChildren(kClientChild, Navigation::kFirstChild, 2), 1);
    EXPECT_EQ(NavigateChildren(kClientChild, Navigation::kLastChild, 2), 3);
    EXPECT_EQ(NavigateChildren(1, Navigation::kNext, 2), 2);
    EXPECT_EQ(NavigateChildren(3, Navigation::kNext, 2), -1);
    EXPECT_EQ(NavigateChildren(1, Navigation::kPrevious, 2), -1);
    EXPECT_EQ(NavigateChildren(3, Navigation::kPrevious, 2), 2);
    EXPECT_EQ(NavigateChildren(kClientChild, Navigation::kNext, 2), -1);
    EXPECT_EQ(NavigateChildren(2, Navigation::kFirstChild, 2), -1);
}

TEST(ChangeAnnouncer, AnnouncesAChangeAtMostOnceASecondAndNeverTheFirstSight) {
    ChangeAnnouncer announcer;
    const uint32_t start = 0xFFFFFE00u;  // the clock wraps within this test
    EXPECT_FALSE(announcer.due(1, "30%", start));
    EXPECT_FALSE(announcer.due(1, "31%", start + 400));  // within the first second
    EXPECT_TRUE(announcer.waiting());
    EXPECT_TRUE(announcer.due(1, "31%", start + 1000));
    EXPECT_FALSE(announcer.waiting());
    EXPECT_FALSE(announcer.due(1, "31%", start + 3000));  // unchanged
    EXPECT_FALSE(announcer.waiting());
    EXPECT_TRUE(announcer.due(1, "35%", start + 3001));
    EXPECT_FALSE(announcer.due(1, "36%", start + 3500));
    // Back where it was announced before the second ended: nothing to say.
    EXPECT_FALSE(announcer.due(1, "35%", start + 4100));
    EXPECT_FALSE(announcer.waiting());
    // Each child keeps its own second; ids that name no child are ignored.
    EXPECT_FALSE(announcer.due(2, "1.00GB", start + 3500));
    EXPECT_TRUE(announcer.due(2, "0.99GB", start + 4500));
    // Two children waiting at once: the announcer waits until both are told.
    EXPECT_TRUE(announcer.due(1, "37%", start + 4500));
    EXPECT_FALSE(announcer.due(2, "0.98GB", start + 4600));
    EXPECT_FALSE(announcer.due(1, "38%", start + 4700));
    EXPECT_TRUE(announcer.due(1, "38%", start + 5500));
    EXPECT_TRUE(announcer.waiting());
    EXPECT_TRUE(announcer.due(2, "0.98GB", start + 5500));
    EXPECT_FALSE(announcer.waiting());
    EXPECT_FALSE(announcer.due(-1, "x", start));
    EXPECT_FALSE(announcer.due(34, "x", start));
    EXPECT_FALSE(announcer.due(34, "y", start + 5000));
}

}  // namespace
