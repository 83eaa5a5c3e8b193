#include "app/win32_tooltip.h"

#include <cstring>

#include "app/frame_text.h"
#include "measure/processor_info.h"
#include "platform/win32_platform.h"
#include "text/win32_wide_text.h"

namespace {

// Every processor group, a value of headers newer than the oldest Windows the
// program runs on.
constexpr WORD kAllProcessorGroups = 0xFFFF;

uint64_t InstalledMemory() {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    return platform.memory.status(&status) ? status.ullTotalPhys : 0;
}

}  // namespace

// A 32-bit program is told of at most 32 processors; the machine may have more
// (in one group, or in several from Windows 7 on).
uint32_t MachineProcessorCount(uint32_t shown) {
    const Platform::System& system = platform.system;
    uint32_t count = shown;
    if (system.active_processor_count != nullptr) {
        const DWORD all = system.active_processor_count(kAllProcessorGroups);
        if (all > count) count = all;
    } else if (system.native_system_info != nullptr) {
        SYSTEM_INFO native = {};
        system.native_system_info(&native);
        if (native.dwNumberOfProcessors > count) count = native.dwNumberOfProcessors;
    }
    return count;
}

void Tooltip::create(HWND owner, HINSTANCE instance, uint32_t processor_count, const Face& face,
                     const RECT& area) {
    window_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                              instance, nullptr);
    const ProcessorInfo& processor = processor_info();
    text_ = WideFromShiftJis(ComposeTooltipText(
        std::string(processor.brand, strnlen(processor.brand, sizeof processor.brand)),
        processor_count, InstalledMemory(), face, MachineProcessorCount(processor_count)));
    tool_ = TOOLINFOW{};
    tool_.cbSize = TTTOOLINFOW_V2_SIZE;
    tool_.uFlags = TTF_SUBCLASS;
    tool_.hwnd = owner;
    tool_.rect = area;
    tool_.lpszText = &text_[0];
    SendMessageW(window_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool_));
    // Without a maximum width the common controls ignore the line break and put
    // the processor and the memory on one line. As wide as the desktop: the
    // text breaks at its line feed only, however long the processor's name.
    SendMessageW(window_, TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXVIRTUALSCREEN));
}

void Tooltip::set_area(const RECT& area) {
    if (window_ == nullptr) return;
    tool_.rect = area;
    SendMessageW(window_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool_));
}

void Tooltip::forget() { window_ = nullptr; }

HWND Tooltip::window() const { return window_; }
