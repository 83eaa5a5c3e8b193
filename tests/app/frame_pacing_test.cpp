#include "app/frame_pacing.h"

#include <gtest/gtest.h>

#include "settings/settings_text.h"

#include <vector>

namespace {

// A pacer whose previous frame ended at `start`.
FramePacer RunningSince(uint32_t start) {
    FramePacer pacer;
    PaceFrame(pacer, start, 30);
    return pacer;
}

TEST(PaceFrame, FirstFrameStartsTheClockWithoutSleeping) {
    FramePacer pacer;
    const PaceDecision first = PaceFrame(pacer, 5000, 30);
    EXPECT_EQ(first.sleep_ms, 0u);
    EXPECT_FALSE(first.late);
    EXPECT_TRUE(pacer.started);
    EXPECT_EQ(pacer.frame_start, 5000u);
    // Even an absurdly late first reading after that is measured from 5000.
    const PaceDecision second = PaceFrame(pacer, 5010, 30);
    EXPECT_EQ(second.sleep_ms, 23u);
}

TEST(PaceFrame, SleepsOutTheBudgetOrOneMillisecondWhenItIsSpent) {
    const struct { uint32_t elapsed; int32_t rate; uint32_t sleep; bool late; } cases[] = {
        {10, 30, 23, false},  // 33 ms budget at 30 frames per second
        {0, 30, 33, false},   {32, 30, 1, false},
        {33, 30, 1, true},    // exactly the budget is already late
        {40, 30, 1, true},    {10, 60, 6, false},   {16, 60, 1, true},
        {0, 1, 1000, false},  {999, 1, 1, false},
        {0, 1000, 1, false},  {1, 1000, 1, true},
    };
    for (const auto& c : cases) {
        FramePacer pacer = RunningSince(1000);
        const PaceDecision d = PaceFrame(pacer, 1000 + c.elapsed, c.rate);
        EXPECT_EQ(d.sleep_ms, c.sleep) << c.elapsed << " ms at " << c.rate;
        EXPECT_EQ(d.late, c.late) << c.elapsed << " ms at " << c.rate;
    }
}

TEST(PaceFrame, MeasuresFromTheClockAfterTheSleep) {
    FramePacer pacer = RunningSince(0);
    EXPECT_EQ(PaceFrame(pacer, 10, 30).sleep_ms, 23u);
    FrameStarted(pacer, 36);  // the sleep overshot by 3 ms
    const PaceDecision next = PaceFrame(pacer, 46, 30);
    EXPECT_EQ(next.sleep_ms, 23u);
    EXPECT_FALSE(next.late);
    // No catch-up after a late frame: the next budget is a whole one again.
    FrameStarted(pacer, 100);
    EXPECT_TRUE(PaceFrame(pacer, 200, 30).late);
    FrameStarted(pacer, 201);
    EXPECT_EQ(PaceFrame(pacer, 201, 30).sleep_ms, 33u);
}

TEST(PaceFrame, SurvivesTheTickCounterWrapping) {
    FramePacer pacer = RunningSince(0xFFFFFFF0u);
    // 0x1F by the tick difference: 31 ms of the 33 spent.
    EXPECT_EQ(PaceFrame(pacer, 0x10, 30).sleep_ms, 2u);
    FramePacer late = RunningSince(0xFFFFFFF0u);
    EXPECT_TRUE(PaceFrame(late, 0x20, 30).late);
}

TEST(ClampFrameRate, FallsBackToThirtyBelowOneAndCapsAtAThousand) {
    EXPECT_EQ(ClampFrameRate(0), 30);
    EXPECT_EQ(ClampFrameRate(-5), 30);
    EXPECT_EQ(ClampFrameRate(INT32_MIN), 30);
    EXPECT_EQ(ClampFrameRate(1), 1);
    EXPECT_EQ(ClampFrameRate(60), 60);
    EXPECT_EQ(ClampFrameRate(1000), 1000);
    EXPECT_EQ(ClampFrameRate(1001), 1000);
    EXPECT_EQ(ClampFrameRate(INT32_MAX), 1000);
    // A stored rate of 0 must not divide by zero: it paces at 30.
    FramePacer pacer = RunningSince(0);
    EXPECT_EQ(PaceFrame(pacer, 10, 0).sleep_ms, 23u);
}

TEST(DefaultWindowRect, CentresA240PixelWindowJustAboveTheMiddle) {
    const StartPosition xga = DefaultWindowRect(1024, 768);
    EXPECT_EQ(xga.left, 392);
    EXPECT_EQ(xga.top, 372);
    EXPECT_EQ(xga.right, 632);
    // Odd sizes: halves truncate.
    const StartPosition odd = DefaultWindowRect(1365, 767);
    EXPECT_EQ(odd.left, 562);
    EXPECT_EQ(odd.top, 371);
    EXPECT_EQ(odd.right, 802);
    // A screen narrower than the window puts it partly off the left edge.
    const StartPosition tiny = DefaultWindowRect(101, 11);
    EXPECT_EQ(tiny.left, -70);
    EXPECT_EQ(tiny.top, -7);
    EXPECT_EQ(tiny.right, 170);
    // At a larger scale the window is wider and taller, and so further from the middle.
    const struct { uint32_t dpi; int32_t left, top, right; } scaled[] = {
        {120, 362, 369, 662}, {144, 332, 366, 692}, {192, 272, 360, 752}};
    for (const auto& c : scaled) {
        const StartPosition at = DefaultWindowRect(1024, 768, ScaleForDpi(c.dpi));
        EXPECT_EQ((std::vector<int32_t>{at.left, at.top, at.right}),
                  (std::vector<int32_t>{c.left, c.top, c.right}))
            << c.dpi;
    }
}

}  // namespace
