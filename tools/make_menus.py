#!/usr/bin/env python3
"""Writes resources/menus.rc, the gadget's two popup menus in Japanese (1041)
and in English (United States, 1033), with the same ids, items and order; the
gadget loads the ones of its face. The texts are written as Shift-JIS (code
page 932) byte escapes, which keeps the script plain ASCII; the code page pragma
tells the resource compiler how to turn those bytes into the resource's UTF-16
(without it windres reads them one byte per character).

The menus and commands are written by their names in resources/resource_ids.h,
which the script includes; every name is checked against that header.

Usage: make_menus.py [output file]   (default: resources/menus.rc of the repo)
"""
import os
import re
import sys

SEPARATOR = None
# Each item: (Japanese text, English text, command, meaning). Accelerators are
# unique within a menu in either language.
WINDOW_MENU = ("IDR_WINDOW_MENU", [
    ("移動(&M)", "&Move", "IDM_MOVE", "move"),
    ("半透明(&T)", "&Translucent", "IDM_TRANSLUCENT", "translucent"),
    ("アイコン化(&I)", "&Fold into the notification area", "IDM_ICONIZE", "fold into the tray icon"),
    ("自動で隠れる(&H)", "Auto-&hide", "IDM_AUTO_HIDE", "hide automatically"),
    ("Windows の起動時に開始(&W)", "Start with &Windows", "IDM_START_WITH_WINDOWS",
     "start with Windows"),
    SEPARATOR,
    ("終了(&X)", "E&xit", "IDM_EXIT", "exit"),
])
TRAY_MENU = ("IDR_TRAY_MENU", [
    ("フォーム表示(&S)", "&Show window", "IDM_ICONIZE", "show the window"),
    SEPARATOR,
    ("終了(&X)", "E&xit", "IDM_EXIT", "exit"),
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


def defined_names(header):
    """The names the ids header defines."""
    with open(header, encoding="ascii") as source:
        return set(re.findall(r"^#define\s+(\w+)", source.read(), re.MULTILINE))


def menu(resource, items, which, known):
    for name in [resource] + [item[2] for item in items if item is not SEPARATOR]:
        if name not in known:
            sys.exit("make_menus.py: %s is not defined in resource_ids.h" % name)
    lines = ["%s MENU" % resource, "BEGIN", '    POPUP "Dummy"', "    BEGIN"]
    for item in items:
        if item is SEPARATOR:
            lines.append("        MENUITEM SEPARATOR")
        else:
            command, meaning = item[2], item[3]
            lines.append("        MENUITEM %s, %s  // %s" % (escaped(item[which]), command, meaning))
    lines += ["    END", "END", ""]
    return lines


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    resources = os.path.join(here, "..", "resources")
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(resources, "menus.rc")
    known = defined_names(os.path.join(resources, "resource_ids.h"))
    lines = [
        "// The window menu and the tray menu, in Japanese and in English.",
        "// Written by tools/make_menus.py; change the texts there.",
        '#include "resource_ids.h"',
        "",
        "#pragma code_page(932)",
        "",
    ]
    for language, which in LANGUAGES:
        lines += ([language, ""] + menu(*WINDOW_MENU, which, known) +
                  menu(*TRAY_MENU, which, known))
    with open(target, "w", encoding="ascii", newline="\n") as out:
        out.write("\n".join(lines))


if __name__ == "__main__":
    main()
