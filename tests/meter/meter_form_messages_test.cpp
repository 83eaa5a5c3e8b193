#include <gtest/gtest.h>

#include <vector>

#include "raster/win32_dib_surface.h"
#include "tests/meter/meter_form_fixture.h"

namespace {

// Everything a message may change, as bytes, so "nothing changed" is one comparison.
std::string StateBytes(const MeterForm& f) {
    std::string s;
    auto add = [&s](const void* p, size_t n) { s.append(static_cast<const char*>(p), n); };
    add(f.target_usage, sizeof f.target_usage);
    add(f.shown_usage, sizeof f.shown_usage);
    add(f.usage_delta, sizeof f.usage_delta);
    add(f.usage_start, sizeof f.usage_start);
    add(f.usage_start_time, sizeof f.usage_start_time);
    add(f.value_changed, sizeof f.value_changed);
    add(&f.memory_changed, sizeof f.memory_changed);
    add(&f.available_memory, sizeof f.available_memory);
    add(&f.memory_load, sizeof f.memory_load);
    add(&f.first_frame, sizeof f.first_frame);
    for (const Surface* surface : {f.content, f.previous_frame, f.text_layer}) {
        for (uint32_t p : Pixels(*surface)) add(&p, sizeof p);
    }
    for (uint32_t p : Pixels(*f.back_buffer)) add(&p, sizeof p);
    return s;
}

TEST_F(MeterFormTest, CpuUpdateStartsATransitionPerElementForShownProcessorsOnly) {
    MeterForm& f = Make(4);
    f.handle_message(Frame());
    f.shown_usage[1] = 10.0;
    const uint32_t untouched = f.usage_start_time[2];
    FakeSystem::now = 7000;
    const std::string before = StateBytes(f);
    EXPECT_EQ(f.handle_message(CpuUpdate(Cpu(40, 90) + Cpu(32, 90) + Cpu(4, 90) + Cpu(-1, 90))), "");
    EXPECT_TRUE(StateBytes(f) == before);

    f.handle_message(CpuUpdate(Cpu(0, 30) + Cpu(40, 90) + Cpu(1, 70)));
    EXPECT_EQ(f.target_usage[0], 30.0);
    EXPECT_EQ(f.target_usage[1], 70.0);
    EXPECT_EQ(f.usage_start[1], 10.0);
    EXPECT_EQ(f.usage_delta[1], 60.0);
    EXPECT_EQ(f.usage_start_time[1], 7000u);
    EXPECT_EQ(f.usage_start_time[2], untouched);
}

TEST_F(MeterFormTest, CommandsAreMatchedExactlyAndOthersChangeNothing) {
    MeterForm& f = Make(2);
    f.handle_message(CpuUpdate(Cpu(0, 100)));
    FakeSystem::now = 1500;
    f.handle_message(Frame());
    FakeSystem::now = 1800;  // any update or drawing would now change the state
    const std::string before = StateBytes(f);
    for (const char* text :
         {"<MSG><COMMAND>MEASURE_HIGH</COMMAND><Threshold>60.0</Threshold></MSG>",
          "<MSG><COMMAND> DRAW_FRAME</COMMAND></MSG>", "<MSG><COMMAND>draw_frame</COMMAND></MSG>",
          "<MSG><COMMAND>UPDATE_FRAME </COMMAND></MSG>", "<MSG><COMMAND></COMMAND></MSG>",
          "<MSG>DRAW_FRAME</MSG>", "<COMMAND>DRAW_FRAME</COMMAND>", ""}) {
        EXPECT_EQ(f.handle_message(text), "");
        EXPECT_TRUE(StateBytes(f) == before) << text;
    }
    // A message without a command after one with a command is no repeat of it.
    FakeSystem::now = 500;
    MeterForm once(2);
    once.apply_settings("");
    once.handle_message(CpuUpdate(Cpu(0, 100)));
    FakeSystem::now = 1500;
    once.handle_message(Frame());
    FakeSystem::now = 1800;
    f.handle_message(std::string(kDrawFrame) + "<MSG>DRAW_FRAME</MSG>");
    once.handle_message(kDrawFrame);
    EXPECT_TRUE(StateBytes(f) == StateBytes(once));
}

TEST_F(MeterFormTest, UpdateFrameWithoutDrawFrameDrawsNothing) {
    MeterForm& f = Make(2);
    const auto content = Pixels(*f.content), back = Pixels(*f.back_buffer);
    const auto text = Pixels(*f.text_layer);
    f.handle_message(CpuUpdate(Cpu(0, 60)));
    FakeSystem::now += 500;
    f.handle_message(kUpdateFrame);
    EXPECT_GT(f.shown_usage[0], 40.0);
    EXPECT_EQ(f.memory_load, 0.25);
    EXPECT_TRUE(f.first_frame);
    EXPECT_TRUE(Pixels(*f.content) == content && Pixels(*f.back_buffer) == back &&
                Pixels(*f.text_layer) == text);
}

TEST_F(MeterFormTest, TransitionFollowsTheSineAndRestartsFromTheShownValue) {
    MeterForm& f = Make(1);
    f.shown_usage[0] = 20.0;
    FakeSystem::now = 10000;
    f.handle_message(CpuUpdate(Cpu(0, 80)));
    const double swing = 62.426406871192853;  // 20 + 60 sin(pi / 4)
    const struct {
        uint32_t elapsed;
        double shown;
    } steps[] = {{0, 20.0}, {500, swing}, {1000, 80.0}, {1500, swing}, {2000, 20.0}};
    for (const auto& step : steps) {
        FakeSystem::now = 10000 + step.elapsed;
        f.handle_message(kUpdateFrame);
        EXPECT_NEAR(f.shown_usage[0], step.shown, 1e-5) << step.elapsed;
    }
    // Two samples in one message, then the frame at the same moment: no jump.
    const double shown = f.shown_usage[0];
    f.handle_message(CpuUpdate(Cpu(0, 90) + Cpu(0, 10)) + kUpdateFrame);
    EXPECT_EQ(f.shown_usage[0], shown);
    EXPECT_EQ(f.usage_start[0], shown);
    EXPECT_EQ(f.usage_delta[0], 10.0 - shown);

    FakeSystem::now = 0xFFFFFF00u;
    f.handle_message(CpuUpdate(Cpu(0, 80)));
    FakeSystem::now += 1000;  // across the clock's wrap
    f.handle_message(kUpdateFrame);
    EXPECT_NEAR(f.shown_usage[0], 80.0, 1e-3);
}

TEST_F(MeterFormTest, FirstUpdateMarksEverythingChangedThenOnlyWhatMoved) {
    MeterForm& f = Make(3);
    f.handle_message(kUpdateFrame);
    EXPECT_TRUE(f.value_changed[0] && f.value_changed[1] && f.value_changed[2]);
    EXPECT_TRUE(f.memory_changed);
    f.handle_message(kDrawFrame);
    EXPECT_FALSE(f.first_frame);

    f.handle_message(CpuUpdate(Cpu(1, 40)));
    FakeSystem::now += 40;
    f.handle_message(kUpdateFrame);
    EXPECT_FALSE(f.value_changed[0]);
    EXPECT_TRUE(f.value_changed[1]);
    EXPECT_FALSE(f.value_changed[2]);
    EXPECT_FALSE(f.memory_changed);
}

TEST_F(MeterFormTest, PrintedRevisionMovesWithThePrintedTextsOnly) {
    MeterForm& f = Make(2);
    Hold(f, 0, 30);
    f.handle_message(Frame());
    uint32_t revision = f.printed_revision();
    const auto moved = [&] {
        const bool changed = f.printed_revision() != revision;
        revision = f.printed_revision();
        return changed;
    };
    // Frames that print the same texts leave it, though the shading moves.
    for (int frame = 0; frame < 3; ++frame) {
        FakeSystem::now += 33;
        f.handle_message(Frame());
    }
    EXPECT_FALSE(moved());
    Hold(f, 1, 55);
    FakeSystem::now += 33;
    f.handle_message(Frame());
    EXPECT_TRUE(moved());
    // The free memory a quarter second later, printed otherwise.
    FakeSystem::available -= uint64_t{1} << 30;
    FakeSystem::now += 300;
    f.handle_message(Frame());
    EXPECT_TRUE(moved());
    // Not yet printed (a new scale prints everything anew), the value moves with the usage.
    f.set_dpi(144);
    EXPECT_TRUE(moved());
    Hold(f, 0, 31);
    FakeSystem::now += 33;
    f.handle_message(kUpdateFrame);
    EXPECT_TRUE(moved());
}

TEST_F(MeterFormTest, MemoryFigures) {
    MeterForm& f = Make(1);
    const uint64_t gib = uint64_t{1} << 30;
    FakeSystem::available = gib + gib / 2;  // "1.50GB"
    f.handle_message(Frame());
    EXPECT_EQ(f.memory_load, 0.625);
    // Each reading a quarter of a second after the one before.
    const auto next_reading = [&f] {
        FakeSystem::now += 250;
        f.handle_message(kUpdateFrame);
    };
    FakeSystem::available -= uint64_t{1} << 20;  // still "1.50GB"
    next_reading();
    EXPECT_FALSE(f.memory_changed);
    EXPECT_EQ(f.available_memory, FakeSystem::available);
    FakeSystem::available = gib + gib * 49 / 100;  // "1.49GB"
    next_reading();
    EXPECT_TRUE(f.memory_changed);

    FakeSystem::available = FakeSystem::total + 1;
    next_reading();
    EXPECT_EQ(f.memory_load, 1.0);
    EXPECT_EQ(f.available_memory, 0u);

    // Without a usable reading the last figures stay.
    for (bool ok : {false, true}) {
        FakeSystem::memory_ok = ok;
        FakeSystem::total = 0;
        next_reading();
        EXPECT_EQ(f.memory_load, 1.0);
        EXPECT_EQ(f.available_memory, 0u);
        EXPECT_FALSE(f.memory_changed);
    }
}

TEST_F(MeterFormTest, MemoryIsReadFourTimesASecondAndAtOnceAfterARest) {
    MeterForm& f = Make(1);
    f.handle_message(Frame());
    // Frames of 33 ms over a second while the free amount keeps changing (by more
    // than its printed hundredths every frame): the status is read at the first
    // frame a quarter of a second after the reading before, never sooner.
    std::vector<uint32_t> readings = {0};
    for (uint32_t t = 33; t < 1000; t += 33) {
        FakeSystem::now += 33;
        FakeSystem::available -= uint64_t{1} << 24;
        f.handle_message(Frame());
        if (f.memory_changed) {
            EXPECT_EQ(f.available_memory, FakeSystem::available);
            readings.push_back(t);
        }
    }
    EXPECT_EQ(readings, (std::vector<uint32_t>{0, 264, 528, 792}));
    // After a rest of frames (auto-hidden, folded, locked), the first frame shows
    // the amount as it is now.
    FakeSystem::now += 5000;
    FakeSystem::available = uint64_t{2} << 30;
    f.handle_message(Frame());
    EXPECT_TRUE(f.memory_changed);
    EXPECT_EQ(f.available_memory, FakeSystem::available);
}

TEST_F(MeterFormTest, ProcessorCountComesFromTheSystemUnlessGiven) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    EXPECT_EQ(Make(0).processor_count, ClampProcessorCount(info.dwNumberOfProcessors));
    EXPECT_EQ(Make(40).processor_count, 32u);
}

}  // namespace
