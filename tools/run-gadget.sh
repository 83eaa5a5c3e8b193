#!/usr/bin/env bash
# Installs what is missing, builds the gadget and starts it under Wine: on the
# user's display when there is one, otherwise on a virtual display for a few
# seconds, saving a screenshot.
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$root/tools/install-deps.sh"
build_windows
exe_dir="$build/run"
mkdir -p "$exe_dir"
cp "$wine_build/app/VorneltGauge.exe" "$exe_dir/"
echo "The gadget: $build/win32/app/VorneltGauge.exe (on Windows this one file is the whole program)"
if [ -n "${DISPLAY:-}" ]; then
  "$root/tools/wine-prefix.sh" "$wine_build/wine-run"
  exec "$wine_build/wine-run" "$exe_dir/VorneltGauge.exe"
fi
trap stop_services EXIT
start_virtual_display
start_wineserver
"$wine_build/wine-run" "$exe_dir/VorneltGauge.exe" &
gadget=$!
for _ in $(seq 100); do
  id=$(xdotool search --name '^Vornelt Gauge$' 2>/dev/null | head -n 1) && [ -n "$id" ] && break
  sleep 0.1
done
sleep 4
shot="$build/gadget-screenshot.png"
import -window root -crop 320x64+352+352 "$shot"
# Closed the way a user closes it, so it saves its settings beside itself.
"$wine_build/wine-run" "$wine_build/tools/probe/probe.exe" close-and-wait 5000 >/dev/null 2>&1 ||
  kill "$gadget" 2>/dev/null || true
echo "Screenshot: $shot"
