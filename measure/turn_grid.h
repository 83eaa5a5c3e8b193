// The grid of sampling turns that every sampler keeps to: a turn begins every
// `interval` milliseconds from one epoch on one millisecond clock, so that the
// samplers of a turn share its collection however long the gadget runs.
//
// A reading counts as the turn whose grid point is nearest to it. On Windows a
// wait ends to the millisecond while a coarse clock (the tick count steps by
// 10 to 16 ms) may still read a little before the point it waited for; counted
// as that turn, such a wake is not followed by a second one a few milliseconds
// later that would sample the same collection again.
//
// Times are readings of a 32-bit millisecond clock that wraps; differences are
// taken modulo 2^32.
#pragma once

#include <cstdint>

// The grid point nearest `now`; `now` itself where there is no grid (an interval
// of 0, or one too long to be a grid).
uint32_t NearestTurn(uint32_t now, uint32_t epoch, uint32_t interval);

// Milliseconds from `now` until a sampler whose last reading counted as the turn
// at `taken` reads again: the next turn's grid point, or, when it comes back
// half an interval or more after its turn, the nearest turn it has not had
// (nothing to wait when that point has passed). An interval of 0 waits nothing;
// one too long to be a grid is waited whole.
uint32_t UntilNextTurn(uint32_t now, uint32_t epoch, uint32_t interval, uint32_t taken);
