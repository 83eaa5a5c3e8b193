#!/usr/bin/env python3
"""Writes resources/menus.rc, the gadget's two popup menus in Japanese (1041)
and in English (United States, 1033), with the same ids, items and order; the
gadget loads the ones of its face. The texts are written as Shift-JIS (code
page 932) byte escapes, which keeps the script plain ASCII; the code page pragma
tells the resource compiler how to turn those bytes into the resource's UTF-16
(without it windres reads them one byte per character).

Usage: make_menus.py [output file]   (default: resources/menus.rc of the repo)
"""
import os
import sys

SEPARATOR = None
# Each item: (Japanese text, English text, command, meaning). Accelerators are
# unique within a menu in either language.
WINDOW_MENU = (102, [
    ("移動(&M)", "&Move", 40017, "move"),
    ("半透明(&T)", "&Translucent", 40007, "translucent"),
    ("アイコン化(&I)", "&Fold into the notification area", 40013, "fold into the tray icon"),
    ("自動で隠れる(&H)", "Auto-&hide", 40011, "hide automatically"),
    ("Windows の起動時に開始(&W)", "Start with &Windows", 40019, "start with Windows"),
    SEPARATOR,
    ("終了(&X)", "E&xit", 40005, "exit"),
])
TRAY_MENU = (106, [
    ("フォーム表示(&S)", "&Show window", 40013, "show the window"),
    SEPARATOR,
    ("終了(&X)", "E&xit", 40005, "exit"),
])
# (LANGUAGE statement, which text of each item)
LANGUAGES = [("LANGUAGE 0x11, 0x1", 0), ("LANGUAGE 0x9, 0x1", 1)]


def escaped(text):
    """A resource-script string: printable ASCII as is, every other byte as \\ooo."""
    out = []
    for byte in text.encode("cp932"):
        if 0x20 <= byte < 0x7F and chr(byte) not in '"\\':
            out.append(chr(byte))
        else:
            out.append("\\%03o" % byte)
    return '"' + "".join(out) + '"'


def menu(resource, items, which):
    lines = ["%d MENU" % resource, "BEGIN", '    POPUP "Dummy"', "    BEGIN"]
    for item in items:
        if item is SEPARATOR:
            lines.append("        MENUITEM SEPARATOR")
        else:
            command, meaning = item[2], item[3]
            lines.append("        MENUITEM %s, %d  // %s" % (escaped(item[which]), command, meaning))
    lines += ["    END", "END", ""]
    return lines


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources",
                                                                "menus.rc")
    lines = [
        "// The window menu (102) and the tray menu (106), in Japanese and in English.",
        "// Written by tools/make_menus.py; change the texts there.",
        "#pragma code_page(932)",
        "",
    ]
    for language, which in LANGUAGES:
        lines += [language, ""] + menu(*WINDOW_MENU, which) + menu(*TRAY_MENU, which)
    with open(target, "w", encoding="ascii", newline="\n") as out:
        out.write("\n".join(lines))


if __name__ == "__main__":
    main()
