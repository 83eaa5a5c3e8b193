#include "measure/turn_grid.h"

#include <gtest/gtest.h>

namespace {

TEST(TurnGrid, AReadingCountsAsTheTurnNearestIt) {
    const struct { uint32_t now, turn; } cases[] = {
        {7000, 7000}, {8990, 9000}, {9003, 9000}, {9499, 9000}, {9500, 10000},
        {7000 + 1000u * 4000000u + 1, 7000 + 1000u * 4000000u},  // across the clock's wrap
    };
    for (const auto& c : cases) EXPECT_EQ(NearestTurn(c.now, 7000, 1000), c.turn) << c.now;
}

TEST(TurnGrid, OneWakePerTurnWhateverTheClockReadsAroundIt) {
    const struct { const char* what; uint32_t now, taken, wait; } cases[] = {
        {"read on time", 9000, 9000, 1000},
        {"a coarse clock still before the point it waited for", 8990, 9000, 1010},
        {"the sampling took a while", 9040, 9000, 960},
        {"back late, the next turn has come", 10300, 9000, 0},
        {"back later still, the turn after is nearer", 10600, 9000, 400},
        {"still before the next turn, asked again", 8990, 8000, 10},
    };
    for (const auto& c : cases) EXPECT_EQ(UntilNextTurn(c.now, 7000, 1000, c.taken), c.wait) << c.what;
    // Around the wrap of the clock the grid stands still.
    const uint32_t epoch = 0xFFFFFF00u;
    EXPECT_EQ(UntilNextTurn(epoch + 2 * 1000 - 8, epoch, 1000, epoch + 2 * 1000), 1008u);
    // Intervals that are no grid: none at all, or one that never ends.
    EXPECT_EQ(UntilNextTurn(5000, 0, 0, 4000), 0u);
    EXPECT_EQ(UntilNextTurn(5000, 0, 0xFFFFFFFFu, 4000), 0xFFFFFFFFu);
}

}  // namespace
