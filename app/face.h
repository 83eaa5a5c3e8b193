// The language the gadget speaks: Japanese where the user interface language
// is Japanese, English everywhere else. Chosen once at start; it picks the
// texts handed to Windows, the menus' resource language and the caption drawn
// when the settings name none. Texts are Shift-JIS bytes (the English ones are
// plain ASCII), so every one crosses into Windows the same way.
#pragma once

#include <cstdint>

#include "text/utf16_text.h"

struct Face {
    uint16_t menu_language;     // language identifier of menus 102 and 106
    const char* memory_label;   // the tooltip's second line, before the amount
    const char* first_tray_tip;  // until the first tray refresh
    const char* free_memory_label;  // the tray tip, before the amount
    const char* fold_failed;     // the message after a failed fold
    const char* default_caption;  // beside the free memory in the picture
    const char* shown_word;       // "(32 shown)" where the machine has more processors
    const char* memory_load_label;  // what a screen reader hears before the load in percent
    // The tooltip's third line, composed in UTF-16 around the system's UTF-16
    // image name, so its words are kept in UTF-16 as well: the words before
    // the name, and the whole line when no process used 1 % of the machine.
    const Utf16Unit* busiest_label;
    const Utf16Unit* busiest_none;
};

extern const Face kJapaneseFace;
extern const Face kEnglishFace;

// By the primary language of a Windows language identifier.
const Face& FaceForUiLanguage(uint16_t language);
