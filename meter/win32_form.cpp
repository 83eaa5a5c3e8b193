#include "meter/win32_form.h"

#include "raster/pixel_primitives.h"
#include "raster/win32_dib_surface.h"

Form::Form() { GdiSetBatchLimit(1); }

std::string Form::handle_message(const std::string&) { return std::string(); }

void Form::apply_settings(std::string) {}

std::string Form::settings_text() { return std::string(); }

Form::~Form() {
    delete content;
    delete back_buffer;
}

void Form::paint_to(HDC dc) {
    if (back_buffer == nullptr) return;
    paint_to(dc, FillArea{0, 0, back_buffer->width, back_buffer->height});
}

void Form::paint_to(HDC dc, FillArea area) {
    if (back_buffer == nullptr || !back_buffer->has_pixels()) return;
    if (!ClipFillArea(back_buffer->width, back_buffer->height, area)) return;
    BitBlt(dc, area.x, area.y, area.width, area.height, back_buffer->dc, area.x, area.y, SRCCOPY);
}

void Form::copy_content_to_back_buffer() {
    if (content == nullptr || back_buffer == nullptr) return;
    CopyPixels(back_buffer->pixels, content->pixels, content->width, content->height,
               back_buffer->width, back_buffer->height,
               BlitRect{content->width, content->height, 0, 0, 0, 0});
}
