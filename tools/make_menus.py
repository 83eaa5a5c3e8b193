#!/usr/bin/env python3
"""Writes resources/menus.rc, the gadget's two popup menus with their Japanese
texts. The texts are written as Shift-JIS (code page 932) byte escapes, which
keeps the script plain ASCII; the code page pragma tells the resource compiler
how to turn those bytes into the resource's UTF-16 (without it windres reads
them one byte per character).

Usage: make_menus.py [output file]   (default: resources/menus.rc of the repo)
"""
import os
import sys

SEPARATOR = None
WINDOW_MENU = (102, [
    ("移動(&M)", 40017, "move"),
    ("半透明(&T)", 40007, "translucent"),
    ("アイコン化(&I)", 40013, "fold into the tray icon"),
    ("自動で隠れる(&H)", 40011, "hide automatically"),
    SEPARATOR,
    ("終了(&X)", 40005, "exit"),
])
TRAY_MENU = (106, [
    ("フォーム表示(&S)", 40013, "show the window"),
    SEPARATOR,
    ("終了(&X)", 40005, "exit"),
])


def escaped(text):
    """A resource-script string: printable ASCII as is, every other byte as \\ooo."""
    out = []
    for byte in text.encode("cp932"):
        if 0x20 <= byte < 0x7F and chr(byte) not in '"\\':
            out.append(chr(byte))
        else:
            out.append("\\%03o" % byte)
    return '"' + "".join(out) + '"'


def menu(resource, items):
    lines = ["%d MENU" % resource, "BEGIN", '    POPUP "Dummy"', "    BEGIN"]
    for item in items:
        if item is SEPARATOR:
            lines.append("        MENUITEM SEPARATOR")
        else:
            text, command, meaning = item
            lines.append("        MENUITEM %s, %d  // %s" % (escaped(text), command, meaning))
    lines += ["    END", "END", ""]
    return lines


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources",
                                                                "menus.rc")
    lines = [
        "// The window menu (102) and the tray menu (106). Written by tools/make_menus.py;",
        "// change the texts there.",
        "LANGUAGE 0x11, 0x1",
        "#pragma code_page(932)",
        "",
    ]
    lines += menu(*WINDOW_MENU) + menu(*TRAY_MENU)
    with open(target, "w", encoding="ascii", newline="\n") as out:
        out.write("\n".join(lines))


if __name__ == "__main__":
    main()
