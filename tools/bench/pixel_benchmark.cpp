// Times the pixel primitives on the meter's sizes with each level of loops (plain,
// MMX, SSE2, as far as this processor has them), each beside memcpy/memset of the
// same number of bytes, and prints the ratios to that and to the plain loops.
//
// Run, from the repository (an optimised native build; figures are per pixel):
//   cmake -S . -B build/bench && cmake --build build/bench -j2 --target pixel_benchmark &&
//   build/bench/tools/bench/pixel_benchmark

#include "raster/pixel_primitives.h"
#include "raster/surface.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <time.h>

namespace {

// The meter's surfaces: 240 x 96 pictures and the bar atlas of 120 x 12 blocks.
constexpr int32_t kWidth = 240;
constexpr int32_t kHeight = 96;
constexpr int32_t kBlockWidth = 120;
constexpr int32_t kBlockHeight = 12;

struct Surfaces {
    Surface source{kWidth, kHeight};
    Surface dest{kWidth, kHeight};
    Surface atlas{kWidth, 120};
    Surfaces() {
        for (int32_t i = 0; i < kWidth * kHeight; ++i) {
            // Every alpha occurs, 0 included, as in the text layer.
            source.pixels[i] = static_cast<uint32_t>(i) * 2654435761u;
            dest.pixels[i] = 0xFF000000u | static_cast<uint32_t>(i) * 40503u;
        }
        FillWaveGradient(atlas, 0, 0, kBlockWidth, kBlockHeight, 1500, 510, 300);
        FillWaveGradient(atlas, 0, 12, kBlockWidth, kBlockHeight, 0, 0, 300);
    }
};

Surfaces& surfaces() {
    static Surfaces instance;
    return instance;
}

struct Result {
    double ns_per_pixel;
    double baseline_ns_per_pixel;
    double goal;  // largest acceptable ratio; 0 for none
};
std::map<std::string, Result>& results() {
    static std::map<std::string, Result> table;
    return table;
}

// The thread's own processor time: builds running beside the benchmark on a
// small machine would otherwise inflate wall-clock figures at random.
double ThreadNanoseconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// Alternates batches of the baseline and the primitive so both see the same
// caches and clock speed. An iteration is one batch of the primitive, long enough
// for the clock's own cost not to matter; the counters are per pixel.
void Measure(benchmark::State& state, const std::string& name, int64_t pixels, double goal,
             const std::function<void()>& primitive, const std::function<void()>& baseline) {
    const int64_t batch = std::max<int64_t>(1, 200000 / pixels);
    double primitive_ns = 0, baseline_ns = 0;
    for (auto _ : state) {
        const double t0 = ThreadNanoseconds();
        for (int64_t i = 0; i < batch; ++i) baseline();
        benchmark::ClobberMemory();
        const double t1 = ThreadNanoseconds();
        for (int64_t i = 0; i < batch; ++i) primitive();
        benchmark::ClobberMemory();
        const double t2 = ThreadNanoseconds();
        baseline_ns += t1 - t0;
        primitive_ns += t2 - t1;
        state.SetIterationTime((t2 - t1) * 1e-9);
    }
    const double calls = static_cast<double>(state.iterations()) * static_cast<double>(batch);
    const Result r = {primitive_ns / calls / static_cast<double>(pixels),
                      baseline_ns / calls / static_cast<double>(pixels), goal};
    state.counters["ns/px"] = r.ns_per_pixel;
    state.counters["base ns/px"] = r.baseline_ns_per_pixel;
    state.counters["ratio"] = r.ns_per_pixel / r.baseline_ns_per_pixel;
    results()[name] = r;
}

// Copies `bytes` bytes between the two pictures, as the baseline of a copy or blend.
std::function<void()> MemcpyOf(int64_t bytes) {
    return [bytes] {
        Surfaces& s = surfaces();
        std::memcpy(s.dest.pixels, s.source.pixels, static_cast<size_t>(bytes));
        benchmark::DoNotOptimize(s.dest.pixels);
    };
}

std::function<void()> MemsetOf(int64_t bytes) {
    return [bytes] {
        Surfaces& s = surfaces();
        std::memset(s.dest.pixels, 0x5A, static_cast<size_t>(bytes));
        benchmark::DoNotOptimize(s.dest.pixels);
    };
}

constexpr int64_t kPicture = int64_t{kWidth} * kHeight;
constexpr int64_t kBlock = int64_t{kBlockWidth} * kBlockHeight;
const BlitRect kWholePicture = {kWidth, kHeight, 0, 0, 0, 0};
const BlitRect kOneBlock = {kBlockWidth, kBlockHeight, 0, 0, 60, 40};

using TwoBufferPrimitive = void (*)(uint32_t*, const uint32_t*, int32_t, int32_t, int32_t,
                                    int32_t, BlitRect);

// Lays the whole source picture over the whole destination picture.
void OverWholePicture(TwoBufferPrimitive primitive) {
    Surfaces& s = surfaces();
    primitive(s.dest.pixels, s.source.pixels, kWidth, kHeight, kWidth, kHeight, kWholePicture);
}

struct Case {
    const char* name;
    int64_t pixels;
    double goal;
    bool fill_baseline;
    std::function<void()> run;
};

const Case kCases[] = {
    {"CopyPixels 240x96", kPicture, 1.25, false, [] { OverWholePicture(CopyPixels); }},
    {"CopyPixels 120x12", kBlock, 1.25, false,
     [] {
         Surfaces& s = surfaces();
         CopyPixels(s.dest.pixels, s.atlas.pixels, kWidth, 120, kWidth, kHeight, kOneBlock);
     }},
    {"FillPixels 240x96", kPicture, 1.25, true,
     [] {
         FillPixels(surfaces().dest.pixels, 0xFFCCCCCC, kWidth, kHeight, {0, 0, kWidth, kHeight});
     }},
    {"FillPixels 120x12", kBlock, 1.25, true,
     [] { FillPixels(surfaces().dest.pixels, 0, kWidth, kHeight, {120, 0, 120, 12}); }},
    {"BlendByConstantAlpha 240x96", kPicture, 4.0, false,
     [] {
         Surfaces& s = surfaces();
         BlendByConstantAlpha(s.dest.pixels, s.source.pixels, kWidth, kHeight, kWidth, kHeight,
                              kWholePicture, 160);
     }},
    {"BlendBySourceAlpha 240x96", kPicture, 4.0, false,
     [] { OverWholePicture(BlendBySourceAlpha); }},
    {"AddSaturated 120x12", kBlock, 4.0, false,
     [] {
         Surfaces& s = surfaces();
         AddSaturated(s.atlas.pixels, s.atlas.pixels, kWidth, 120, kWidth, 120,
                      {kBlockWidth, kBlockHeight, 0, 12, 0, 0});
     }},
    {"FillSineGradient 120x12", kBlock, 0, true,
     [] { FillSineGradient(surfaces().dest, 0xFF666666, 0xFF333333, 0, 12, 120, 12); }},
    {"FillWaveGradient 120x12", kBlock, 0, true,
     [] { FillWaveGradient(surfaces().dest, 0, 24, 120, 12, 1100, 510, 420); }},
};

// The levels, each with what is switched off to have it alone on top.
struct Level {
    const char* name;
    const char* switched_off;
};
const Level kLevels[] = {{"plain", "mmx sse2"}, {"mmx", "sse2"}, {"sse2", ""}};

PixelFeatures HostFeatures() {
    __builtin_cpu_init();
    return PixelFeatures{__builtin_cpu_supports("mmx") != 0, __builtin_cpu_supports("sse2") != 0};
}

void PrintSummary() {
    std::printf("\n%-30s %-6s %9s %9s %7s %6s %9s\n", "primitive", "path", "ns/px", "base",
                "ratio", "goal", "of plain");
    for (const auto& [name, r] : results()) {
        const double ratio = r.ns_per_pixel / r.baseline_ns_per_pixel;
        char goal[16] = "-";
        if (r.goal > 0) {
            std::snprintf(goal, sizeof goal, "%s%.2f", ratio <= r.goal ? "<=" : "> ", r.goal);
        }
        const size_t slash = name.rfind('/');
        const std::string primitive = name.substr(0, slash);
        // Against the plain loops' ratio to their own baseline, so that both
        // figures come from batches alternated with the same memcpy.
        const auto plain = results().find(primitive + "/plain");
        const double of_plain =
            plain == results().end()
                ? 0
                : ratio / (plain->second.ns_per_pixel / plain->second.baseline_ns_per_pixel);
        std::printf("%-30s %-6s %9.3f %9.3f %7.2f %6s %9.2f\n", primitive.c_str(),
                    name.substr(slash + 1).c_str(), r.ns_per_pixel, r.baseline_ns_per_pixel,
                    ratio, goal, of_plain);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const PixelFeatures host = HostFeatures();
    for (const Case& c : kCases) {
        for (const Level& level : kLevels) {
            // A level the processor lacks would only measure the one below again.
            const std::string in_use = SelectPixelPaths(host, level.switched_off);
            if (in_use.substr(in_use.rfind(' ') + 1) != level.name) continue;
            const std::string name = std::string(c.name) + "/" + level.name;
            const int64_t bytes = c.pixels * 4;
            const auto run = [&c, host, level, name, bytes](benchmark::State& state) {
                SelectPixelPaths(host, level.switched_off);
                Measure(state, name, c.pixels, c.goal, c.run,
                        c.fill_baseline ? MemsetOf(bytes) : MemcpyOf(bytes));
            };
            benchmark::RegisterBenchmark(name.c_str(), run)->UseManualTime();
        }
    }
    benchmark::RegisterBenchmark("HsvToRgb/call", [](benchmark::State& state) {
        int32_t r, g, b, value = 0;
        for (auto _ : state) {
            HsvToRgb(1100, 510, value, r, g, b);
            benchmark::DoNotOptimize(r);
            benchmark::DoNotOptimize(g);
            benchmark::DoNotOptimize(b);
            value = (value + 1) & 511;
        }
    });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    PrintSummary();
    benchmark::Shutdown();
    return 0;
}
