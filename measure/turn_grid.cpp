#include "measure/turn_grid.h"

namespace {

// Beyond this, halves of the interval no longer fit the signed differences of
// the clock: such an interval (an endless one in tests) is not a grid.
constexpr uint32_t kLongestGrid = 0x3FFFFFFF;

bool IsGrid(uint32_t interval) { return interval >= 2 && interval <= kLongestGrid; }

}  // namespace

uint32_t NearestTurn(uint32_t now, uint32_t epoch, uint32_t interval) {
    if (!IsGrid(interval)) return now;
    const uint32_t phase = (now - epoch) % interval;
    return phase < interval - interval / 2 ? now - phase : now + (interval - phase);
}

uint32_t UntilNextTurn(uint32_t now, uint32_t epoch, uint32_t interval, uint32_t taken) {
    if (!IsGrid(interval)) return interval;
    const int32_t half = static_cast<int32_t>(interval / 2);
    const int32_t since_taken = static_cast<int32_t>(now - taken);
    if (since_taken >= -half && since_taken < half) {
        return static_cast<uint32_t>(static_cast<int32_t>(interval) - since_taken);
    }
    const int32_t until_nearest = static_cast<int32_t>(NearestTurn(now, epoch, interval) - now);
    return until_nearest > 0 ? static_cast<uint32_t>(until_nearest) : 0;
}
