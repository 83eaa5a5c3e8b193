// The meter's arithmetic without any drawing: how a sample is read and clamped,
// how a displayed value moves, and which bar, shading and text a value gets.
#pragma once

#include <cstdint>
#include <string>

#include "meter/meter_layout.h"

// The light grey behind and around every slot.
constexpr uint32_t kPanelColour = 0xFFCCCCCC;

// Rows of the bar atlas at 96 DPI: each a 12-pixel strip, the coloured ones held
// twice side by side; StripRow gives a strip's row at a scale.
constexpr int32_t kStripLow = 0;       // processor bars up to 50 %
constexpr int32_t kStripTrack = 12;    // the dark track under every bar
constexpr int32_t kStripMemory = 24;   // memory bar up to half the memory in use
constexpr int32_t kStripMiddle = 36;   // above 50 % (or half) up to 80 %
constexpr int32_t kStripHigh = 48;     // above 80 %
// The atlas holds ten strips' rows.
constexpr int32_t kAtlasRows = 10;

constexpr int32_t StripRow(int32_t strip, const MeterScale& scale) {
    return strip / kRowHeight * scale.row_height;
}

// Reads the NUM and USAGE of one CPU element. False when NUM names no shown
// processor (negative, beyond the per-processor arrays or at/after `processor_count`);
// such a sample must not touch any processor.
bool ReadCpuSample(const std::string& cpu, uint32_t processor_count, uint32_t& processor,
                   double& usage);

// The displayed value `elapsed_ms` after a sample arrived: a quarter sine reaches
// the sample after one second and, left alone, swings on back toward the start.
double TransitionValue(double start, double delta, uint32_t elapsed_ms);

// Bar length in pixels (0..120 at 96 DPI, up to the scale's slot width) and
// atlas strip of a displayed usage in percent.
int32_t UsageBarLength(double usage, const MeterScale& scale = kUnscaled);
int32_t UsageStrip(double usage);

// Bar length in pixels (0..120 at 96 DPI, up to the slot width) and atlas strip
// of a used-memory fraction.
int32_t MemoryBarLength(double load, const MeterScale& scale = kUnscaled);
int32_t MemoryStrip(double load);

// Where, 0..119 at 96 DPI, the slot-wide window into a doubled strip starts at
// `ticks` milliseconds: slides along a quarter sine and jumps back once a second.
int32_t ShadingOffset(uint32_t ticks, const MeterScale& scale = kUnscaled);

// The printed percentage: whole percent, right-aligned in three characters.
// Like the bar's length it treats a value a hair short of a whole number as
// that number: the transition lands there, a second after the sample, only to
// within rounding.
std::string PercentText(double usage);

struct MemoryFigures {
    double load;         // used fraction, 0..1
    uint64_t available;  // bytes
};

// Figures from the system's totals. An available amount above the total counts as
// none; a total of 0 gives no figures (false) rather than a division by zero.
bool ComputeMemoryFigures(uint64_t total, uint64_t available, MemoryFigures& figures);
