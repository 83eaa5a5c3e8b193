#include "app/win32_window.h"

#include <new>

Window* creating_window = nullptr;

namespace {

// Handles are ordered by their low 32 bits: a window handle carries no more
// than that even in a 64-bit process.
uint32_t KeyOf(HWND hwnd) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd)); }

// The link that holds `hwnd`'s node, or the null link where it would hang.
RegistryNode** FindLink(RegistryNode** link, HWND hwnd) {
    const uint32_t key = KeyOf(hwnd);
    while (*link != nullptr && KeyOf((*link)->key) != key) {
        link = key < KeyOf((*link)->key) ? &(*link)->left : &(*link)->right;
    }
    return link;
}

// Releases the registry lock on every path out of a tree operation.
class LockHolder {
public:
    explicit LockHolder(CRITICAL_SECTION& lock) : lock_(lock) { EnterCriticalSection(&lock_); }
    ~LockHolder() { LeaveCriticalSection(&lock_); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

private:
    CRITICAL_SECTION& lock_;
};

}  // namespace

LRESULT Window::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_DESTROY:
        hwnd = nullptr;
        PostQuitMessage(static_cast<int>(wparam));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
}

BOOL Window::dialog_message(UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_CLOSE:
        EndDialog(hwnd, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) SendMessageA(hwnd, WM_CLOSE, 0, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

Window::~Window() {
    if (hwnd != nullptr) DestroyWindow(hwnd);
    // A stale pointer here would hand a later unknown handle to freed memory.
    if (creating_window == this) creating_window = nullptr;
}

bool Window::create(HINSTANCE instance_, HWND parent_, const char* class_name_, int32_t x,
                    int32_t y, int32_t width, int32_t height, const char* title, DWORD style,
                    DWORD ex_style, HMENU menu, HICON icon) {
    if (hwnd != nullptr) DestroyWindow(hwnd);
    instance = instance_;
    parent = parent_;
    class_name = class_name_ != nullptr ? class_name_ : "WindowClass";
    if (!register_class()) return false;

    // The requested size is the client area; frame, caption and menu add to it.
    RECT rect = {x, y, x + width, y + height};
    AdjustWindowRectEx(&rect, style, menu != nullptr, ex_style);
    creating_window = this;
    HWND created = CreateWindowExA(ex_style, class_name, title, style, rect.left, rect.top,
                                   rect.right - rect.left, rect.bottom - rect.top, parent, menu,
                                   instance, nullptr);
    hwnd = created;
    if (created == nullptr) return false;
    if (icon != nullptr) {
        SendMessageA(created, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageA(created, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    return true;
}

bool Window::register_class() {
    WNDCLASSA window_class = {};
    window_class.style = CS_VREDRAW | CS_HREDRAW;
    window_class.lpfnWndProc = window_procedure;
    window_class.cbWndExtra = 4;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    window_class.lpszClassName = class_name;
    return RegisterClassA(&window_class) != 0;
}

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    WindowRegistry& registry = global_registry();
    Window* window = registry.find(hwnd);
    if (window == nullptr) {
        // A handle not seen yet is the window that create() is making right now.
        window = creating_window;
        if (window == nullptr || !registry.add(hwnd, window)) {
            return DefWindowProcA(hwnd, message, wparam, lparam);
        }
        window->hwnd = hwnd;
    }
    const LRESULT result = window->handle_message(message, wparam, lparam);
    if (message == WM_NCDESTROY) registry.remove(hwnd);
    return result;
}

void KeepOnTop(HWND window) {
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

WindowRegistry::WindowRegistry() { InitializeCriticalSection(&lock); }

WindowRegistry::~WindowRegistry() {
    free_all();
    delete[] nodes;
    DeleteCriticalSection(&lock);
}

Window* WindowRegistry::find(HWND hwnd) {
    LockHolder hold(lock);
    RegistryNode* node = *FindLink(&root, hwnd);
    return node != nullptr ? node->window : nullptr;
}

bool WindowRegistry::add(HWND hwnd, Window* window) {
    if (hwnd == nullptr || window == nullptr) return false;
    LockHolder hold(lock);
    RegistryNode** link = FindLink(&root, hwnd);
    if (*link != nullptr) return false;

    uint32_t slot = node_count;
    while (slot > 0 && nodes[slot - 1] != nullptr) --slot;
    if (slot == 0) {
        // No free slot: grow by exactly one.
        RegistryNode** grown = new (std::nothrow) RegistryNode*[node_count + 1];
        if (grown == nullptr) return false;
        for (uint32_t i = 0; i < node_count; ++i) grown[i] = nodes[i];
        grown[node_count] = nullptr;
        delete[] nodes;
        nodes = grown;
        slot = ++node_count;
    }
    RegistryNode* node = new (std::nothrow) RegistryNode{hwnd, window, nullptr, nullptr};
    if (node == nullptr) return false;
    nodes[slot - 1] = node;
    *link = node;
    return true;
}

int WindowRegistry::remove(HWND hwnd) {
    RegistryNode* node;
    {
        LockHolder hold(lock);
        RegistryNode** link = FindLink(&root, hwnd);
        node = *link;
        if (node == nullptr) return -1;

        RegistryNode* replacement = node->right;
        if (node->left != nullptr) {
            // The in-order predecessor: the rightmost node of the left subtree.
            RegistryNode** predecessor_link = &node->left;
            while ((*predecessor_link)->right != nullptr) predecessor_link = &(*predecessor_link)->right;
            replacement = *predecessor_link;
            *predecessor_link = replacement->left;
            replacement->left = node->left;
            replacement->right = node->right;
        }
        for (uint32_t i = 0; i < node_count; ++i) {
            if (nodes[i] == node) nodes[i] = nullptr;
        }
        *link = replacement;
    }
    delete node;
    return 0;
}

void WindowRegistry::free_all() {
    LockHolder hold(lock);
    for (uint32_t i = 0; i < node_count; ++i) {
        delete nodes[i];
        nodes[i] = nullptr;
    }
    root = nullptr;
}

WindowRegistry& global_registry() {
    // Made on first use; the run-time destroys it at process exit, after WinMain.
    static WindowRegistry registry;
    return registry;
}
