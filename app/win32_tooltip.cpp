#include "app/win32_tooltip.h"

#include <cstring>

#include "app/busiest_line.h"
#include "app/frame_text.h"
#include "app/win32_tip_measure.h"
#include "measure/processor_info.h"
#include "platform/win32_platform.h"
#include "resources/resource_ids.h"
#include "text/win32_wide_text.h"

namespace {

constexpr UINT kWatchPeriodMs = 1000;
// The longest a tooltip stays up while the cursor rests (the control takes no
// more): the third line is live, and the default five seconds would take it
// away after four of its changes.
constexpr int kLongestShownMs = 32767;

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
    face_ = &face;
    machine_processors_ = MachineProcessorCount(processor_count);
    first_lines_ = WideFromShiftJis(ComposeTooltipText(
        std::string(processor.brand, strnlen(processor.brand, sizeof processor.brand)),
        processor_count, InstalledMemory(), face, machine_processors_));
    text_ = first_lines_;
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
    SendMessageW(window_, TTM_SETDELAYTIME, TTDT_AUTOPOP, kLongestShownMs);
}

void Tooltip::set_area(const RECT& area) {
    if (window_ == nullptr) return;
    tool_.rect = area;
    SendMessageW(window_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool_));
}

void Tooltip::forget() {
    stop_watching();
    window_ = nullptr;
}

HWND Tooltip::window() const { return window_; }

void Tooltip::shown() {
    if (window_ == nullptr || watching_) return;
    watching_ = SetTimer(tool_.hwnd, kBusiestTimer, kWatchPeriodMs, nullptr) != 0;
    if (watching_) busiest_.take(platform.clock.time(), machine_processors_);
}

void Tooltip::watch_tick() {
    if (!watching_) return;
    const BusiestSince since = busiest_.take(platform.clock.time(), machine_processors_);
    Utf16Text text = first_lines_;
    if (since.kind != BusiestSince::Kind::kUnknown) {
        text += L'\n';
        if (since.kind == BusiestSince::Kind::kNamed) {
            const TipMeasure measure(window_);
            text += ComposeBusiestLine(*face_, since.name, since.percent, TipMeasure::WidthOf,
                                       &measure, measure.limit());
        } else {
            text += face_->busiest_none;
        }
    }
    show_text(text);
}

void Tooltip::stop_watching() {
    if (!watching_) return;
    watching_ = false;
    if (tool_.hwnd != nullptr) KillTimer(tool_.hwnd, kBusiestTimer);
    busiest_.forget();
    // While it is hidden: the next time it comes up, it starts with two lines.
    if (window_ != nullptr) show_text(first_lines_);
}

void Tooltip::show_text(const std::wstring& text) {
    if (text == text_) return;
    text_ = text;
    tool_.lpszText = &text_[0];
    // The control copies the text, and redraws it where it stands.
    SendMessageW(window_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool_));
}
