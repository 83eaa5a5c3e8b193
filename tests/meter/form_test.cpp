#include "meter/win32_form.h"

#include <gtest/gtest.h>

#include "meter/surface_blocks.h"
#include "raster/win32_dib_surface.h"
#include "tests/meter/meter_form_fixture.h"

namespace {

TEST(Form, BaseAnswersWithEmptyTextsAndDrawsNothing) {
    Form form;
    EXPECT_EQ(form.handle_message(""), "");
    EXPECT_EQ(form.handle_message("<MSG><COMMAND>DRAW_FRAME</COMMAND></MSG>"), "");
    form.apply_settings("<MSG00>x</MSG00>");
    EXPECT_EQ(form.settings_text(), "");
    form.copy_content_to_back_buffer();  // no surfaces yet
    form.paint_to(nullptr);
}

TEST(Form, PaintAndContentCopiesUseTheSurfacesOwnSizes) {
    Form form;
    form.content = new Surface(240, 96);
    FillSurface(*form.content, 0xFF102030);
    *form.content->pixel_at(0, 0) = 0xFF0000FF;
    form.back_buffer = new DibSurface(240, 96);
    form.copy_content_to_back_buffer();
    EXPECT_TRUE(Pixels(*form.back_buffer) == Pixels(*form.content));

    // Larger and smaller windows: exactly the back buffer's 240 x 96 arrive, top row on top.
    for (int32_t width : {300, 100}) {
        DibSurface window(width, width * 2 / 5);
        FillSurface(window, 0xFFFFFFFF);
        form.paint_to(window.dc);
        GdiFlush();
        EXPECT_EQ(PixelAt(window, 0, 0) & 0xFFFFFF, 0x0000FFu);
        EXPECT_EQ(PixelAt(window, 99, 39) & 0xFFFFFF, 0x102030u);
        EXPECT_EQ(PixelAt(window, 240, 95), width > 240 ? 0xFFFFFFFFu : 0xDEADBEEFu);
        EXPECT_EQ(PixelAt(window, 239, 96), width > 240 ? 0xFFFFFFFFu : 0xDEADBEEFu);
    }

    form.back_buffer->create(100, 40);
    form.copy_content_to_back_buffer();
    EXPECT_EQ(PixelAt(*form.back_buffer, 99, 39), 0xFF102030u);
}

}  // namespace
