#include <gtest/gtest.h>

#include "meter/meter_values.h"
#include "meter/surface_blocks.h"
#include "raster/pixel_primitives.h"
#include "raster/win32_dib_surface.h"
#include "raster/win32_glyph_rasterizer.h"
#include "tests/meter/meter_form_fixture.h"
#include "tests/support/png_writer.h"
#include "text/string_helpers.h"

namespace {

// At the fixture's clock (500 ms) the processor bars show their strip from column
// 0, the memory bar, half a second apart, from column 84.
constexpr int32_t kProcessorOffset = 0;
constexpr int32_t kMemoryOffset = 84;

// Pixels of the slot at (x, y) that differ from `length` pixels of the strip seen
// from `offset`, followed by the track.
int BarMismatches(const MeterForm& f, int32_t x, int32_t y, int32_t length, int32_t strip,
                  int32_t offset, const MeterScale& scale = kUnscaled) {
    int mismatches = 0;
    const int32_t top = StripRow(strip, scale), track = StripRow(kStripTrack, scale);
    for (int32_t r = 0; r < scale.row_height; ++r) {
        for (int32_t i = 0; i < scale.slot_width; ++i) {
            const uint32_t expected = i < length ? PixelAt(*f.bar_atlas, offset + i, top + r)
                                                 : PixelAt(*f.bar_atlas, i, track + r);
            mismatches += PixelAt(*f.content, x + i, y + r) != expected;
        }
    }
    return mismatches;
}

LOGFONTA FontOf(HFONT font) {
    LOGFONTA lf = {};
    GetObjectA(font, sizeof lf, &lf);
    return lf;
}

// The pixels of a block of a surface, row by row.
std::vector<uint32_t> Block(const Surface& s, int32_t x, int32_t y, int32_t width, int32_t height) {
    std::vector<uint32_t> block;
    for (int32_t r = y; r < y + height; ++r) {
        for (int32_t c = x; c < x + width; ++c) block.push_back(PixelAt(s, c, r));
    }
    return block;
}

// The back buffer as the whole text layer laid over the content would make it.
std::vector<uint32_t> ContentWithTexts(const MeterForm& f) {
    std::vector<uint32_t> expected = Pixels(*f.content);
    const int32_t w = f.content->width, h = f.content->height;
    BlendBySourceAlpha(expected.data(), f.text_layer->pixels, w, h, w, h, BlitRect{w, h, 0, 0, 0, 0});
    return expected;
}

TEST_F(MeterFormTest, BarLengthAndColourFollowTheShownUsageAndTheMemoryLoad) {
    MeterForm& f = Make(1);
    for (int32_t strip : {kStripLow, kStripMemory, kStripMiddle, kStripHigh}) {
        EXPECT_NE(PixelAt(*f.bar_atlas, 30, strip + 6), PixelAt(*f.bar_atlas, 30, kStripTrack + 6));
        if (strip != kStripMiddle) {
            EXPECT_NE(PixelAt(*f.bar_atlas, 30, strip + 6), PixelAt(*f.bar_atlas, 30, kStripMiddle + 6));
        }
    }
    const struct {
        bool memory;
        double value;
        int32_t length, strip;
    } cases[] = {{false, 50.0, 60, kStripLow},    {false, 50.1, 60, kStripMiddle},
                 {false, 80.0, 96, kStripMiddle}, {false, 80.5, 96, kStripHigh},
                 {false, 100.0, 120, kStripHigh}, {false, 0.4, 0, kStripLow},
                 {false, 99.9, 119, kStripHigh},  {true, 0.5, 60, kStripMemory},
                 {true, 0.8, 96, kStripMiddle},   {true, 0.9, 108, kStripHigh}};
    for (const auto& c : cases) {
        (c.memory ? f.memory_load : f.shown_usage[0]) = c.value;
        f.render();
        EXPECT_EQ(c.memory ? BarMismatches(f, 120, 12, c.length, c.strip, kMemoryOffset)
                           : BarMismatches(f, 0, 0, c.length, c.strip, kProcessorOffset),
                  0)
            << c.value;
    }
}

TEST_F(MeterFormTest, SlotsLandWhereTheLayoutPutsThemAndTheRestIsPanel) {
    for (uint32_t count : {1u, 2u, 3u, 9u, 32u}) {
        MeterForm& f = Make(count);
        FakeSystem::available = FakeSystem::total;  // no memory bar either
        f.handle_message(Frame());
        for (const Surface* s : {f.content, f.previous_frame, f.text_layer}) {
            EXPECT_EQ(s->height, MeterSurfaceHeight(count));
        }
        EXPECT_EQ(f.back_buffer->height, MeterSurfaceHeight(count));
        int mismatches = 0;
        for (int32_t py = 0; py < f.content->height; ++py) {
            for (int32_t px = 0; px < 240; ++px) {
                SlotPlace slot{-1, -1, 0};
                for (uint32_t k = 0; k <= count; ++k) {
                    const SlotPlace s = k < count ? ProcessorSlot(k) : SlotPlace{120, 12, 240};
                    if (px >= s.x && px < s.x + 120 && py >= s.y && py < s.y + 12) slot = s;
                }
                const uint32_t expected =
                    slot.x < 0 ? kPanelColour
                               : PixelAt(*f.bar_atlas, px - slot.x, kStripTrack + py - slot.y);
                mismatches += PixelAt(*f.content, px, py) != expected;
            }
        }
        EXPECT_EQ(mismatches, 0) << count;
    }
}

TEST_F(MeterFormTest, OnlyFramesAfterTheFirstBlendThePreviousPictureOver) {
    MeterForm& f = Make(2);
    f.handle_message(CpuUpdate(Cpu(0, 100)));
    FakeSystem::now = 1500;
    f.handle_message(Frame());
    const std::vector<uint32_t> first = Pixels(*f.content);
    f.render();
    EXPECT_TRUE(Pixels(*f.content) == first);

    Hold(f, 0, 0.0);  // the bar drops at once and leaves a fading trail
    FakeSystem::now = 1533;
    f.handle_message(Frame());
    const std::vector<uint32_t> blended = Pixels(*f.content);
    f.render();
    BlendByConstantAlpha(f.content->pixels, first.data(), 240, 96, 240, 96,
                         BlitRect{240, 96, 0, 0, 0, 0}, 160);
    EXPECT_TRUE(Pixels(*f.content) == blended);
    EXPECT_NE(blended[60 + 6 * 240], PixelAt(*f.bar_atlas, 60, kStripTrack + 6));
}

TEST_F(MeterFormTest, TextsAreDrawnOnceInEveryCellAndLaidOverTheContent) {
    MeterForm& f = Make(8);
    f.handle_message(Frame());
    // Pixels with some coverage in a cell's row that are not of the cell's colour.
    const auto off_colour = [&f](int32_t x, int32_t y, uint32_t colour) {
        int count = 0;
        for (int32_t i = 0; i < 120 * 12; ++i) {
            const uint32_t p = PixelAt(*f.text_layer, x + i % 120, y + i / 120);
            count += (p >> 24) != 0 && (p & 0xFFFFFF) != colour;
        }
        return count;
    };
    for (uint32_t k = 0; k < 8; ++k) {
        const SlotPlace s = ProcessorSlot(k);
        EXPECT_GT(MaxAlpha(*f.text_layer, s.right - 120, s.y, 120, 12), 0u) << k;
        EXPECT_EQ(off_colour(s.right - 120, s.y, 0xFFFFFF), 0) << k;
    }
    EXPECT_GT(MaxAlpha(*f.text_layer, 120, 0, 40, 12), 0u);  // caption
    EXPECT_GT(MaxAlpha(*f.text_layer, 200, 0, 40, 12), 0u);  // "3.00GB"
    EXPECT_EQ(off_colour(120, 0, 0), 0);
    EXPECT_TRUE(Pixels(*f.back_buffer) == ContentWithTexts(f));

    // Texts grow and shrink ("100%" after "  0%", later " 99%"); the picture stays
    // what the whole layer laid over would give.
    f.handle_message(CpuUpdate(Cpu(0, 42) + Cpu(3, 100)));
    for (uint32_t now : {600u, 1500u, 2600u}) {
        FakeSystem::now = now;
        FakeSystem::available -= uint64_t{1} << 27;
        if (now == 2600) f.handle_message(CpuUpdate(Cpu(3, 0) + Cpu(2, 100)));
        f.handle_message(Frame());
        EXPECT_TRUE(Pixels(*f.back_buffer) == ContentWithTexts(f)) << now;
    }
}

TEST_F(MeterFormTest, TheBackBufferIsTheContentWithItsTextsAtEveryScale) {
    // Frames compose the back buffer anew only in the slots and where texts
    // changed; it must still be all of the text layer over all of the content,
    // at every scale and after a change of scale, the memory text growing and
    // shrinking, and with one processor, whose text's block reaches below its slot.
    for (uint32_t count : {1u, 3u}) {
        MeterForm& f = Make(count);
        for (uint32_t dpi : {96u, 120u, 144u, 192u}) {
            f.set_dpi(dpi);
            f.handle_message(CpuUpdate(Cpu(0, 100) + Cpu(static_cast<int>(count) - 1, 7)));
            for (int i = 0; i < 6; ++i) {
                FakeSystem::now += 400;
                FakeSystem::available = i % 2 ? uint64_t{3} << 30 : uint64_t{900} << 20;
                f.handle_message(Frame());
                EXPECT_TRUE(Pixels(*f.back_buffer) == ContentWithTexts(f))
                    << count << " processors, " << dpi << " DPI, frame " << i;
            }
        }
    }
}

TEST_F(MeterFormTest, PercentagesEndFourPixelsInsideTheirSlot) {
    MeterForm& f = Make(4);
    Hold(f, 2, 42.0);
    Hold(f, 3, 42.0);
    f.handle_message(Frame());
    for (int32_t right : {120, 240}) {
        EXPECT_EQ(MaxAlpha(*f.text_layer, right - 4, 24, 4, 12), 0u) << right;
        EXPECT_GT(MaxAlpha(*f.text_layer, right - 12, 24, 8, 12), 0u) << right;
        EXPECT_EQ(MaxAlpha(*f.text_layer, right - 120, 24, 40, 12), 0u) << right;
    }
}

TEST_F(MeterFormTest, TextsWhosePrintedFormStaysAreNotRedrawn) {
    MeterForm& f = Make(2);
    f.handle_message(CpuUpdate(Cpu(0, 30)));
    FakeSystem::now = 1400;
    f.handle_message(Frame());
    // Marks in the cleared part of each cell show whether the cell was redrawn.
    const uint32_t mark = 0x12345678;
    for (auto [x, y] : {std::pair{2, 2}, {2, 14}, {122, 2}}) *f.text_layer->pixel_at(x, y) = mark;

    FakeSystem::now = 1410;  // processor 0 climbs from 29.6 to 29.7: it still prints 29
    f.handle_message(Frame());
    EXPECT_TRUE(f.value_changed[0]);
    EXPECT_EQ(PixelAt(*f.text_layer, 2, 2), mark);
    EXPECT_EQ(PixelAt(*f.text_layer, 2, 14), mark);
    EXPECT_EQ(PixelAt(*f.text_layer, 122, 2), mark);

    f.handle_message(CpuUpdate(Cpu(1, 70)));
    FakeSystem::now = 2010;
    FakeSystem::available -= uint64_t{1} << 28;
    f.handle_message(Frame());
    EXPECT_EQ(PixelAt(*f.text_layer, 2, 2), 0u);
    EXPECT_EQ(PixelAt(*f.text_layer, 2, 14), 0u);
    EXPECT_NE(PixelAt(*f.text_layer, 122, 2), mark);
}

TEST_F(MeterFormTest, SettingsAndFont) {
    MeterForm provisional(1);
    EXPECT_EQ(FontOf(provisional.font).lfWeight, 1000);

    MeterForm& f = Make(1);
    EXPECT_EQ(f.settings_text(),
              "<MSG00>MS UI Gothic</MSG00><MSG01>\x83\x81\x83\x82\x83\x8A\x8E\x63\x82\xE8</MSG01>");
    const LOGFONTA lf = FontOf(f.font);
    EXPECT_EQ(lf.lfHeight, 12);
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(lf.lfPitchAndFamily, FIXED_PITCH | FF_MODERN);
    EXPECT_STREQ(lf.lfFaceName, "MS UI Gothic");

    const std::string saved = "<MSG00>IPAGothic</MSG00><MSG01>Free</MSG01>";
    f.apply_settings("<X>12</X>" + saved + "<Y>3</Y>");
    EXPECT_EQ(f.settings_text(), saved);
    EXPECT_STREQ(FontOf(f.font).lfFaceName, "IPAGothic");
    f.apply_settings("<MSG01></MSG01><MSG00></MSG00>");
    EXPECT_EQ(f.settings_text(), "<MSG00></MSG00><MSG01></MSG01>");
}

TEST_F(MeterFormTest, TheEnglishDefaultCaptionNeverMeetsTheWidestAmount) {
    MeterForm& f = Make(2);
    f.default_caption = "Free";
    f.apply_settings("");
    EXPECT_EQ(f.memory_caption, "Free");
    // The widest amount there is: every other is shorter.
    FakeSystem::total = FakeSystem::available = ~uint64_t{0};
    EXPECT_EQ(FormatByteSize(FakeSystem::available), "17179869184.00GB");
    // At every usual display scale, the fractional ones too.
    for (uint32_t dpi : {96u, 120u, 144u, 168u, 192u}) {
        SCOPED_TRACE(dpi);
        f.set_dpi(dpi);
        f.handle_message(Frame());
        const MeterScale& scale = f.scale;
        // The caption as it looks drawn alone; beside the amount it must look the same.
        DibSurface alone(scale.width, scale.scratch_height);
        ASSERT_TRUE(alone.has_pixels());
        const TextExtent caption = RasterizeText(alone.pixels, alone.width, alone.height, f.font,
                                                 alone.width, alone.height, 0, f.memory_caption);
        EXPECT_GT(caption.right, 0);
        int differing = 0;
        for (int32_t y = 0; y < scale.row_height; ++y) {
            for (int32_t x = 0; x < caption.right; ++x) {
                differing += PixelAt(*f.text_layer, scale.slot_width + x, y) !=
                             alone.pixels[y * alone.width + x];
            }
        }
        EXPECT_EQ(differing, 0);
        // Nor does the amount reach into the caption's advance.
        const TextExtent amount = RasterizeText(alone.pixels, alone.width, alone.height, f.font,
                                                alone.width, alone.height, 0, "17179869184.00GB");
        EXPECT_LE(scale.slot_width + caption.right, scale.width - amount.right);
    }
}

TEST_F(MeterFormTest, SurfacesWithoutMemoryAreSkipped) {
    MeterForm& f = Make(2);
    f.text_scratch->release();
    f.handle_message(CpuUpdate(Cpu(0, 50)) + Frame());
    EXPECT_EQ(MaxAlpha(*f.text_layer, 0, 0, 240, 96), 0u);
    EXPECT_TRUE(Pixels(*f.back_buffer) == Pixels(*f.content));

    for (Surface* s : {f.content, f.previous_frame, f.text_layer, f.bar_atlas}) s->release();
    f.back_buffer->release();
    f.handle_message(CpuUpdate(Cpu(1, 50)) + Frame() + Frame());
    f.draw_bar_atlas();
    f.paint_to(nullptr);
    EXPECT_FALSE(f.first_frame);
}

TEST_F(MeterFormTest, PresentCopiesTheBackBufferIntoTheWindow) {
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0,
                                  240, 96, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    MeterForm& f = Make(2);
    HDC dc = GetDC(window);
    f.target_dc = dc;
    f.handle_message(CpuUpdate(Cpu(0, 100)));
    FakeSystem::now = 1500;
    f.handle_message(Frame());
    for (auto [x, y] : {std::pair{0, 0}, {60, 6}, {130, 18}, {239, 95}}) {
        const uint32_t p = PixelAt(*f.back_buffer, x, y);
        EXPECT_EQ(GetPixel(dc, x, y), RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF)) << x;
    }
    ReleaseDC(window, dc);
    DestroyWindow(window);
}

// Frames that draw and copy only what changed give, frame by frame, the picture
// of frames that redraw everything, and leave the window holding it; a settled
// slot is not copied again.
TEST_F(MeterFormTest, DrawingOnlyTheChangesGivesThePictureOfDrawingEverything) {
    const uint64_t gib = uint64_t{1} << 30;
    for (uint32_t count : {2u, 9u}) {
        for (uint32_t dpi : {96u, 144u}) {
            SCOPED_TRACE(testing::Message() << count << " processors at " << dpi);
            FakeSystem::now = 500;
            FakeSystem::available = 3 * gib;
            MeterForm& quick = Make(count);
            MeterForm whole(count);
            whole.apply_settings("");
            whole.only_changes = false;
            quick.set_dpi(dpi);
            whole.set_dpi(dpi);
            DibSurface window(quick.back_buffer->width, quick.back_buffer->height);
            ASSERT_TRUE(window.has_pixels());
            int differing_frames = 0, stale_windows = 0;
            for (int frame = 0; frame < 150; ++frame) {
                std::string text;
                // A sample a second, as the samplers send them: up, then down
                // at once (a trail), then steady; the memory moves a step every
                // ten frames.
                if (frame == 0) text = CpuUpdate(Cpu(0, 100) + Cpu(1, 30));
                if (frame == 30) text = CpuUpdate(Cpu(0, 0) + Cpu(1, 85));
                if (frame >= 60 && frame % 30 == 0) text = CpuUpdate(Cpu(0, 0) + Cpu(1, 50));
                if (frame % 10 == 0 && frame < 100) FakeSystem::available = gib * (30 - frame / 5) / 10;
                // Hidden for a few frames: what changed meanwhile is copied later.
                const bool hidden = frame >= 45 && frame < 62;
                quick.target_dc = hidden ? nullptr : window.dc;
                quick.handle_message(text + Frame());
                whole.handle_message(text + Frame());
                differing_frames += Pixels(*quick.back_buffer) != Pixels(*whole.back_buffer);
                if (!hidden) stale_windows += Pixels(window) != Pixels(*quick.back_buffer);
                FakeSystem::now += 33;
            }
            // With the clock standing still nothing moves, not even the shading,
            // until a bar is cut short: the columns it left must be drawn again.
            for (int frame = 0; frame < 30; ++frame) {
                for (MeterForm* f : {&quick, &whole}) {
                    Hold(*f, 1, frame < 20 ? 90.0 : 10.0);
                    f->handle_message(Frame());
                }
                differing_frames += Pixels(*quick.back_buffer) != Pixels(*whole.back_buffer);
                stale_windows += Pixels(window) != Pixels(*quick.back_buffer);
            }
            EXPECT_EQ(differing_frames, 0);
            EXPECT_EQ(stale_windows, 0);
            FakeSystem::now += 33;

            // Processor 0 has shown 0 % for three seconds: its slot has settled,
            // and only the moving bars reach the window.
            const uint32_t marker = 0xFF00FF00;
            FillSurface(window, marker);
            quick.handle_message(Frame());
            const SlotPlace settled = ProcessorSlot(0, quick.scale);
            EXPECT_EQ(Block(window, settled.x, settled.y, quick.scale.slot_width,
                            quick.scale.row_height),
                      std::vector<uint32_t>(quick.scale.slot_width * quick.scale.row_height, marker));
            const SlotPlace memory = MemoryBarSlot(quick.scale);
            EXPECT_EQ(PixelAt(window, memory.x, memory.y), PixelAt(*quick.back_buffer, memory.x, memory.y));
            const std::vector<uint32_t> shown = Pixels(window), drawn = Pixels(*quick.back_buffer);
            int stale = 0;
            for (size_t i = 0; i < shown.size(); ++i) stale += shown[i] != marker && shown[i] != drawn[i];
            EXPECT_EQ(stale, 0);
        }
    }
}

TEST_F(MeterFormTest, AtOneAndAHalfTheAtlasIsDrawnAtItsSizeAndItsCopiesMeetWithoutASeam) {
    MeterForm& f = Make(2);
    f.set_dpi(144);
    ASSERT_EQ(f.bar_atlas->width, 360);
    ASSERT_EQ(f.bar_atlas->height, 180);
    EXPECT_EQ(f.content->width, 360);
    EXPECT_EQ(f.content->height, 144);
    // Each coloured strip, 18 rows, twice side by side: a window sliding across
    // the join sees the first copy continue.
    for (int32_t strip : {kStripLow, kStripMemory, kStripMiddle, kStripHigh}) {
        const int32_t top = strip / 12 * 18;
        int differ = 0;
        for (int32_t r = 0; r < 18; ++r) {
            for (int32_t x = 0; x < 180; ++x) {
                differ += PixelAt(*f.bar_atlas, x, top + r) != PixelAt(*f.bar_atlas, 180 + x, top + r);
            }
        }
        EXPECT_EQ(differ, 0) << strip;
        // The same gradients: brightest at both ends of a copy, as at 96 DPI.
        EXPECT_EQ(PixelAt(*f.bar_atlas, 0, top), PixelAt(*f.bar_atlas, 180, top));
        EXPECT_NE(PixelAt(*f.bar_atlas, 90, top + 9), PixelAt(*f.bar_atlas, 0, top + 9));
    }
    // Drawn frames: processor 0 at 100 % fills its 180-pixel slot, processor 1
    // at 50 % half of its own, one 18-pixel row lower.
    Hold(f, 0, 100.0);
    Hold(f, 1, 50.0);
    f.handle_message(Frame());
    f.handle_message(Frame());
    EXPECT_EQ(BarMismatches(f, 0, 0, 180, kStripHigh, kProcessorOffset, f.scale), 0);
    EXPECT_EQ(BarMismatches(f, 0, 18, 90, kStripLow, kProcessorOffset, f.scale), 0);
}

TEST_F(MeterFormTest, AtTwiceTheScaleANewFreeAmountLeavesNoPixelOfTheOldOne) {
    const uint64_t gib = uint64_t{1} << 30;
    FakeSystem::total = 16 * gib;
    // The memory row (and the bar's row below it) of a meter that only ever showed "9.99GB".
    FakeSystem::available = gib * 999 / 100;
    MeterForm& fresh = Make(2);
    fresh.set_dpi(192);
    fresh.handle_message(Frame());
    const std::vector<uint32_t> expected = Block(*fresh.text_layer, 240, 0, 240, 48);
    EXPECT_GT(MaxAlpha(*fresh.text_layer, 240, 0, 240, 48), 0u);

    // Falling below ten gigabytes, the amount loses a digit: nothing of the
    // wider "10.00GB" may stay beside the narrower text.
    FakeSystem::available = 10 * gib;
    MeterForm& f = Make(2);
    f.set_dpi(192);
    f.handle_message(Frame());
    FakeSystem::available = gib * 999 / 100;
    FakeSystem::now += 250;  // the next reading of the memory
    f.handle_message(Frame());
    EXPECT_TRUE(Block(*f.text_layer, 240, 0, 240, 48) == expected);
}

TEST_F(MeterFormTest, AnotherScaleRebuildsTheFontAtItsRowAndThePercentagesWithIt) {
    MeterForm& f = Make(2);
    Hold(f, 0, 42.0);
    const struct { uint32_t dpi; int32_t row, slot, inset; } scales[] = {
        {120, 15, 150, 5}, {144, 18, 180, 6}, {192, 24, 240, 8}};
    for (const auto& c : scales) {
        SCOPED_TRACE(c.dpi);
        f.set_dpi(c.dpi);
        f.handle_message(Frame());
        const LOGFONTA lf = FontOf(f.font);
        EXPECT_EQ(lf.lfHeight, c.row);
        EXPECT_EQ(lf.lfWeight, FW_NORMAL);
        EXPECT_STREQ(lf.lfFaceName, "MS UI Gothic");
        // The percentage in the text layer is what this font draws, not the last scale's glyphs.
        Surface alone(c.slot, 2 * c.row);
        FillSurface(alone, 0);
        const TextExtent e = RasterizeText(alone.pixels, alone.width, alone.height, f.font,
                                           alone.width, alone.height, 0x00FFFFFF, " 42%",
                                           f.scale.blank_advance, f.scale.wide_blank_advance);
        const int32_t width = e.right - e.left, height = e.bottom - e.top;
        ASSERT_GT(width, 0);
        EXPECT_TRUE(Block(*f.text_layer, c.slot - c.inset - width, 0, width, height) ==
                    Block(alone, 0, 0, width, height));
    }
}

// Leaves pictures of a busy meter in the build directory for a person to look at.
TEST_F(MeterFormTest, PicturesOfABusyMeter) {
    for (uint32_t count : {8u, 11u}) {
        FakeSystem::now = 500;
        MeterForm& f = Make(count);
        FakeSystem::available = (uint64_t{4} << 30) * 35 / 100;
        std::string samples;
        for (uint32_t k = 0; k < count; ++k) samples += Cpu(k, static_cast<int>(k * 97 % 101));
        f.handle_message(CpuUpdate(samples));
        for (int i = 0; i <= 20; ++i) {
            FakeSystem::now = 500 + 33 * i;
            if (i == 18) Hold(f, 1, 5.0);  // a drop, to show the afterglow
            f.handle_message(Frame());
        }
        EXPECT_TRUE(WritePng("meter_" + std::to_string(count) + ".png", f.back_buffer->pixels,
                             240, f.back_buffer->height));
    }
}

}  // namespace
