// The drawable content of a window: it owns the back buffer that is copied to the
// window and the surface its frames are drawn into, and takes commands as text.
#pragma once

#include <windows.h>

#include <string>

#include "raster/pixel_primitives.h"

class Surface;
class DibSurface;

class Form {
public:
    // Turns off GDI's batching for the calling thread, the one that draws: a
    // batched copy could still be reading the back buffer while the next frame
    // writes it directly, and one flush per frame would cost a call every frame.
    Form();
    virtual void render() {}
    virtual void present() {}
    virtual std::string handle_message(const std::string& text);
    virtual void apply_settings(std::string text);
    virtual std::string settings_text();
    virtual ~Form();

    // Copies the back buffer, at its own size, onto `dc` at (0, 0). The copy is
    // done when this returns: the thread's GDI calls are not batched (see the
    // constructor), so the next frame may write the back buffer at once.
    void paint_to(HDC dc);
    // The same for one area of it, at its own place.
    void paint_to(HDC dc, FillArea area);
    void copy_content_to_back_buffer();

    // Where present copies frames to: the window's kept DC while the window is
    // shown, null while it is hidden or gone (present then copies nothing).
    HDC target_dc = nullptr;
    DibSurface* back_buffer = nullptr;
    Surface* content = nullptr;

private:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
};
