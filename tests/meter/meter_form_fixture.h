// A MeterForm under test: the clock and the memory status come from the test,
// and frames are driven through the same tag texts the main window sends.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "meter/win32_meter_form.h"
#include "platform/win32_platform.h"
#include "raster/surface.h"

// What the fake clock and memory status report.
struct FakeSystem {
    static uint32_t now;
    static bool memory_ok;
    static uint64_t total;
    static uint64_t available;
};

extern const char kUpdateFrame[];
extern const char kDrawFrame[];
std::string Cpu(int num, int usage);                   // one CPU element
std::string CpuUpdate(const std::string& cpu_elements);  // a CPU_UPDATE message
std::string Frame();                                   // UPDATE_FRAME, then DRAW_FRAME

// Processor k's displayed value jumps to `usage` at the next UPDATE_FRAME and stays.
void Hold(MeterForm& form, uint32_t k, double usage);

uint32_t PixelAt(const Surface& surface, int32_t x, int32_t y);  // 0xDEADBEEF outside
std::vector<uint32_t> Pixels(const Surface& surface);            // empty without memory
uint32_t MaxAlpha(const Surface& surface, int32_t x, int32_t y, int32_t width, int32_t height);

class MeterFormTest : public ::testing::Test {
protected:
    void SetUp() override;
    // A form with the fakes in place and the default settings applied.
    MeterForm& Make(uint32_t processors);

    // The clock and the memory status are the fakes' while the test runs.
    ScopedPlatform platform_;
    std::unique_ptr<MeterForm> form;
};
