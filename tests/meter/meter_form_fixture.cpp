#include "tests/meter/meter_form_fixture.h"

uint32_t FakeSystem::now = 0;
bool FakeSystem::memory_ok = true;
uint64_t FakeSystem::total = 0;
uint64_t FakeSystem::available = 0;

namespace {

DWORD WINAPI FakeClock() { return FakeSystem::now; }

BOOL WINAPI FakeMemoryStatus(LPMEMORYSTATUSEX status) {
    if (!FakeSystem::memory_ok || status->dwLength != sizeof(MEMORYSTATUSEX)) return FALSE;
    status->ullTotalPhys = FakeSystem::total;
    status->ullAvailPhys = FakeSystem::available;
    return TRUE;
}

}  // namespace

const char kUpdateFrame[] = "<MSG><COMMAND>UPDATE_FRAME</COMMAND></MSG>";
const char kDrawFrame[] = "<MSG><COMMAND>DRAW_FRAME</COMMAND></MSG>";

std::string Cpu(int num, int usage) {
    return "<CPU><NUM>" + std::to_string(num) + "</NUM><USAGE>" + std::to_string(usage) +
           "</USAGE></CPU>";
}

std::string CpuUpdate(const std::string& cpu_elements) {
    return "<MSG><COMMAND>CPU_UPDATE</COMMAND>" + cpu_elements + "</MSG>";
}

std::string Frame() { return std::string(kUpdateFrame) + kDrawFrame; }

void Hold(MeterForm& form, uint32_t k, double usage) {
    form.usage_start[k] = usage;
    form.usage_delta[k] = 0.0;
}

uint32_t PixelAt(const Surface& surface, int32_t x, int32_t y) {
    const uint32_t* p = surface.pixel_at(x, y);
    return p ? *p : 0xDEADBEEFu;
}

std::vector<uint32_t> Pixels(const Surface& surface) {
    if (!surface.has_pixels()) return {};
    return std::vector<uint32_t>(surface.pixels, surface.pixels + surface.width * surface.height);
}

uint32_t MaxAlpha(const Surface& surface, int32_t x, int32_t y, int32_t width, int32_t height) {
    uint32_t alpha = 0;
    for (int32_t row = y; row < y + height; ++row) {
        for (int32_t column = x; column < x + width; ++column) {
            const uint32_t* p = surface.pixel_at(column, row);
            if (p && (*p >> 24) > alpha) alpha = *p >> 24;
        }
    }
    return alpha;
}

void MeterFormTest::SetUp() {
    FakeSystem::now = 500;
    FakeSystem::memory_ok = true;
    FakeSystem::total = uint64_t{4} << 30;
    FakeSystem::available = uint64_t{3} << 30;
    platform.clock.time = FakeClock;
    platform.memory.status = FakeMemoryStatus;
}

MeterForm& MeterFormTest::Make(uint32_t processors) {
    form = std::make_unique<MeterForm>(processors);
    form->apply_settings("");
    return *form;
}
