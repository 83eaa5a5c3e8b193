// Measures what one meter frame costs on the main thread: UPDATE_FRAME plus
// DRAW_FRAME with nothing moving, and with every percentage and the memory text
// changing every frame, each beside a plain copy of one 240 x 96 frame.
// The copy to the window is left out: target_dc stays null, so present does nothing.
// Every level of pixel loops the processor has is timed (plain, MMX, SSE2: each
// with the levels above it switched off), at the display scale of DPI.
// Each figure is the quickest of 30 batches, which leaves out time other processes took.
//
//   meter_timing.exe [PROCESSORS, default 8] [DPI, default 96]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "measure/processor_info.h"
#include "measure/win32_processor_info.h"
#include "meter/win32_meter_form.h"
#include "platform/win32_platform.h"

namespace {

uint32_t fake_now = 500;
uint64_t fake_available = uint64_t{3} << 30;

DWORD WINAPI FakeClock() { return fake_now; }

BOOL WINAPI FakeMemoryStatus(LPMEMORYSTATUSEX status) {
    status->ullTotalPhys = uint64_t{8} << 30;
    status->ullAvailPhys = fake_available;
    return TRUE;
}

double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Microseconds per call of `step`, the quickest of 30 batches of `calls` calls.
template <typename Step>
double BestOf(int calls, Step step) {
    double best = 1e30;
    for (int batch = 0; batch < 30; ++batch) {
        const double start = Now();
        for (int i = 0; i < calls; ++i) step(i);
        const double each = (Now() - start) * 1e6 / calls;
        if (each < best) best = each;
    }
    return best;
}

double TimeFrameCopy(const MeterScale& scale) {
    const size_t pixels = static_cast<size_t>(scale.width) * MeterSurfaceHeight(8, scale);
    std::vector<uint32_t> source(pixels, 0xFFCCCCCC), dest(pixels);
    return BestOf(1000, [&](int) {
        std::memcpy(dest.data(), source.data(), source.size() * sizeof(uint32_t));
        __asm__ __volatile__("" : : "r"(dest.data()) : "memory");
    });
}

const char kFrame[] =
    "<MSG><COMMAND>UPDATE_FRAME</COMMAND></MSG><MSG><COMMAND>DRAW_FRAME</COMMAND></MSG>";

// A fresh meter per run, so that no transition of an earlier run keeps values moving.
// Changing frames carry a new sample for every processor and land a second after it,
// so each percentage prints anew, and the free memory alternates between two forms.
double TimeFrames(uint32_t processors, uint32_t dpi, int frames, bool changing) {
    MeterForm form(processors, dpi);
    form.apply_settings("");
    form.handle_message(kFrame);  // the first frame draws every text
    std::vector<std::string> texts;
    for (uint32_t i = 0; i < (changing ? 97u : 1u); ++i) {
        std::string text;
        if (changing) {
            text = "<MSG><COMMAND>CPU_UPDATE</COMMAND>";
            for (uint32_t k = 0; k < form.processor_count; ++k) {
                text += "<CPU><NUM>" + std::to_string(k) + "</NUM><USAGE>" +
                        std::to_string((i * 37 + k * 11) % 101) + "</USAGE></CPU>";
            }
            text += "</MSG>";
        }
        texts.push_back(text + kFrame);
    }
    return BestOf(frames, [&](int i) {
        fake_now += changing ? 1000 : 33;
        if (changing) fake_available ^= uint64_t{1} << 28;
        form.handle_message(texts[static_cast<size_t>(i) % texts.size()]);
    });
}

}  // namespace

int main(int argc, char** argv) {
    platform.clock.time = FakeClock;
    platform.memory.status = FakeMemoryStatus;
    const uint32_t processors = ClampProcessorCount(argc > 1 ? std::atoi(argv[1]) : 8);
    const uint32_t dpi = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[2])) : kBaseDpi;
    const MeterScale scale = ScaleForDpi(dpi);
    const double copy = TimeFrameCopy(scale);
    std::printf("processors: %u, %u DPI\n", processors, scale.dpi);
    std::printf("frame copy (%d x %d pixels): %8.2f us\n", scale.width,
                MeterSurfaceHeight(8, scale), copy);
    identify_processor();
    const PixelFeatures features{processor_info().mmx != 0, processor_info().sse2 != 0};
    const char* const levels[][2] = {{"plain", "mmx sse2"}, {"mmx", "sse2"}, {"sse2", ""}};
    for (const auto& level : levels) {
        const std::string in_use = SelectPixelPaths(features, level[1]);
        // A level the processor lacks would only time the one below again.
        if (in_use.substr(in_use.rfind(' ') + 1) != level[0]) continue;
        const double steady = TimeFrames(processors, scale.dpi, 200, false);
        const double changing = TimeFrames(processors, scale.dpi, 20, true);
        std::printf("%s loops (%s):\n", level[0], in_use.c_str());
        std::printf("  steady frame:           %8.2f us  (%.1f frame copies)\n", steady,
                    steady / copy);
        std::printf("  every text changing:    %8.2f us  (%.1f frame copies)\n", changing,
                    changing / copy);
    }
    return 0;
}
