#include "app/face.h"

namespace {

constexpr uint16_t kJapanese = 0x11;  // LANG_JAPANESE
constexpr uint16_t kPrimaryLanguageMask = 0x3FF;

}  // namespace

const Face kJapaneseFace = {
    0x0411,  // Japanese (Japan)
    // " 物理メモリ:" (physical memory)
    " \x95\xA8\x97\x9D\x83\x81\x83\x82\x83\x8A:",
    // "計算中" (calculating)
    "\x8C\x76\x8E\x5A\x92\x86",
    // "メモリ残量:" (free memory)
    "\x83\x81\x83\x82\x83\x8A\x8E\x63\x97\xCA:",
    // "アイコン化に失敗しました。" CR LF "タスクバーが起動していない可能性があります。"
    // (folding failed; the taskbar may not be running)
    "\x83\x41\x83\x43\x83\x52\x83\x93\x89\xBB\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5"
    "\x82\xBD\x81\x42\x0D\x0A\x83\x5E\x83\x58\x83\x4E\x83\x6F\x81\x5B\x82\xAA\x8B\x4E\x93\xAE"
    "\x82\xB5\x82\xC4\x82\xA2\x82\xC8\x82\xA2\x89\xC2\x94\x5C\x90\xAB\x82\xAA\x82\xA0\x82\xE8"
    "\x82\xDC\x82\xB7\x81\x42",
    // "メモリ残り" (memory remaining)
    "\x83\x81\x83\x82\x83\x8A\x8E\x63\x82\xE8",
    // "表示" (shown)
    "\x95\x5C\x8E\xA6",
    // "メモリ使用率:" (memory load)
    "\x83\x81\x83\x82\x83\x8A\x8E\x67\x97\x70\x97\xA6:",
    // "使用率最大: " (highest usage)
    VG_UTF16("\u4F7F\u7528\u7387\u6700\u5927: "),
    // "使用率最大: 1%以上なし" (highest usage: none of 1 % or more)
    VG_UTF16("\u4F7F\u7528\u7387\u6700\u5927: 1%\u4EE5\u4E0A\u306A\u3057"),
};

const Face kEnglishFace = {
    0x0409,  // English (United States)
    "Physical memory: ",
    "Measuring...",
    "Free memory: ",
    "Could not fold into the notification area.\r\nThe taskbar may not be running.",
    // Four characters and no blank (the rasterizer moves the pen 25 pixels for
    // one): beside the widest amount the meter can print, 16 characters
    // right-aligned in the same 120 pixels, it still does not overlap.
    "Free",
    "shown",
    "Memory load: ",
    VG_UTF16("Busiest: "),
    VG_UTF16("Busiest: none above 1%"),
};

const Face& FaceForUiLanguage(uint16_t language) {
    return (language & kPrimaryLanguageMask) == kJapanese ? kJapaneseFace : kEnglishFace;
}
