#!/usr/bin/env bash
# Makes (once) the Wine prefix a build's tests run in: the meter's default face
# "MS UI Gothic" maps to an installed Japanese font, and crashes end the program
# instead of waiting on a debugger dialog. No window manager runs on the virtual
# display, so Wine is told not to wait for one (destroying a window took seconds).
set -euo pipefail
run="$1"
prefix=$(sed -n 's/^export WINEPREFIX="\(.*\)"$/\1/p' "$run")
# Wine's own services start with the first program and outlive it; started from
# a test they would hold its output pipe open and CTest would wait on them.
# So they are started here, with nothing to inherit.
if [ -f "$prefix/.vg-ready-2" ]; then
  "$run" cmd /c exit </dev/null >/dev/null 2>&1 || true
  exit 0
fi
"$run" wineboot -i >/dev/null 2>&1 || true
"$run" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'IPAGothic' /f >/dev/null 2>&1
"$run" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
"$run" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /d 0 /f >/dev/null 2>&1
"$run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
touch "$prefix/.vg-ready-2"
"$run" cmd /c exit </dev/null >/dev/null 2>&1 || true
