// The drawable content of a window: it owns the back buffer that is copied to the
// window and the surface its frames are drawn into, and takes commands as text.
#pragma once

#include <windows.h>

#include <string>

class Surface;
class DibSurface;

class Form {
public:
    Form() = default;
    virtual void render() {}
    virtual void present() {}
    virtual std::string handle_message(std::string text);
    virtual void apply_settings(std::string text);
    virtual std::string settings_text();
    virtual ~Form();

    // Copies the back buffer, at its own size, onto `dc` at (0, 0), and lets the
    // system finish with it before the caller draws the next frame into it.
    void paint_to(HDC dc);
    void copy_content_to_back_buffer();

    HWND target_window = nullptr;
    DibSurface* back_buffer = nullptr;
    Surface* content = nullptr;

private:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
};
