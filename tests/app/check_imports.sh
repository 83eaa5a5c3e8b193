#!/usr/bin/env bash
# Fails when the program imports any DLL that is not part of Windows itself:
# the gadget ships as one file, with the C and C++ run-times linked in.
set -euo pipefail
objdump="$1"
exe="$2"
allowed='^(kernel32|user32|gdi32|shell32|comctl32|pdh|winmm|advapi32|msvcrt|ntdll|api-ms-win-.*)\.dll$'

dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
if [ -z "$dlls" ]; then
    echo "no import table found in $exe" >&2
    exit 1
fi
bad=$(grep -Ev "$allowed" <<<"$dlls" || true)
echo "imports:" $dlls
if [ -n "$bad" ]; then
    echo "not a system DLL:" $bad >&2
    exit 1
fi
