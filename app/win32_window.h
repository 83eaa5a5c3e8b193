// The base of every window object of the program, and the registry that maps
// window handles to those objects for the one shared window procedure.
#pragma once

#include <windows.h>

#include <cstdint>

class Window {
public:
    Window() = default;
    virtual LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);
    virtual BOOL dialog_message(UINT message, WPARAM wparam, LPARAM lparam);
    virtual ~Window();

    bool create(HINSTANCE instance, HWND parent, const char* class_name, int32_t x, int32_t y,
                int32_t width, int32_t height, const char* title, DWORD style, DWORD ex_style,
                HMENU menu, HICON icon);
    bool register_class();

    const char* class_name = nullptr;
    HINSTANCE instance = nullptr;
    HWND hwnd = nullptr;
    HWND parent = nullptr;

private:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
};

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// Puts `window` back on top of the others, where and as large as it is,
// without activating it.
void KeepOnTop(HWND window);

// The window whose create() last reached CreateWindowExA; its first messages
// arrive before the handle is known.
extern Window* creating_window;

struct RegistryNode {
    HWND key;
    Window* window;
    RegistryNode* left;
    RegistryNode* right;
};

class WindowRegistry {
public:
    WindowRegistry();
    ~WindowRegistry();
    Window* find(HWND hwnd);
    bool add(HWND hwnd, Window* window);
    int remove(HWND hwnd);
    void free_all();

    CRITICAL_SECTION lock;
    RegistryNode* root = nullptr;
    RegistryNode** nodes = nullptr;
    uint32_t node_count = 0;

private:
    WindowRegistry(const WindowRegistry&) = delete;
    WindowRegistry& operator=(const WindowRegistry&) = delete;
};

WindowRegistry& global_registry();
